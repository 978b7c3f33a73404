#pragma once

#include "addin/device/SensorTable.h"

#include <cstdint>
#include <string>

// Texts and numbers the workbook functions put into cells.
namespace addin {

// A value to thousandths, truncated toward zero: "1.050", "-0.500". The product is taken in
// single precision, as the value was measured; values beyond what 64 bits hold are clamped.
std::u16string ThousandthsText(float value);

// The snapshot cell of one channel: per quantity a line "s=<line>,<channel>  <value> <unit>"
// (every line after the first begins "ss="), numbered on from `lineCounter`, at most 255
// characters; lines that do not fit are left out and not counted.
std::u16string SnapshotText(int32_t& lineCounter, int channel, const float* values, int quantities,
                            const SensorTableEntry& entry);

// The value truncated toward zero to 0, 1, 2, 4 or 5 places, any other count 3 places.
double RoundToDecimals(float value, int decimals);

// A column heading: "name(unit)", or "name-quantity(unit)" for a sensor of several quantities.
std::u16string HeaderText(const SensorTableEntry& entry, int quantity);

inline constexpr size_t kMaxCellText = 255;

}  // namespace addin
