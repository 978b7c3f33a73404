#include "addin/WorkbookSession.h"

#include "addin/AddInDialogs.h"
#include "addin/AnalyzeData.h"
#include "addin/CodePage.h"
#include "addin/device/CorvikApi.h"
#include "addin/dialogs/core/CellText.h"
#include "addin/dialogs/core/ResultLines.h"
#include "addin/host/HostCall.h"
#include "addin/Language.h"

#include "platform/Clock.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

namespace addin {

namespace {

constexpr uint32_t kDialogCloseWaitMs = 1000;
constexpr uint32_t kBeforeDetectionMs = 500;
constexpr int32_t kReadsPerSecond = 1000;
// Rows handed to the host in one set-cell call.
constexpr int kRowsPerCall = 10000;
constexpr int kHeaderRow = 2;
constexpr int kValueRow = 1;
constexpr int kFirstDataColumn = 2;
constexpr int kLastHeaderColumn = 26;
constexpr int kHeaderCalls = 3;
constexpr int kAnalysisFirstRow = 3;

constexpr char16_t kConnected[] = u"연결되었습니다.";
constexpr char16_t kNotConnected[] = u"장치가 연결되지않았습니다 . \n장치 연결후  다시 시작하세요!";
constexpr char16_t kSensorsConnected[] = u"센서가 연결되었습니다.";
constexpr char16_t kSensorsGone[] = u"센서 연결이 해제되었습니다.";
constexpr char16_t kChannelLine[] = u"채널";
constexpr char16_t kCable[] = u"CABL";

std::u16string Ascii(const char* text)
{
    return platform::AsciiToUtf16(text);
}

int64_t Product(int32_t a, int32_t b)
{
    return int64_t(a) * int64_t(b);
}

bool IsCable(const device::SensorTableEntry& entry)
{
    return platform::FieldView(entry.sensorCode) == kCable;
}

}  // namespace

WorkbookSession& Session()
{
    static WorkbookSession session;
    return session;
}

void WorkbookSession::WriteColumn(int32_t row, int32_t column, const float* values, int count)
{
    // Rows past the host's last are not written.
    const int64_t room = int64_t(HOST_MAX_ROWS) - row;
    count = int(std::clamp<int64_t>(count, 0, std::max<int64_t>(room, 0)));
    for (int done = 0; done < count; done += kRowsPerCall) {
        const int rows = std::min(kRowsPerCall, count - done);
        host::Operands ops;
        HostOperand* block = ops.Array(rows, 1);
        for (int k = 0; k < rows; ++k) {
            HostOperand& item = host::Operands::Item(*block, k, 0);
            item.type = HOST_TYPE_NUMBER;
            item.value.number = double(values[done + k]);
        }
        host::Call(xlSet, nullptr, {ops.Reference(row + done, row + done + rows - 1, column, column), block});
    }
}

int WorkbookSession::Init()
{
    if (device::CorvikApiGetLastError() == device::kApiNotConnected) {
        device::CorvikApiClose();
        open_ = 0;
        reading_ = 0;
    }
    if (open_ == 1)
        return 1;
    std::memset(table_, 0, sizeof table_);
    detected_ = 0;
    if (device::CorvikApiOpen() == 1) {
        host::Alert(kConnected, host::kAlertInfo);
        open_ = 1;
    } else {
        host::Alert(kNotConnected, host::kAlertInfo);
        open_ = 0;
        char code[32];
        std::snprintf(code, sizeof code, "error code =%x", unsigned(device::CorvikApiGetLastError()));
        host::Alert(Ascii(code), host::kAlertInfo);
    }
    return open_;
}

int WorkbookSession::Exit()
{
    if (open_ == 1) {
        device::CorvikApiClose();
        open_ = 0;
        reading_ = 0;
    }
    return 1;
}

int WorkbookSession::ReadStart(int32_t mask, int32_t periodMs, int32_t durationS, int32_t row, int32_t column)
{
    if (open_ != 1 || reading_ == 1 || row < 0 || column < 0)
        return 0;
    // Microseconds and milliseconds in 64 bits: the products of large arguments do not fit 32.
    const int64_t periodUs = Product(periodMs, 1000);
    int32_t periods[device::kTableChannels];
    std::fill(std::begin(periods), std::end(periods),
              int32_t(std::clamp<int64_t>(periodUs, 0, std::numeric_limits<int32_t>::max())));
    if (device::CorvikApiStartSampling(mask, periodUs, Product(durationS, 1000), device::kSampleCommonPeriod, periods, 0) != 1)
        return 0;
    reading_ = 1;
    startRow_ = row;
    startColumn_ = column;
    std::fill(std::begin(written_), std::end(written_), 0);
    return 1;
}

int WorkbookSession::ReadData()
{
    if (open_ != 1)
        return 0;
    if (!values_) {
        values_ = std::make_unique<float[]>(kReadCapacity);
        times_ = std::make_unique<float[]>(kReadCapacity);
    }
    for (int c = 0; c < device::kTableChannels; ++c) {
        if (table_[c].state != device::kEntryPresent)
            continue;
        const int n = device::CorvikApiReadBlock(c, values_.get(), times_.get(), kReadCapacity);
        if (n <= 0)
            continue;
        const int64_t row = int64_t(startRow_) + written_[c];
        if (row < HOST_MAX_ROWS) {
            WriteColumn(int32_t(row), startColumn_, times_.get(), n);
            WriteColumn(int32_t(row), startColumn_ + c + 1, values_.get(), n);
        }
        written_[c] += n;
    }
    return 1;
}

int WorkbookSession::ReadStop()
{
    if (open_ != 1 || reading_ != 1 || device::CorvikApiStopSampling() != 1)
        return 0;
    reading_ = 0;
    return 1;
}

int WorkbookSession::SensorDetection(int32_t pollMs, int32_t force)
{
    // A period of zero or less has no rate to pace by.
    if (pollMs <= 0)
        return 0;
    const int32_t limit = kReadsPerSecond / pollMs;
    if (open_ != 1)
        return 0;
    const int32_t taken = detectionCounter_++;
    if (taken <= limit && force != 1)
        return 0;
    detectionCounter_ = 0;
    if (device::CorvikApiIsLinked() != 1 && force != 1)
        return 0;
    ReadStop();
    platform::SleepMs(kBeforeDetectionMs);
    std::u16string message;
    if (device::CorvikApiDetectSensors(table_) == 1) {
        for (int c = 0; c < device::kTableChannels; ++c) {
            if (table_[c].state != device::kEntryPresent)
                continue;
            if (!message.empty())
                message += u"\n";
            message += kChannelLine + std::u16string(1, char16_t(u'A' + c)) + u"-" +
                       std::u16string(platform::FieldView(table_[c].sensorName));
        }
        message = message.empty() ? std::u16string(kSensorsGone) : message + u"\n" + kSensorsConnected;
    } else {
        message = kSensorsGone;
    }
    host::Alert(message, host::kAlertInfo);
    return 1;
}

int WorkbookSession::Snapshot(int32_t channel, int32_t row, int32_t column)
{
    if (open_ != 1 || channel < 0 || channel >= device::kTableChannels)
        return 0;
    const device::SensorTableEntry& entry = table_[channel];
    float values[device::kMaxQuantities] = {};
    const int quantities = std::clamp(entry.quantityCount, 1, device::kMaxQuantities);
    if (entry.state != device::kEntryPresent || device::CorvikApiReadSnapshot(channel, values, quantities) != 1)
        return 1;
    const std::u16string text = SnapshotText(lineCounter_, channel, values, entry.quantityCount, entry);
    if (!text.empty())
        host::SetCellText(row, column, text);
    return 1;
}

void WorkbookSession::CloseSnapshotDialogFirst()
{
    if (Dialogs().CloseSnapshotDialog())
        platform::SleepMs(kDialogCloseWaitMs);
}

int WorkbookSession::SnapshotToCell()
{
    CloseSnapshotDialogFirst();
    if (Init() != 1)
        return 0;
    if ((device::CorvikApiIsLinked() == 1 || detected_ == 0) && device::CorvikApiDetectSensors(table_) == 1) {
        detected_ = 1;
        headerCounter_ = 0;
    }
    if (headerCounter_++ < kHeaderCalls && detected_ == 1) {
        host::ClearCells(kValueRow, kHeaderRow, kFirstDataColumn, kLastHeaderColumn);
        int column = 0;
        for (int c = 0; c < device::kTableChannels; ++c) {
            const device::SensorTableEntry& entry = table_[c];
            if (entry.state != device::kEntryPresent)
                continue;
            for (int r = 0; r < entry.quantityCount; ++r)
                host::SetCellText(kHeaderRow, column + r + kFirstDataColumn, HeaderText(entry, r));
            column += entry.quantityCount;
        }
    }
    // Each present channel keeps the columns of its headers, whether or not it gives values now.
    int column = 0;
    for (int c = 0; c < device::kTableChannels; ++c) {
        const device::SensorTableEntry& entry = table_[c];
        if (entry.state != device::kEntryPresent)
            continue;
        float values[device::kMaxQuantities] = {};
        const int quantities = std::clamp(entry.quantityCount, 0, device::kMaxQuantities);
        if (quantities > 0 && !IsCable(entry) && device::CorvikApiReadSnapshot(c, values, quantities) == 1) {
            for (int q = 0; q < quantities; ++q)
                host::SetCell(kValueRow, column + q + kFirstDataColumn, RoundToDecimals(values[q], entry.decimals[q][device::kShownUnit]));
        }
        column += entry.quantityCount;
    }
    return 1;
}

int WorkbookSession::MeasureDialog()
{
    CloseSnapshotDialogFirst();
    if (Init() != 1)
        return 1;
    detected_ = 0;
    return Dialogs().RunMeasureDialog() == kDialogOk ? 1 : 0;
}

int WorkbookSession::SnapshotDialog()
{
    detected_ = 0;
    if (Init() != 1)
        return 1;
    Dialogs().CloseSnapshotDialog();
    Dialogs().ShowSnapshotDialog(0);
    return 1;
}

int WorkbookSession::AnalyzeDialog()
{
    Dialogs().ShowAnalysisDetail(analysisLines_);
    return 1;
}

int WorkbookSession::AnalyzeData(int32_t first, int32_t last, int32_t n, int32_t kind, int32_t column,
                                 const double* x, const double* y, char* out)
{
    AnalysisRequest request;
    request.kind = kind;
    if (kind == kAnalysisPolynomial) {
        CurveChoice choice;
        if (Dialogs().RunCurveSelect(choice) != kDialogOk)
            return 0;
        switch (choice.curve) {
        case 0: request.order = choice.orderIndex + 3; break;
        case 1: request.kind = kAnalysisLogarithmic; break;
        case 2: request.kind = choice.exponentialModel == 1 ? kAnalysisExponentialOffset : kAnalysisExponential; break;
        case 3: request.kind = kAnalysisPower; break;
        default: request.order = 0; break;
        }
    } else if (kind == kAnalysisIntegral) {
        if (Dialogs().RunIntegralModel(request.method) != kDialogOk)
            return 0;
    } else if (kind == kAnalysisDerivative) {
        if (Dialogs().RunDerivativeModel(request.method) != kDialogOk)
            return 0;
    }
    analysisLines_.clear();
    if (!x || !y || n < 2 || column < 0)
        return 0;
    request.first = first;
    request.last = last;
    request.x.assign(x, x + n);
    request.y.assign(y, y + n);
    AnalysisOutcome outcome = RunAnalysis(request, LanguageText);
    if (!outcome.ok)
        return 0;
    analysisLines_ = outcome.lines;
    WriteColumn(kAnalysisFirstRow + first, column, outcome.fitted.data() + first, last - first + 1);
    if (out) {
        const std::u16string text = JoinLines(analysisLines_);
        CopyToCodePage(text, out, 2 * text.size());
    }
    return 1;
}

void WorkbookSession::Close()
{
    if (reading_ == 1) {
        device::CorvikApiStopSampling();
        reading_ = 0;
    }
    if (open_ == 1) {
        device::CorvikApiClose();
        open_ = 0;
    }
}

}  // namespace addin
