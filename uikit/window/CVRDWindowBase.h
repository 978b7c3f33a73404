#pragma once

#include <cstdint>
#include <functional>

#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QTime>

class QPainter;
class QWidget;

// The skin-drawing base every screen and dialog carries beside its widget class: pictures copied
// opaquely or with a key colour left out, fonts, text in a rectangle, the clock in the top right
// corner, and placing one window relative to another. Rectangles are given by their edges (right
// and bottom exclusive), colours as 0x00BBGGRR, text formats as in uikit/paint/SkinPaint.h. The
// screens are laid out for an 800 x 600 client area.
namespace uikit {

// The key colour of every skin picture.
inline constexpr uint32_t kSkinKey = 0xFF00FF;

class CVRDWindowBase {
public:
    static constexpr int kSkinBitmapCount = 6;
    static constexpr int kSkinBitmapIds[kSkinBitmapCount] = {2389, 2390, 2391, 2401, 2402, 2403};

    CVRDWindowBase();
    virtual ~CVRDWindowBase();
    CVRDWindowBase(const CVRDWindowBase&) = delete;
    CVRDWindowBase& operator=(const CVRDWindowBase&) = delete;

    // Copies the picture from its origin (or from sourceX, sourceY) into the rectangle, unscaled.
    void DrawBitmap(QPainter& painter, const QPixmap& bitmap, int left, int top, int right, int bottom);
    void DrawBitmapPart(QPainter& painter, const QPixmap& bitmap, int left, int top, int right, int bottom,
                        int sourceX, int sourceY);
    // The same, leaving out the pixels of the key colour.
    void DrawBitmapTransparent(QPainter& painter, const QPixmap& bitmap, int left, int top, int right, int bottom,
                               uint32_t key);
    // At the picture's own size from (left, top) with the skin key left out; nothing for a null
    // picture.
    void DrawBitmapNatural(QPainter& painter, const QPixmap& bitmap, int left, int top, int right, int bottom);
    // A font of the mapped family; weight 700 when bold is 1. 0 without a font object, else 1.
    int CreateFont(QFont* font, int height, const QString& face, int bold, int quality);
    // Stores the window's client width and height; returns the width.
    int GetClientSize(const QWidget* window);
    // Moves the window onto the reference's outer rectangle (its own when the reference is null).
    void MoveToWindowRect(const QWidget* reference, QWidget* window);
    // Gives the window a client area of width x height, framed like the reference (the window
    // itself when null) and offset by (dx, dy) from the reference's outer top-left corner.
    void PlaceWindow(const QWidget* reference, QWidget* window, int dx, int dy, int width, int height);
    // Text in the rectangle with the font (the painter's when null), colour and format; the
    // painter's font and pen are restored afterwards.
    void DrawTextInRect(QPainter& painter, const QString& text, int left, int top, int right, int bottom,
                        const QFont* font, uint32_t colour, int format);
    // The clock: "hh:mmAM" / "hh:mmPM" on a light field at the top right.
    void DrawClock(QPainter& painter);

    // Where DrawClock draws for the stored client width.
    QRect ClockRect() const;

    // The clock's text for a time of day.
    static QString ClockText(int hour, int minute);
    // Where this window's clock reads the time of day: the system's local time unless given
    // another (a test's fixed time, so that its picture does not change).
    using ClockSource = std::function<QTime()>;
    void SetClockSource(ClockSource source);

protected:
    static constexpr int kFontQuality = 6;

private:
    QPixmap skin_[kSkinBitmapCount];
    QFont clockFont_;
    ClockSource clockSource_ = &QTime::currentTime;
    int clientWidth_ = 800;
    int clientHeight_ = 600;
};

}  // namespace uikit
