#pragma once

#include <QRect>
#include <QString>

class QImage;

// Pictures for the report are written as uncompressed 32-bit BMP files: a 14-byte file header,
// a 40-byte information header, then rows bottom-up of blue, green, red and a zero byte.
namespace uikit {

constexpr int kBitmapHeaderSize = 54;

// Writes `area` of `image` (parts outside the image are black). 1 when the whole file was
// written; 0 for an empty area or any open or write failure.
int WriteBitmapFile(const QString& path, const QImage& image, const QRect& area);

}  // namespace uikit
