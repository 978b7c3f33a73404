#include "uikit/resources/SensorPictures.h"

namespace uikit {

std::array<int, 6> SensorPictureRow(int iconIndex)
{
    // Rows 0, 1, 2 and 18 keep the ids the screens have always used; the others follow one rule.
    switch (iconIndex) {
    case 0:
        return {2327, 2326, 2325, 2324, 2322, 2322};
    case 1:
        return {2321, 2320, 2319, 2318, 2317, 2316};
    case 2:
        return {2607, 2608, 2609, 2607, 2608, 2609};
    case 18:
        return {2399, 2399, 2399, 2400, 2400, 2400};
    default:
        break;
    }
    if (iconIndex < 0 || iconIndex >= kSensorIconRowCount)
        return {};
    std::array<int, 6> row{};
    for (int i = 0; i < 6; ++i)
        row[i] = 2900 + 6 * iconIndex + i;
    return row;
}

}  // namespace uikit
