#pragma once

#include <QFont>
#include <QString>

// Chart texts are given a face name and a line height; the face goes through the program's one
// font mapping (FontMap.h).
namespace uikit {

// A font of `face` whose line height (ascent + descent) is about `pixelHeight` pixels.
QFont ChartFont(const QString& face, int pixelHeight, bool bold);

}  // namespace uikit
