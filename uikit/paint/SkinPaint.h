#pragma once

#include <cstdint>

#include <QColor>
#include <QPixmap>
#include <QRect>

class QPainter;
class QString;

// What every skinned widget of the suite draws with: colours stored the platform's way
// (0x00BBGGRR), the text-drawing format flags the screens pass around, and pictures with their
// key colour left out.
namespace uikit {

inline QColor ColorFromRef(uint32_t colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

inline uint32_t RefFromColor(const QColor& colour)
{
    return uint32_t(colour.red()) | uint32_t(colour.green()) << 8 | uint32_t(colour.blue()) << 16;
}

// A rectangle given by its edges, right and bottom exclusive.
inline QRect RectFromEdges(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

// Text-drawing format flags.
inline constexpr int kTextCentre = 0x01;
inline constexpr int kTextRight = 0x02;
inline constexpr int kTextVCentre = 0x04;
inline constexpr int kTextBottom = 0x08;
inline constexpr int kTextWordBreak = 0x10;
inline constexpr int kTextSingleLine = 0x20;
// The combinations the screens use.
inline constexpr int kFormatCentredLine = kTextSingleLine | kTextVCentre | kTextCentre;  // 37
inline constexpr int kFormatLeftLine = kTextSingleLine | kTextVCentre;                   // 36
inline constexpr int kFormatCentred = kTextVCentre | kTextCentre;                        // 5
inline constexpr int kFormatCentredWrapped = kTextWordBreak | kTextCentre;               // 17

// The Qt alignment and text flags of a format.
int QtTextFlags(int format);
// Draws `text` in `rect` with the painter's font and pen.
void DrawFormattedText(QPainter& painter, const QRect& rect, const QString& text, int format);

// The picture with every pixel of the key colour (0x00BBGGRR) transparent. Masks are cached per
// picture and key, so repainting costs no pixel pass.
QPixmap KeyedPixmap(const QPixmap& picture, uint32_t key);

}  // namespace uikit
