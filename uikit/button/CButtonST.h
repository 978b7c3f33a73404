#pragma once

#include <cstdint>
#include <optional>

#include <QAbstractButton>
#include <QFont>
#include <QPixmap>
#include <QRect>

// The skinned push button of every program of the suite: drawn entirely from up to four state
// pictures and an optional caption with its own font, rectangle and colour. Always flat, no hover
// state (the programs are laid out for touch screens). A checkable button is the check-box mode:
// a click flips its state.
namespace uikit {

// What decides the picture a button shows.
struct ButtonLook {
    bool hasPressedBitmap = false;  // slot 0 holds a picture; without one no picture is drawn
    bool checkBoxMode = false;
    bool pressed = false;  // held down, or (in check-box mode) checked
    bool checked = false;
    bool disabled = false;
    bool hasDisabledBitmap = false;
};

// The slot (0 pressed, 1 normal, 3 disabled) a button in this state draws, or -1 for none.
int ChooseButtonSlot(const ButtonLook& look);

class CButtonST : public QAbstractButton {
    Q_OBJECT

public:
    enum Slot { kSlotPressed = 0, kSlotNormal = 1, kSlotFocus = 2, kSlotDisabled = 3, kSlotCount = 4 };
    // Colour slots.
    enum ColourIndex {
        kColourPressedBackground = 0,
        kColourText = 1,
        kColourBackground = 2,
        kColourSpareText = 3,
        kColourCount = 4
    };

    explicit CButtonST(QWidget* parent = nullptr);
    ~CButtonST() override;

    // Replaces the pictures (key colours 0x00BBGGRR). With a null pressed picture the button
    // keeps none. Returns 0. The button keeps its own copies; callers need not hold theirs.
    int SetBitmaps(const QPixmap& pressed, uint32_t keyPressed, const QPixmap& normal, uint32_t keyNormal,
                   const QPixmap& focus = {}, uint32_t keyFocus = 0, const QPixmap& disabled = {},
                   uint32_t keyDisabled = 0);
    // 3 for an index above 3 (nothing changes), else 0.
    int SetColor(int index, uint32_t colour, bool repaint = true);
    uint32_t GetColor(int index) const;
    // Check-box mode: a checkable button.
    void SetCheckBoxMode(bool on) { setCheckable(on); }
    // Only in check-box mode.
    void SetCheck(int checked, bool repaint = true);
    int GetCheck() const { return isChecked() ? 1 : 0; }
    void SetFlatFocus(bool on, bool repaint = true);
    void SetShowFocusRect(bool on) { showFocusRect_ = on; }
    // The caption in its own font (none: the button's font, centred and word-wrapped in the whole
    // button in colour slot 1), format flags, rectangle (relative to the button) and colour.
    void SetCaption(const QString& text, const QFont* font, int format, int left, int top, int right, int bottom,
                    uint32_t colour);
    // Pictures are drawn with their key colour left out when on, opaquely otherwise.
    void SetFlag(bool on);
    // When on, a button whose picture is missing (a skin module that was not found) is drawn as a
    // plain framed panel, so that it can still be seen and pressed.
    void SetPlainWhenBare(bool on);
    bool DrawsPlainPanel() const;

    // The slot a repaint would draw now, -1 for none.
    int CurrentSlot() const;
    const QPixmap& SlotBitmap(int slot) const;
    bool HasCaptionFont() const { return captionFont_.has_value(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    // A second quick tap is a second press, so a double tap is two clicks.
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // Arrow keys are the screens' (the shared key filter's), never a focus move between buttons.
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Picture {
        QPixmap pixmap;
        uint32_t key = 0;
    };

    bool Pressed() const;
    void DrawPicture(QPainter& painter, int slot) const;
    void DrawCaption(QPainter& painter) const;
    void DrawPlainPanel(QPainter& painter) const;

    Picture pictures_[kSlotCount];
    uint32_t colours_[kColourCount] = {};
    bool drawWithKey_ = false;
    bool flatFocus_ = false;
    bool showFocusRect_ = true;
    bool plainWhenBare_ = false;
    std::optional<QFont> captionFont_;
    QRect captionRect_;
    uint32_t captionColour_ = 0;
    int captionFormat_ = 0;
};

}  // namespace uikit
