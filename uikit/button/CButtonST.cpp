#include "uikit/button/CButtonST.h"

#include "uikit/paint/SkinPaint.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

namespace uikit {

namespace {

constexpr int kFocusInset = 3;
constexpr QSize kDefaultSize(90, 30);

}  // namespace

int ChooseButtonSlot(const ButtonLook& look)
{
    if (!look.hasPressedBitmap)
        return -1;
    if (look.checkBoxMode) {
        if (look.disabled && !look.checked)
            return look.hasDisabledBitmap ? CButtonST::kSlotDisabled : CButtonST::kSlotPressed;
        return look.pressed ? CButtonST::kSlotPressed : CButtonST::kSlotNormal;
    }
    if (look.disabled)
        return look.hasDisabledBitmap ? CButtonST::kSlotDisabled : CButtonST::kSlotPressed;
    return look.pressed ? CButtonST::kSlotPressed : CButtonST::kSlotNormal;
}

CButtonST::CButtonST(QWidget* parent) : QAbstractButton(parent)
{
    const QPalette& p = palette();
    colours_[kColourPressedBackground] = RefFromColor(p.color(QPalette::Button));
    colours_[kColourText] = RefFromColor(p.color(QPalette::ButtonText));
    colours_[kColourBackground] = RefFromColor(p.color(QPalette::Button));
    colours_[kColourSpareText] = RefFromColor(p.color(QPalette::ButtonText));
    // Nothing is painted behind the pictures: the parent's skin shows through.
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
}

CButtonST::~CButtonST() = default;

int CButtonST::SetBitmaps(const QPixmap& pressed, uint32_t keyPressed, const QPixmap& normal, uint32_t keyNormal,
                          const QPixmap& focus, uint32_t keyFocus, const QPixmap& disabled, uint32_t keyDisabled)
{
    for (Picture& picture : pictures_)
        picture = Picture{};
    if (!pressed.isNull()) {
        const Picture given[kSlotCount] = {
            {pressed, keyPressed}, {normal, keyNormal}, {focus, keyFocus}, {disabled, keyDisabled}};
        for (int i = 0; i < kSlotCount; ++i) {
            if (!given[i].pixmap.isNull())
                pictures_[i] = given[i];
        }
    }
    repaint();
    return 0;
}

int CButtonST::SetColor(int index, uint32_t colour, bool repaint)
{
    const int slot = index & 0xFF;
    if (slot > 3)
        return 3;
    colours_[slot] = colour;
    if (repaint)
        update();
    return 0;
}

uint32_t CButtonST::GetColor(int index) const
{
    return index >= 0 && index < kColourCount ? colours_[index] : 0;
}

void CButtonST::SetCheck(int checked, bool repaint)
{
    if (!isCheckable())
        return;
    setChecked(checked != 0);
    if (repaint)
        update();
}

void CButtonST::SetFlatFocus(bool on, bool repaint)
{
    flatFocus_ = on;
    if (repaint)
        update();
}

void CButtonST::SetCaption(const QString& text, const QFont* font, int format, int left, int top, int right,
                           int bottom, uint32_t colour)
{
    setText(text);
    captionFont_ = font ? std::optional<QFont>(*font) : std::nullopt;
    captionFormat_ = format;
    captionRect_ = RectFromEdges(left, top, right, bottom);
    captionColour_ = colour;
    update();
}

void CButtonST::SetFlag(bool on)
{
    drawWithKey_ = on;
    update();
}

void CButtonST::SetPlainWhenBare(bool on)
{
    plainWhenBare_ = on;
    update();
}

bool CButtonST::DrawsPlainPanel() const
{
    return plainWhenBare_ && SlotBitmap(CurrentSlot()).isNull();
}

void CButtonST::DrawPlainPanel(QPainter& painter) const
{
    const QPalette& p = palette();
    const bool down = Pressed();
    painter.fillRect(rect(), isEnabled() ? p.color(down ? QPalette::Mid : QPalette::Button)
                                         : p.color(QPalette::Window));
    painter.setPen(p.color(isEnabled() ? QPalette::Dark : QPalette::Mid));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!down) {
        painter.setPen(p.color(QPalette::Light));
        painter.drawLine(1, 1, width() - 3, 1);
        painter.drawLine(1, 1, 1, height() - 3);
    }
}

bool CButtonST::Pressed() const
{
    return isCheckable() ? (isDown() || isChecked()) : isDown();
}

int CButtonST::CurrentSlot() const
{
    ButtonLook look;
    look.hasPressedBitmap = !pictures_[kSlotPressed].pixmap.isNull();
    look.checkBoxMode = isCheckable();
    look.pressed = Pressed();
    look.checked = isChecked();
    look.disabled = !isEnabled();
    look.hasDisabledBitmap = !pictures_[kSlotDisabled].pixmap.isNull();
    return ChooseButtonSlot(look);
}

const QPixmap& CButtonST::SlotBitmap(int slot) const
{
    static const QPixmap none;
    return slot >= 0 && slot < kSlotCount ? pictures_[slot].pixmap : none;
}

QSize CButtonST::sizeHint() const
{
    const QPixmap& normal = pictures_[kSlotNormal].pixmap;
    return normal.isNull() ? kDefaultSize : normal.size();
}

void CButtonST::DrawPicture(QPainter& painter, int slot) const
{
    if (slot < 0 || slot >= kSlotCount)
        return;
    const Picture& picture = pictures_[slot];
    if (picture.pixmap.isNull())
        return;
    painter.drawPixmap(0, 0, drawWithKey_ ? KeyedPixmap(picture.pixmap, picture.key) : picture.pixmap);
}

void CButtonST::DrawCaption(QPainter& painter) const
{
    const QString caption = text();
    if (caption.isEmpty())
        return;
    QRect area;
    int format = 0;
    QColor colour;
    if (captionFont_) {
        painter.setFont(*captionFont_);
        area = captionRect_;
        format = captionFormat_;
        colour = ColorFromRef(captionColour_);
    } else {
        painter.setFont(font());
        area = rect();
        if (isDown() && !isCheckable())
            area.translate(1, 1);
        format = kFormatCentredWrapped;
        colour = ColorFromRef(colours_[kColourText]);
    }
    if (!isEnabled()) {
        // Embossed: a light copy one pixel down and right, the shadow in place.
        painter.setPen(palette().color(QPalette::Light));
        DrawFormattedText(painter, area.translated(1, 1), caption, format);
        painter.setPen(palette().color(QPalette::Mid));
        DrawFormattedText(painter, area, caption, format);
        return;
    }
    painter.setPen(colour);
    DrawFormattedText(painter, area, caption, format);
}

void CButtonST::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (DrawsPlainPanel())
        DrawPlainPanel(painter);
    else
        DrawPicture(painter, CurrentSlot());
    DrawCaption(painter);
    if (flatFocus_ && hasFocus() && showFocusRect_) {
        if (text().isEmpty() && isEnabled())
            DrawPicture(painter, kSlotFocus);
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(kFocusInset, kFocusInset, -kFocusInset - 1, -kFocusInset - 1));
    }
}

void CButtonST::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
}

void CButtonST::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        event->ignore();
        return;
    default:
        QAbstractButton::keyPressEvent(event);
    }
}

}  // namespace uikit
