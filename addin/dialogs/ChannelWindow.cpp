#include "addin/dialogs/ChannelWindow.h"

#include "addin/device/CorvikApi.h"
#include "addin/dialogs/AddInPictures.h"
#include "addin/dialogs/DisplayEvent.h"

#include "uikit/paint/SkinPaint.h"

#include <QPainter>
#include <QScopedValueRollback>
#include <QTimerEvent>

#include <cstring>

namespace addin::dialogs {

namespace {

constexpr int kChannelPitch = 160;
constexpr int kLineHeight = 16;
constexpr int kBusyRetryMs = 50;
constexpr int kFontQuality = 4;

}  // namespace

QString ToQString(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

ChannelWindow::ChannelWindow(const WindowLook& look, QWidget* parent)
    : QDialog(parent), look_(look), display_(device_, PostingSink(this, &generation_)), timers_(this)
{
    setObjectName(QString::number(look.dialogId));
    setWindowTitle(QString::fromUtf8(look.caption));
    setFixedSize(look.width, look.height);
    setFont(BaseFont());
    CreateFont(&valueFont_, 16, QStringLiteral("Arial"), 1, kFontQuality);
    CreateFont(&titleFont_, 16, QStringLiteral("Arial"), 1, kFontQuality);
    background_ = AddInBitmap(look.background);
    ShowTexts();
}

ChannelWindow::~ChannelWindow()
{
    StopTicks();
    StopDisplay();
}

void ChannelWindow::StartDisplay(bool detectFirst)
{
    display_.Start(table_, detectFirst);
}

void ChannelWindow::StopDisplay()
{
    display_.Stop();
    generation_.fetch_add(1, std::memory_order_acq_rel);
}

void ChannelWindow::StartTicks()
{
    ticking_ = true;
    timers_.SetTimer(kTimerId, look_.tickMs);
}

void ChannelWindow::StopTicks()
{
    ticking_ = false;
    timers_.KillAll();
}

void ChannelWindow::timerEvent(QTimerEvent* event)
{
    if (timers_.IdOf(event) != kTimerId) {
        QDialog::timerEvent(event);
        return;
    }
    // A host call or an alert of this tick may run the event loop: the tick never runs twice.
    if (inTick_ || !ticking_)
        return;
    const QScopedValueRollback guard(inTick_, true);
    timers_.KillTimer(kTimerId);
    {
        const device::CorvikApiBusyGuard busy;
        if (!busy.Acquired()) {
            timers_.SetTimer(kTimerId, kBusyRetryMs);
            return;
        }
        TickHeld();
    }
    if (TickDone() && ticking_)
        timers_.SetTimer(kTimerId, look_.tickMs);
}

void ChannelWindow::customEvent(QEvent* event)
{
    if (event->type() != DisplayEvent::Type()) {
        QDialog::customEvent(event);
        return;
    }
    const auto* posted = static_cast<const DisplayEvent*>(event);
    if (posted->generation != generation_.load(std::memory_order_acquire))
        return;
    if (posted->update.kind == DisplayUpdate::Kind::Detection)
        TakeDetection(posted->update);
    else
        TakeReadings(posted->update);
}

void ChannelWindow::TakeDetection(const DisplayUpdate& update)
{
    std::memcpy(table_, update.table, sizeof table_);
    for (int c = 0; c < device::kTableChannels; ++c) {
        if (table_[c].state != device::kEntryPresent)
            texts_[c] = ChannelTexts{};
    }
    ShowTexts();
}

void ChannelWindow::TakeReadings(const DisplayUpdate& update)
{
    for (int c = 0; c < device::kTableChannels; ++c) {
        if (update.channels[c].shown)
            texts_[c] = update.channels[c];
    }
    ShowTexts();
}

void ChannelWindow::ShowTexts()
{
    QStringList shown;
    for (const ChannelTexts& texts : texts_) {
        QStringList lines{ToQString(texts.title)};
        for (int i = 0; i < texts.lineCount; ++i)
            lines << ToQString(texts.lines[i]);
        shown << (texts.shown ? lines.join(QLatin1Char('\n')) : QString());
    }
    setProperty("channelTexts", shown);
    update();
}

void ChannelWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintChannels(painter);
}

void ChannelWindow::PaintChannels(QPainter& painter)
{
    if (background_.isNull())
        painter.fillRect(rect(), Qt::white);
    DrawBitmapNatural(painter, background_, 0, 0, look_.width, look_.height);
    const PanelLayout& layout = look_.panels;
    for (int c = 0; c < device::kTableChannels; ++c) {
        if (!texts_[c].shown || table_[c].state != device::kEntryPresent)
            continue;
        const int x = kChannelPitch * c;
        for (int i = 0; i < texts_[c].lineCount; ++i) {
            const int top = layout.valueTop + kLineHeight * i;
            DrawTextInRect(painter, ToQString(texts_[c].lines[i]),
                           uikit::RectFromEdges(x + 7, top, x + 113, top + kLineHeight), &valueFont_,
                           kChannelColours[c], uikit::kTextRight | uikit::kTextSingleLine | uikit::kTextVCentre);
        }
        DrawTextInRect(painter, ToQString(texts_[c].title),
                       uikit::RectFromEdges(x + 7, layout.titleTop, x + 148, layout.titleBottom), &titleFont_,
                       kChannelColours[c], uikit::kFormatCentredWrapped);
    }
}

}  // namespace addin::dialogs
