#include "uikit/chart/BitmapFile.h"

#include "platform/LittleEndian.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <cstdint>
#include <vector>

namespace uikit {

int WriteBitmapFile(const QString& path, const QImage& image, const QRect& area)
{
    const int64_t width = area.width();
    const int64_t height = area.height();
    if (width <= 0 || height <= 0)
        return 0;
    const int64_t imageBytes = width * height * 4;
    if (imageBytes > int64_t(UINT32_MAX) - kBitmapHeaderSize)
        return 0;

    uint8_t header[kBitmapHeaderSize] = {};
    header[0] = 'B';
    header[1] = 'M';
    platform::WriteLE32(header, 2, uint32_t(imageBytes + kBitmapHeaderSize));
    platform::WriteLE32(header, 10, kBitmapHeaderSize);
    platform::WriteLE32(header, 14, 40);
    platform::WriteLE32(header, 18, uint32_t(width));
    platform::WriteLE32(header, 22, uint32_t(height));  // positive: rows bottom-up
    platform::WriteLE16(header, 26, 1);                 // planes
    platform::WriteLE16(header, 28, 32);                // bits per pixel
    platform::WriteLE32(header, 34, uint32_t(imageBytes));

    // Opening truncates an existing file, which is what deleting and re-creating it achieves.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    // A picture cut short (a full disk) would still open in the report as a broken image: a
    // failed write leaves no file behind.
    const auto fail = [&file] {
        file.close();
        if (QFileInfo(file.fileName()).isFile())
            file.remove();
        return 0;
    };
    if (file.write(reinterpret_cast<const char*>(header), sizeof header) != qint64(sizeof header))
        return fail();

    const QImage source = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    std::vector<uint8_t> row(size_t(width) * 4);
    for (int64_t r = height - 1; r >= 0; --r) {
        const int y = area.top() + int(r);
        for (int64_t c = 0; c < width; ++c) {
            const int x = area.left() + int(c);
            QRgb pixel = 0;
            if (source.valid(x, y))
                pixel = reinterpret_cast<const QRgb*>(source.constScanLine(y))[x];
            uint8_t* out = row.data() + c * 4;
            out[0] = uint8_t(qBlue(pixel));
            out[1] = uint8_t(qGreen(pixel));
            out[2] = uint8_t(qRed(pixel));
            out[3] = 0;
        }
        if (file.write(reinterpret_cast<const char*>(row.data()), qint64(row.size())) != qint64(row.size()))
            return fail();
    }
    if (!file.flush())
        return fail();
    file.close();
    if (file.error() != QFileDevice::NoError)
        return fail();
    return 1;
}

}  // namespace uikit
