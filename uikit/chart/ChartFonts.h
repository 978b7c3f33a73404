#pragma once

#include <QFont>
#include <QString>

// The face names the program asks for ("tahoma", "Malgun Gothic") are Windows faces that a Linux
// desktop rarely has. This is the one place the chart maps them; it falls back to NanumGothic
// (Hangul) and DejaVu Sans (Latin).
namespace uikit {

// A font of `face` whose line height (ascent + descent) is about `pixelHeight` pixels.
QFont ChartFont(const QString& face, int pixelHeight, bool bold);

}  // namespace uikit
