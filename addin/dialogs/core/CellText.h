#pragma once

#include "addin/device/SensorTable.h"

#include <cstdint>
#include <string>

// Texts and numbers the workbook functions put into cells.
namespace addin {

// The value's shortest decimal form (the digits that tell this float from its neighbours, as
// every display shows it) cut after `places` digits, a minus sign once for a negative value:
// 1.05f to 3 places is "1.050", not the "1.049" of its exact binary value. Magnitudes past
// 9.2e15 are clamped.
std::string TruncatedDecimal(float value, int places);
// A value to thousandths, truncated toward zero: "1.050", "-0.500".
std::u16string ThousandthsText(float value);

// The snapshot cell of one channel: per quantity a line "s=<line>,<channel>  <value> <unit>"
// (every line after the first begins "ss="), numbered on from `lineCounter`, at most 255
// characters; lines that do not fit are left out and not counted.
std::u16string SnapshotText(int32_t& lineCounter, int channel, const float* values, int quantities,
                            const device::SensorTableEntry& entry);

// The value truncated toward zero to 0, 1, 2, 4 or 5 places, any other count 3 places, as a
// double read back from that decimal text.
double RoundToDecimals(float value, int decimals);

// A column heading: "name(unit)", or "name-quantity(unit)" for a sensor of several quantities.
std::u16string HeaderText(const device::SensorTableEntry& entry, int quantity);

inline constexpr size_t kMaxCellText = 255;

}  // namespace addin
