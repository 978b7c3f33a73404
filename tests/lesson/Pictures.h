#pragma once

// The pictures the program writes (the report's BMP files), read back pixel by pixel.

#include <QImage>
#include <QRect>

#include <cstdint>
#include <cstdlib>

namespace lesson {

// The measurement chart's colours of the first value of channels A, C and D (0x00BBGGRR).
inline constexpr uint32_t kCurveA = 0xDE3431;
inline constexpr uint32_t kCurveC = 0x0092EF;
inline constexpr uint32_t kCurveD = 0x2A910A;

// Pixels within a little of `colour` (0x00BBGGRR) inside `area` of the picture; curves and texts
// are drawn smoothed, so only their middles carry the colour itself.
inline int PixelsNear(const QImage& picture, const QRect& area, uint32_t colour)
{
    constexpr int kTolerance = 24;
    const QRect inside = area.intersected(picture.rect());
    int count = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QRgb pixel = picture.pixel(x, y);
            count += std::abs(qRed(pixel) - int(colour & 0xFF)) <= kTolerance &&
                             std::abs(qGreen(pixel) - int((colour >> 8) & 0xFF)) <= kTolerance &&
                             std::abs(qBlue(pixel) - int((colour >> 16) & 0xFF)) <= kTolerance
                         ? 1
                         : 0;
        }
    }
    return count;
}

// The plot of an 800 x 415 run picture with two series shown, clear of its frame.
inline const QRect kRunPlot(80, 8, 700, 365);

}  // namespace lesson
