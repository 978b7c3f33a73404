#include "addin/dialogs/core/MeasureSession.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace addin::dialogs {

MeasureSession::MeasureSession(DialogDevice& device, SheetWriter& sheet, int32_t storeFloats, int64_t sheetRows)
    : device_(device), sheet_(sheet), sheetRows_(sheetRows), intake_(storeFloats)
{
}

StartOutcome MeasureSession::Start(const MeasureSettings& settings, const device::SensorTableEntry* table)
{
    if (running_ || !table)
        return StartOutcome::Incomplete;
    uint32_t mask = 0;
    for (int c = 0; c < device::kTableChannels; ++c) {
        if ((settings.mask >> c & 1u) && IsSelectable(table[c]))
            mask |= 1u << c;
    }
    switch (CheckStart(settings.rate, settings.duration, mask)) {
    case StartCheck::Incomplete: return StartOutcome::Incomplete;
    case StartCheck::RateOutOfRange: return StartOutcome::RateOutOfRange;
    case StartCheck::Ok: break;
    }
    std::memcpy(table_, table, sizeof table_);
    plan_ = PlanColumns(table_, mask);
    const int64_t sampleLimit =
        std::min(TargetSamples(settings.rate, settings.duration), std::max<int64_t>(sheetRows_ - kFirstSampleRow, 0));
    if (!intake_.Begin(mask, plan_.quantities, sampleLimit))
        return StartOutcome::NoMemory;
    written_ = 0;
    elapsed_ = 0;
    std::fill(std::begin(newest_), std::end(newest_), ChannelTexts{});

    sheet_.ClearMeasurementArea();
    for (const HeadingCell& cell : HeadingCells(table_, plan_))
        sheet_.WriteText(kHeadingRow, cell.column, cell.text);

    const int64_t periodUs = int64_t(PeriodMs(settings.rate)) * 1000;
    int32_t periods[device::kTableChannels];
    std::fill(std::begin(periods), std::end(periods), int32_t(periodUs));
    if (device_.StartSampling(mask, periodUs, int64_t(settings.duration) * 1000, periods) != 1) {
        intake_.Release();
        return StartOutcome::Refused;
    }
    running_ = true;
    return StartOutcome::Started;
}

TickOutcome MeasureSession::Tick()
{
    switch (WatchLink(device_)) {
    case LinkEvent::Changed:
        Stop();
        return TickOutcome::Redetect;
    case LinkEvent::Lost:
        return TickOutcome::Cancel;
    case LinkEvent::Quiet:
        break;
    }
    if (!running_)
        return TickOutcome::Idle;
    const bool came = Collect();
    WriteNewRows(false);
    // A layer that stopped by itself and has nothing more has ended the run.
    if (Complete() || (!came && !device_.Sampling())) {
        Stop();
        return TickOutcome::Finished;
    }
    return TickOutcome::Measuring;
}

void MeasureSession::Stop()
{
    if (!running_)
        return;
    Collect();
    WriteNewRows(true);
    device_.StopSampling();
    running_ = false;
}

bool MeasureSession::Collect()
{
    std::vector<float> values(kReadFloats), times(kReadFloats);
    bool came = false;
    for (int c = 0; c < device::kTableChannels; ++c) {
        if (!intake_.Chosen(c))
            continue;
        while (!intake_.Full(c)) {
            const int n = device_.ReadBlock(c, values.data(), times.data(), kReadFloats);
            if (n <= 0)
                break;
            intake_.Append(c, values.data(), times.data(), std::min(n, kReadFloats));
            came = true;
            if (n < kReadFloats)
                break;
        }
        const int64_t samples = intake_.Samples(c);
        if (samples > 0) {
            newest_[c] = ChannelDisplay(table_[c], intake_.SampleValues(c, samples - 1));
            elapsed_ = std::max(elapsed_, int64_t(intake_.SampleTime(c, samples - 1)));
        }
    }
    return came;
}

void MeasureSession::WriteNewRows(bool all)
{
    int64_t ready = all ? 0 : std::numeric_limits<int64_t>::max();
    bool any = false;
    for (int c = 0; c < device::kTableChannels; ++c) {
        if (!intake_.Chosen(c))
            continue;
        any = true;
        ready = all ? std::max(ready, intake_.Samples(c)) : std::min(ready, intake_.Samples(c));
    }
    if (!any)
        return;
    while (written_ < ready) {
        const int64_t to = std::min(ready, written_ + kRowsPerCall);
        sheet_.WriteRows(BuildRows(intake_, plan_, written_, to));
        written_ = to;
    }
}

bool MeasureSession::Complete() const
{
    for (int c = 0; c < device::kTableChannels; ++c) {
        if (intake_.Chosen(c) && !intake_.Full(c))
            return false;
    }
    return true;
}

}  // namespace addin::dialogs
