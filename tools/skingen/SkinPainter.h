#pragma once

// Paints one picture of the table. Pictures that are drawn with the key colour left out get
// magenta (0xFF00FF) wherever the screen behind should show; their edges are hard, because a
// blended edge pixel would no longer match the key and show as a pink fringe.

#include "tools/skingen/SkinTable.h"

#include <QImage>

namespace skingen {

inline constexpr QRgb kKey = 0xFFFF00FF;

// The picture of a row, RGB32, exactly width x height.
QImage PaintSkin(const SkinRow& row);

}  // namespace skingen
