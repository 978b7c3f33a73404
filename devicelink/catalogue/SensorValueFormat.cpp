#include "devicelink/catalogue/SensorValueFormat.h"

#include "devicelink/catalogue/SensorCatalogue.h"
#include "platform/CLocale.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace devicelink {
namespace {

// Digits that select the six-decimal form, for unit entries the record does not have.
constexpr int kAnyOtherDigits = 7;

int64_t TruncateSaturated(float value)
{
    if (std::isnan(value))
        return 0;
    constexpr double kMax = std::numeric_limits<int32_t>::max();
    constexpr double kMin = std::numeric_limits<int32_t>::min();
    const double v = std::trunc(double(value));
    if (v >= kMax)
        return std::numeric_limits<int32_t>::max();
    if (v <= kMin)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int64_t>(v);
}

std::string FormatShortest(float value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, double(value), std::chars_format::general, 6);
    if (result.ec != std::errc())
        return "0";
    return std::string(buffer, result.ptr);
}

}  // namespace

int FormatSensorValue(float value, std::string& text, const SensorAccessRecord* record, int unitOrDigits)
{
    text.clear();
    int digits = unitOrDigits;
    if (unitOrDigits >= 0) {
        digits = (record && unitOrDigits < kMaxUnits) ? record->units[unitOrDigits].significantDigits
                                                      : kAnyOtherDigits;
    }
    if (digits == 0)
        text = platform::FormatInt(TruncateSaturated(value));
    else if (digits >= 1 && digits <= 6)
        text = platform::FormatFixed(value, digits);
    else if (digits == -1)
        text = std::isnan(value) ? "nan" : FormatShortest(value);
    else
        text = platform::FormatFixed(value, 6);
    return 1;
}

}  // namespace devicelink
