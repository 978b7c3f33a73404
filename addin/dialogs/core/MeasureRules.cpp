#include "addin/dialogs/core/MeasureRules.h"

#include "addin/device/SensorTable.h"

namespace addin::dialogs {

StartCheck CheckStart(int32_t rate, int32_t duration, uint32_t mask)
{
    if (rate == 0 || duration <= 0 || (mask & ((1u << device::kTableChannels) - 1)) == 0)
        return StartCheck::Incomplete;
    if (rate < kMinRate || rate > kMaxRate)
        return StartCheck::RateOutOfRange;
    return StartCheck::Ok;
}

int32_t PeriodMs(int32_t rate)
{
    return rate >= kMinRate && rate <= kMaxRate ? 1000 / rate : 1000 / kMaxRate;
}

int64_t TargetSamples(int32_t rate, int32_t duration)
{
    return int64_t(rate) * int64_t(duration);
}

}  // namespace addin::dialogs
