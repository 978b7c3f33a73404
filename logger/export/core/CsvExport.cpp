#include "logger/export/core/CsvExport.h"

#include <algorithm>
#include <vector>

#include "logger/export/core/CsvText.h"
#include "logger/project/FileIo.h"
#include "platform/Text.h"

namespace exporting {

namespace {

constexpr size_t kChunkBytes = 1 << 20;
constexpr size_t kMaxRowBytes = size_t(kMaxCsvColumns) * (csv::kMaxNumberLength + 1) + csv::kLineEnd.size();

std::u16string Ascii(std::string_view text) { return platform::AsciiToUtf16(text); }

class LayoutBuilder {
public:
    explicit LayoutBuilder(CsvLayout& layout) : layout_(layout) {}

    void Add(CsvColumnKind kind, std::span<const float> data, int32_t count, int format)
    {
        // The table is sized for the worst case; the check keeps a bad data set from passing it.
        if (layout_.columnCount >= kMaxCsvColumns)
            return;
        layout_.columns[size_t(layout_.columnCount++)] = {kind, data.data(), count, format};
        layout_.rowCount = std::max<int64_t>(layout_.rowCount, count);
    }
    // A sample-number and a time column over a channel's times.
    void AddTimeColumns(const CsvChannel* channel)
    {
        const std::span<const float> times = channel ? channel->times : std::span<const float>{};
        const int32_t count = int32_t(times.size());
        Add(CsvColumnKind::SampleNumber, {}, count, 0);
        Add(CsvColumnKind::Time, times, count, channel ? channel->timeDecimals : 0);
    }

private:
    CsvLayout& layout_;
};

void AppendTimeHeadings(std::string& line, const std::u16string& sampleHeading, const CsvChannel* channel)
{
    csv::AppendCell(line, sampleHeading);
    line += ',';
    if (channel)
        csv::AppendCell(line, channel->timeHeading);
    line += ',';
}

}  // namespace

void CsvDataSet::OwnData()
{
    const auto own = [this](std::span<const float>& span) {
        storage.emplace_back(span.begin(), span.end());
        span = storage.back();
    };
    storage.reserve(storage.size() + project::kChannelCount * 5);
    for (CsvChannel& channel : channels) {
        own(channel.times);
        for (CsvValueSeries& series : channel.values)
            own(series.values);
    }
}

CsvLayout BuildCsvLayout(const CsvDataSet& data)
{
    CsvLayout layout;
    LayoutBuilder columns(layout);
    std::string lineA = " , ,";
    std::string lineB = " , ,";
    std::string lineC;

    if (!data.perChannelRates) {
        const CsvChannel* timeSource = project::IsChannelIndex(data.timeChannel) ? &data.channels[size_t(data.timeChannel)] : nullptr;
        AppendTimeHeadings(lineC, data.sampleHeading, timeSource);
        columns.AddTimeColumns(timeSource);
    }
    for (int c = 0; c < project::kChannelCount; ++c) {
        const CsvChannel& channel = data.channels[size_t(c)];
        if (!channel.exported || channel.values.empty())
            continue;
        bool first = true;
        for (const CsvValueSeries& series : channel.values) {
            if (data.perChannelRates && first) {
                AppendTimeHeadings(lineC, data.sampleHeading, &channel);
                columns.AddTimeColumns(&channel);
            }
            columns.Add(CsvColumnKind::Value, series.values, int32_t(series.values.size()), series.digits);
            csv::AppendCell(lineC, series.name);
            lineC += ',';
            if (first)
                csv::AppendCell(lineA, Ascii(std::string("CH [") + char('A' + c) + "]"));
            lineA += ',';
            lineB += ',';
            first = false;
        }
        if (data.perChannelRates) {
            lineA += ",,,";
            lineB += ",,,";
            lineC += ',';
            columns.Add(CsvColumnKind::Spacer, {}, 0, 0);
        }
    }
    csv::AppendCell(lineA, u"Title : " + data.projectTitle + u" (" + data.runTitle + u")");
    csv::AppendCell(lineB, Ascii("Date : " + std::to_string(data.year) + "-" + std::to_string(data.month) + "-" +
                                 std::to_string(data.day)));
    for (std::string* line : {&lineA, &lineB, &lineC}) {
        *line += csv::kLineEnd;
        layout.head += *line;
    }
    return layout;
}

CsvResult FormatCsv(const CsvDataSet& data, const CsvSink& sink, const std::function<void(int64_t)>& onRows,
                    const std::atomic<bool>* cancel)
{
    const CsvLayout layout = BuildCsvLayout(data);
    const auto cancelled = [cancel] { return cancel && cancel->load(std::memory_order_acquire); };
    std::string start(csv::kFileStart);
    start += layout.head;
    if (!sink(start.data(), start.size()))
        return CsvResult::WriteFailed;

    std::vector<char> chunk(kChunkBytes + kMaxRowBytes);
    char* const begin = chunk.data();
    char* const flushAt = begin + kChunkBytes;
    char* out = begin;
    const CsvColumn* const first = layout.columns.data();
    const CsvColumn* const last = first + layout.columnCount;
    for (int64_t r = 0; r < layout.rowCount; ++r) {
        for (const CsvColumn* column = first; column != last; ++column) {
            if (r < column->count) {
                switch (column->kind) {
                case CsvColumnKind::SampleNumber:
                    out = csv::AppendSampleNumber(out, r + 1);
                    break;
                case CsvColumnKind::Time:
                    out = csv::AppendTime(out, column->data[r], column->format);
                    break;
                case CsvColumnKind::Value:
                    out = csv::AppendValue(out, column->data[r], column->format);
                    break;
                case CsvColumnKind::Spacer:
                    break;
                }
            }
            *out++ = ',';
        }
        *out++ = '\r';
        *out++ = '\n';
        if (out >= flushAt) {
            if (cancelled())
                return CsvResult::Cancelled;
            if (!sink(begin, size_t(out - begin)))
                return CsvResult::WriteFailed;
            out = begin;
            if (onRows)
                onRows(r + 1);
        }
    }
    if (cancelled())
        return CsvResult::Cancelled;
    if (out != begin && !sink(begin, size_t(out - begin)))
        return CsvResult::WriteFailed;
    if (onRows)
        onRows(layout.rowCount);
    return CsvResult::Written;
}

CsvResult WriteCsvFile(const CsvDataSet& data, const std::string& path, const std::function<void(int64_t)>& onRows,
                       const std::atomic<bool>* cancel)
{
    project::fileio::ReplacingFile file;
    if (!file.Begin(path))
        return CsvResult::OpenFailed;
    const CsvResult result =
        FormatCsv(data, [&file](const char* bytes, size_t size) { return file.Write(bytes, size); }, onRows, cancel);
    if (result != CsvResult::Written)
        return result;
    return file.Commit() ? CsvResult::Written : CsvResult::WriteFailed;
}

}  // namespace exporting
