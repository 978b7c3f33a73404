#pragma once

// Which bitmap ids picture a sensor on the sensor monitor. Each ICON_INDEX of the catalogue has a
// row of six ids: positions 0 falling, 1 steady, 2 rising (3..5 are spares of the same look).

#include <array>

namespace uikit {

inline constexpr int kSensorIconRowCount = 26;

// The row of an icon index; all zero for an index without pictures.
std::array<int, 6> SensorPictureRow(int iconIndex);

}  // namespace uikit
