#pragma once

// The one place where the face names the screens ask for ("Malgun Gothic", "tahoma", "Arial")
// become fonts installed on this system: NanumGothic for the Korean-capable face, DejaVu Sans for
// the Latin ones.

#include <QFont>
#include <QString>

namespace uikit {

QString MapFontFamily(const QString& face);

// A font of the mapped family at a pixel height; bold gives weight 700, otherwise 400.
QFont MakeFont(const QString& face, int pixelHeight, bool bold);

}  // namespace uikit
