#include "logger/measure/core/MeasureSetupModel.h"

#include <algorithm>
#include <cmath>

#include "logger/measure/core/MeasureTexts.h"
#include "logger/measure/core/RatePlan.h"
#include "platform/CLocale.h"
#include "platform/Text.h"

namespace measure {

namespace {

constexpr int64_t kMillisecondsPerSecond = 1000;
constexpr int64_t kMicrosecondsPerSecond = 1000000;

std::u16string Number(int64_t value)
{
    return platform::AsciiToUtf16(platform::FormatInt(value));
}

// A whole number entered in an edit; false for anything else.
bool ParseEntry(std::u16string_view text, int64_t& value)
{
    return platform::ParseInt(platform::Utf16ToUtf8(text), value);
}

bool ParseWithin(std::u16string_view text, int64_t minimum, int64_t maximum, int64_t& value)
{
    return ParseEntry(text, value) && value >= minimum && value <= maximum;
}

// Microseconds of one unit of a rate entry: the entry is a period in ms or us, a rate in Hz.
int64_t UnitMicroseconds(int unit)
{
    return unit == kRateMicroseconds ? 1 : unit == kRateMilliseconds ? kMillisecondsPerSecond : 0;
}

int64_t RoundedQuotient(int64_t a, int64_t b)
{
    return (a + b / 2) / b;
}

}  // namespace

void MeasureSetupModel::Load(const project::DataSetRecord& record, const int32_t (&maxRates)[project::kChannelCount])
{
    std::copy(std::begin(maxRates), std::end(maxRates), std::begin(maxRates_));
    Values v;
    v.title = std::u16string(project::RunTitle(record));
    v.mode = ModeOf(record);
    if (record.stopCount == 1 || record.stopCount < 0) {
        v.endOfRun = kEndAfterLength;
    } else if (record.stopCount == 0) {
        v.endOfRun = kEndWhenStopped;
    } else {
        v.endOfRun = kEndAfterRepeats;
    }
    v.repeat = Number(std::clamp(record.stopCount, kMinRepeat, kMaxRepeat));
    v.rate = Number(std::max(record.rate, 1));
    v.rateUnit = kRateHertz;
    const int32_t length = std::max(record.length, 0);
    if (v.mode == project::kRunTimed && length > 60) {
        v.length = Number(length / 60);
        v.lengthUnit = kLengthMinutes;
    } else {
        v.length = Number(length);
        v.lengthUnit = kLengthSeconds;
    }
    v.markerSpacing = Number(std::clamp(record.markerSpacing, 0, kMaxMarkerSpacing));
    v.yScale = record.fixedScale == 1 ? 1 : 0;
    v.perChannel = record.perChannelRates == 1;
    for (int c = 0; c < project::kChannelCount; ++c) {
        v.channelRate[c] = Number(std::max(record.channelRate[c], 1));
        v.channelUnit[c] = kRateHertz;
    }
    values_ = std::move(v);
    loadedLength_ = values_.length;
    loadedLengthUnit_ = values_.lengthUnit;
    loadedMode_ = values_.mode;
}

std::u16string MeasureSetupModel::ChannelCaption(int c) const
{
    std::u16string caption = u"ch[";
    caption += char16_t(u'A' + std::clamp(c, 0, project::kChannelCount - 1));
    caption += u"]";
    if (c >= 0 && c < project::kChannelCount && maxRates_[c] > 0)
        caption += u" ( 1~" + Number(maxRates_[c]) + u" Hz )";
    return caption;
}

int32_t MeasureSetupModel::RateInHertz(std::u16string_view text, int unit)
{
    int64_t value = 0;
    switch (unit) {
    case kRateHertz:
        return ParseWithin(text, kMinRate, kMaxRate, value) ? int32_t(value) : 0;
    case kRateMilliseconds:
        return ParseWithin(text, 1, kMillisecondsPerSecond, value) ? int32_t(kMillisecondsPerSecond / value) : 0;
    case kRateMicroseconds:
        return ParseWithin(text, kPeriodStep, kMicrosecondsPerSecond, value)
                   ? int32_t(kMicrosecondsPerSecond / value)
                   : 0;
    default:
        return 0;
    }
}

std::u16string MeasureSetupModel::ConvertRate(std::u16string_view text, int from, int to)
{
    int64_t value = 0;
    if (from == to || !ParseEntry(text, value) || value <= 0 || value > INT32_MAX)
        return std::u16string(text);
    int64_t converted = value;
    const int64_t fromUs = UnitMicroseconds(from);
    const int64_t toUs = UnitMicroseconds(to);
    if (fromUs == 0)          // Hz to a period
        converted = RoundedQuotient(kMicrosecondsPerSecond / toUs, value);
    else if (toUs == 0)       // a period to Hz
        converted = RoundedQuotient(kMicrosecondsPerSecond, value * fromUs);
    else                      // one period unit to the other
        converted = RoundedQuotient(value * fromUs, toUs);
    return Number(std::clamp<int64_t>(converted, 1, INT32_MAX));
}

void MeasureSetupModel::SetRateUnit(int unit)
{
    values_.rate = ConvertRate(values_.rate, values_.rateUnit, unit);
    values_.rateUnit = unit;
}

void MeasureSetupModel::SetChannelUnit(int c, int unit)
{
    if (c < 0 || c >= project::kChannelCount)
        return;
    values_.channelRate[c] = ConvertRate(values_.channelRate[c], values_.channelUnit[c], unit);
    values_.channelUnit[c] = unit;
}

void MeasureSetupModel::SetLengthUnit(int unit)
{
    int64_t value = 0;
    if (unit != values_.lengthUnit && ParseEntry(values_.length, value) && value >= 0 && value <= INT32_MAX) {
        const int64_t converted = unit == kLengthSeconds ? value * 60 : RoundedQuotient(value, 60);
        values_.length = Number(std::clamp<int64_t>(converted, 1, INT32_MAX));
    }
    values_.lengthUnit = unit;
}

void MeasureSetupModel::SetMode(int mode)
{
    values_.mode = mode >= 0 && mode < project::kRunModeCount ? mode : project::kRunTimed;
    // Only timed runs have a length unit: the other modes count samples.
    if (values_.mode != project::kRunTimed && values_.lengthUnit == kLengthMinutes)
        SetLengthUnit(kLengthSeconds);
}

int MeasureSetupModel::Apply(project::DataSetRecord& record) const
{
    const Values& v = values_;
    const bool timed = v.mode == project::kRunTimed;
    // Every entry is checked before the record is touched.
    const int32_t rate = timed ? RateInHertz(v.rate, v.rateUnit) : 1;
    if (rate == 0 && !(timed && v.perChannel))
        return text::kRateOutOfRange;
    int32_t channelRates[project::kChannelCount] = {};
    if (timed && v.perChannel) {
        for (int c = 0; c < project::kChannelCount; ++c) {
            if (!ChannelRowEnabled(c))
                continue;
            channelRates[c] = RateInHertz(v.channelRate[c], v.channelUnit[c]);
            if (channelRates[c] == 0)
                return text::kChannelRateOutOfRange;
        }
    }
    const bool lengthChanged = v.length != loadedLength_ || v.lengthUnit != loadedLengthUnit_ || v.mode != loadedMode_;
    int64_t length = 0;
    if (lengthChanged) {
        const bool minutes = timed && v.lengthUnit == kLengthMinutes;
        if (!ParseWithin(v.length, 1, minutes ? kMaxLengthMinutes : kMaxLengthSeconds, length))
            return text::kLengthOutOfRange;
        if (minutes)
            length *= 60;
    }
    int64_t marker = 0;
    if (!ParseWithin(v.markerSpacing, 0, kMaxMarkerSpacing, marker))
        return text::kMarkerOutOfRange;
    int64_t repeat = 1;
    if (v.endOfRun == kEndAfterRepeats && !ParseWithin(v.repeat, kMinRepeat, kMaxRepeat, repeat))
        return text::kRepeatOutOfRange;

    if (!v.title.empty())
        platform::CopyToFullField(record.title, v.title);
    record.mode = v.mode;
    record.perChannelRates = 0;
    // A disabled rate (per-channel runs) keeps the common one the record had.
    if (rate > 0) {
        record.rate = rate;
        record.period = kMicroseconds / rate;
    }
    record.reserved0 = 0;
    if (lengthChanged)
        record.length = int32_t(length);
    record.markerSpacing = int32_t(marker);
    record.stopCount = v.endOfRun == kEndAfterLength ? 1 : v.endOfRun == kEndAfterRepeats ? int32_t(repeat) : 0;
    record.fixedScale = v.yScale == 1 ? 1 : 0;
    if (timed && v.perChannel) {
        for (int c = 0; c < project::kChannelCount; ++c) {
            if (channelRates[c] == 0)
                continue;
            record.channelRate[c] = channelRates[c];
            record.channelPeriod[c] = kMicroseconds / channelRates[c];
        }
        record.perChannelRates = 1;
    }
    return text::kNone;
}

}  // namespace measure
