#include "uikit/window/CVRDWindowBase.h"

#include "uikit/paint/SkinPaint.h"
#include "uikit/resources/FontMap.h"
#include "uikit/resources/ResourceModule.h"

#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace uikit {

namespace {

constexpr int kClockLeft = 674;
constexpr int kClockTop = 4;
constexpr int kClockWidth = 118;
constexpr int kClockBottom = 48;
constexpr int kClockRightMargin = 126;
constexpr int kClockFieldInset = 5;
constexpr uint32_t kClockFieldColour = 0xEEEEED;
constexpr uint32_t kClockTextColour = 0x643700;

// The outer rectangle of a widget in global coordinates: a window's frame, a child's geometry.
QRect OuterRect(const QWidget* w)
{
    if (w->isWindow())
        return w->frameGeometry();
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

QSize FrameExtra(const QWidget* w)
{
    const QRect outer = OuterRect(w);
    return QSize(std::max(0, outer.width() - w->width()), std::max(0, outer.height() - w->height()));
}

// Puts the widget's outer rectangle at `outer` (global coordinates).
void SetOuterRect(QWidget* w, const QRect& outer)
{
    const QSize extra = FrameExtra(w);
    const QSize client(std::max(0, outer.width() - extra.width()), std::max(0, outer.height() - extra.height()));
    if (w->isWindow()) {
        // Only an actual move counts as one: a window left where it is keeps being centred over
        // its owner when it is first shown.
        if (outer.topLeft() != OuterRect(w).topLeft())
            w->move(outer.topLeft());
    } else if (QWidget* parent = w->parentWidget()) {
        w->move(parent->mapFromGlobal(outer.topLeft()));
    } else {
        w->move(outer.topLeft());
    }
    w->resize(client);
    w->update();
}

}  // namespace

CVRDWindowBase::CVRDWindowBase()
{
    ResourceModule& module = BitmapModule();
    if (module.Load()) {
        for (int i = 0; i < kSkinBitmapCount; ++i)
            skin_[i] = module.Bitmap(kSkinBitmapIds[i]);
    }
    CreateFont(&clockFont_, 20, QStringLiteral("tahoma"), 0, kFontQuality);
}

CVRDWindowBase::~CVRDWindowBase() = default;

void CVRDWindowBase::DrawBitmap(QPainter& painter, const QPixmap& bitmap, int left, int top, int right, int bottom)
{
    DrawBitmapPart(painter, bitmap, left, top, right, bottom, 0, 0);
}

void CVRDWindowBase::DrawBitmapPart(QPainter& painter, const QPixmap& bitmap, int left, int top, int right,
                                    int bottom, int sourceX, int sourceY)
{
    if (bitmap.isNull() || right <= left || bottom <= top)
        return;
    const QRect target = RectFromEdges(left, top, right, bottom);
    const QRect source(sourceX, sourceY, target.width(), target.height());
    // Unscaled: what lies beyond the picture is simply not drawn.
    const QRect available = source.intersected(bitmap.rect());
    if (available.isEmpty())
        return;
    painter.drawPixmap(target.topLeft() + (available.topLeft() - source.topLeft()), bitmap, available);
}

void CVRDWindowBase::DrawBitmapTransparent(QPainter& painter, const QPixmap& bitmap, int left, int top, int right,
                                           int bottom, uint32_t key)
{
    if (bitmap.isNull())
        return;
    DrawBitmap(painter, KeyedPixmap(bitmap, key), left, top, right, bottom);
}

void CVRDWindowBase::DrawBitmapNatural(QPainter& painter, const QPixmap& bitmap, int left, int top, int, int)
{
    if (bitmap.isNull())
        return;
    DrawBitmapTransparent(painter, bitmap, left, top, left + bitmap.width(), top + bitmap.height(), kSkinKey);
}

int CVRDWindowBase::CreateFont(QFont* font, int height, const QString& face, int bold, int)
{
    if (!font)
        return 0;
    // The quality asks for smoothed glyphs, which every font of ours is.
    *font = MakeFont(face, height, bold == 1);
    return 1;
}

int CVRDWindowBase::GetClientSize(const QWidget* window)
{
    if (window) {
        clientWidth_ = window->width();
        clientHeight_ = window->height();
    }
    return clientWidth_;
}

void CVRDWindowBase::MoveToWindowRect(const QWidget* reference, QWidget* window)
{
    if (!window)
        return;
    SetOuterRect(window, OuterRect(reference ? reference : window));
}

void CVRDWindowBase::PlaceWindow(const QWidget* reference, QWidget* window, int dx, int dy, int width, int height)
{
    if (!window)
        return;
    const QWidget* r = reference ? reference : window;
    const QRect outer = OuterRect(r);
    const QSize extra = FrameExtra(r);
    SetOuterRect(window, QRect(outer.left() + dx, outer.top() + dy, extra.width() + std::max(0, width),
                               extra.height() + std::max(0, height)));
}

void CVRDWindowBase::DrawTextInRect(QPainter& painter, const QString& text, int left, int top, int right,
                                    int bottom, const QFont* font, uint32_t colour, int format)
{
    painter.save();
    if (font)
        painter.setFont(*font);
    painter.setPen(ColorFromRef(colour));
    painter.setBackgroundMode(Qt::TransparentMode);
    DrawFormattedText(painter, RectFromEdges(left, top, right, bottom), text, format);
    painter.restore();
}

QString CVRDWindowBase::ClockText(int hour, int minute)
{
    hour = std::clamp(hour, 0, 23);
    minute = std::clamp(minute, 0, 59);
    // Hours 0-11 as they are (midnight reads 00), 12 as 12, 13-23 as 1-11.
    const int shown = hour > 12 ? hour - 12 : hour;
    return QStringLiteral("%1%2:%3%4%5")
        .arg(shown / 10)
        .arg(shown % 10)
        .arg(minute / 10)
        .arg(minute % 10)
        .arg(hour < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

void CVRDWindowBase::SetClockSource(ClockSource source)
{
    clockSource_ = source ? std::move(source) : ClockSource(&QTime::currentTime);
}

QRect CVRDWindowBase::ClockRect() const
{
    const int left = clientWidth_ <= 800 ? kClockLeft : clientWidth_ - kClockRightMargin;
    return RectFromEdges(left, kClockTop, left + kClockWidth, kClockBottom);
}

void CVRDWindowBase::DrawClock(QPainter& painter)
{
    const QTime now = clockSource_();
    const QRect r = ClockRect();
    painter.fillRect(r.adjusted(kClockFieldInset, kClockFieldInset, -kClockFieldInset, -kClockFieldInset),
                     ColorFromRef(kClockFieldColour));
    DrawTextInRect(painter, ClockText(now.hour(), now.minute()), r.left(), r.top(), r.right() + 1, r.bottom() + 1,
                   &clockFont_, kClockTextColour, kFormatCentredLine);
}

}  // namespace uikit
