#pragma once

#include <string>

namespace devicelink {

struct SensorAccessRecord;

// Formats a sensor value for display. unitOrDigits >= 0 takes the significant digits of that
// unit entry of the record (0..7); a negative argument is itself the digits. Digits 0 print the
// value truncated to an integer (saturated, NaN as 0), 1..6 that many decimals, -1 the general
// form, anything else six decimals. Always returns 1.
int FormatSensorValue(float value, std::string& text, const SensorAccessRecord* record, int unitOrDigits);

}  // namespace devicelink
