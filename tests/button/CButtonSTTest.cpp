#include "tests/support/WidgetApp.h"
#include "uikit/button/CButtonST.h"
#include "uikit/paint/SkinPaint.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

using uikit::ButtonLook;
using uikit::CButtonST;

namespace {

const QColor kPressed(200, 0, 0);
const QColor kNormal(0, 200, 0);
const QColor kFocus(0, 0, 200);
const QColor kDisabled(120, 120, 120);
constexpr uint32_t kKey = 0xFF00FF;

class ButtonTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureWidgetApp(); }

    void SetUp() override
    {
        button_ = std::make_unique<CButtonST>();
        button_->resize(90, 30);
    }
    void GiveAllFour()
    {
        button_->SetBitmaps(SolidPixmap(90, 30, kPressed), kKey, SolidPixmap(90, 30, kNormal), kKey,
                            SolidPixmap(90, 30, kFocus), kKey, SolidPixmap(90, 30, kDisabled), kKey);
    }
    QColor PixelAt(int x, int y) { return button_->grab().toImage().pixelColor(x, y); }

    std::unique_ptr<CButtonST> button_;
};

TEST(ButtonSlotChoice, FollowsStateModeAndPictures)
{
    struct Row {
        ButtonLook look;
        int slot;
    };
    const Row rows[] = {
        // hasPressed, checkBox, pressed, checked, disabled, hasDisabled
        {{false, false, true, false, false, true}, -1},  // no pressed picture: nothing at all
        {{true, false, false, false, false, true}, 1},
        {{true, false, true, false, false, true}, 0},
        {{true, false, false, false, true, true}, 3},
        {{true, false, false, false, true, false}, 0},  // disabled without its picture: pressed one
        {{true, true, true, true, false, true}, 0},     // checked
        {{true, true, false, false, false, true}, 1},   // unchecked
        {{true, true, false, false, true, true}, 3},    // disabled unchecked
        {{true, true, false, false, true, false}, 0},
        {{true, true, true, true, true, true}, 0},      // disabled but checked keeps the checked face
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(&r - rows);
        EXPECT_EQ(uikit::ChooseButtonSlot(r.look), r.slot);
    }
}

TEST_F(ButtonTest, RealButtonPaintsThePictureOfItsState)
{
    GiveAllFour();
    EXPECT_EQ(button_->CurrentSlot(), 1);
    EXPECT_EQ(PixelAt(10, 10), kNormal);
    button_->setDown(true);
    EXPECT_EQ(PixelAt(10, 10), kPressed);
    button_->setDown(false);
    button_->setEnabled(false);
    EXPECT_EQ(PixelAt(10, 10), kDisabled);

    // Without a disabled picture the pressed one stands in.
    button_->SetBitmaps(SolidPixmap(90, 30, kPressed), kKey, SolidPixmap(90, 30, kNormal), kKey);
    EXPECT_EQ(button_->CurrentSlot(), 0);
    EXPECT_EQ(PixelAt(10, 10), kPressed);
}

TEST_F(ButtonTest, CheckBoxModeFlipsOnClickAndShowsTheCheckedPicture)
{
    GiveAllFour();
    button_->SetCheckBoxMode(true);
    QSignalSpy clicks(button_.get(), &QAbstractButton::clicked);
    button_->click();
    EXPECT_EQ(button_->GetCheck(), 1);
    EXPECT_EQ(PixelAt(10, 10), kPressed);
    button_->click();
    EXPECT_EQ(button_->GetCheck(), 0);
    EXPECT_EQ(PixelAt(10, 10), kNormal);
    EXPECT_EQ(clicks.count(), 2);

    button_->SetCheck(1);
    EXPECT_EQ(button_->GetCheck(), 1);
    // Outside check-box mode SetCheck does nothing.
    CButtonST plain;
    plain.SetCheck(1);
    EXPECT_EQ(plain.GetCheck(), 0);
}

TEST_F(ButtonTest, PicturesAreTheButtonsOwnAndANullPressedPictureClearsThem)
{
    {
        QPixmap pressed = SolidPixmap(90, 30, kPressed);
        QPixmap normal = SolidPixmap(90, 30, kNormal);
        button_->SetBitmaps(pressed, kKey, normal, kKey, {}, 0, SolidPixmap(90, 30, kDisabled), kKey);
        // The loader's copies go away: the button still has its pictures.
        pressed = QPixmap();
        normal.fill(Qt::black);
    }
    EXPECT_EQ(PixelAt(10, 10), kNormal);
    EXPECT_FALSE(button_->SlotBitmap(CButtonST::kSlotDisabled).isNull());

    // New pictures replace every old one, including slots the new set leaves empty.
    button_->SetBitmaps(SolidPixmap(90, 30, kPressed), kKey, SolidPixmap(90, 30, kNormal), kKey);
    EXPECT_TRUE(button_->SlotBitmap(CButtonST::kSlotDisabled).isNull());

    EXPECT_EQ(button_->SetBitmaps(QPixmap(), kKey, SolidPixmap(90, 30, kNormal), kKey), 0);
    for (int slot = 0; slot < CButtonST::kSlotCount; ++slot)
        EXPECT_TRUE(button_->SlotBitmap(slot).isNull()) << slot;
    EXPECT_EQ(button_->CurrentSlot(), -1);
}

// A white page holding one button, so that what the button leaves out shows white.
struct WhitePage {
    WhitePage()
    {
        page.resize(90, 30);
        page.setAutoFillBackground(true);
        QPalette palette = page.palette();
        palette.setColor(QPalette::Window, Qt::white);
        page.setPalette(palette);
        button = new CButtonST(&page);
        button->setGeometry(0, 0, 90, 30);
    }
    QImage Grab() { return page.grab().toImage(); }

    QWidget page;
    CButtonST* button = nullptr;
};

TEST_F(ButtonTest, KeyColourIsLeftOutOnlyWhenAsked)
{
    WhitePage parent;
    CButtonST* button = parent.button;
    QPixmap keyed = SolidPixmap(90, 30, kNormal);
    {
        QPainter p(&keyed);
        p.fillRect(0, 0, 10, 10, QColor(255, 0, 255));
    }
    button->SetBitmaps(keyed, kKey, keyed, kKey);
    EXPECT_EQ(parent.Grab().pixelColor(2, 2), QColor(255, 0, 255));
    button->SetFlag(true);
    EXPECT_EQ(parent.Grab().pixelColor(2, 2), QColor(Qt::white));
    EXPECT_EQ(parent.Grab().pixelColor(20, 20), kNormal);
}

TEST_F(ButtonTest, ColourIndexAboveThreeIsRefused)
{
    const uint32_t before = button_->GetColor(1);
    EXPECT_EQ(button_->SetColor(4, 0x123456), 3);
    EXPECT_EQ(button_->SetColor(0x104, 0x123456), 3);
    EXPECT_EQ(button_->GetColor(1), before);
    EXPECT_EQ(button_->SetColor(0x101, 0x123456), 0);  // only the low 8 bits name the slot
    EXPECT_EQ(button_->GetColor(1), 0x123456u);
}

int DarkPixels(const QImage& image, const QRect& area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixelColor(x, y).lightness() < 80 ? 1 : 0;
    return n;
}

TEST_F(ButtonTest, CaptionIsDrawnInItsOwnRectangleFontAndColour)
{
    button_->resize(200, 30);
    button_->SetBitmaps(SolidPixmap(200, 30, Qt::white), kKey, SolidPixmap(200, 30, Qt::white), kKey);
    const QFont font = button_->font();
    button_->SetCaption(QStringLiteral("WWW"), &font, uikit::kFormatLeftLine, 100, 0, 200, 30, 0x000000);
    EXPECT_TRUE(button_->HasCaptionFont());
    EXPECT_EQ(button_->text(), QStringLiteral("WWW"));
    const QImage image = button_->grab().toImage();
    EXPECT_EQ(DarkPixels(image, QRect(0, 0, 100, 30)), 0);
    EXPECT_GT(DarkPixels(image, QRect(100, 0, 100, 30)), 10);

    // Disabled: embossed in the palette's light and mid colours, no caption colour.
    button_->setEnabled(false);
    const QImage disabled = button_->grab().toImage();
    EXPECT_EQ(DarkPixels(disabled, QRect(100, 0, 100, 30)), 0);
}

TEST_F(ButtonTest, CheckBoxWithoutPicturesShowsOnlyItsCaption)
{
    WhitePage parent;
    CButtonST* button = parent.button;
    button->SetCheckBoxMode(true);
    button->SetCheck(1);
    button->SetColor(CButtonST::kColourText, 0x000000);
    button->setText(QStringLiteral("X"));
    const QImage image = parent.Grab();
    EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::white));
    EXPECT_GT(DarkPixels(image, image.rect()), 5);
}

TEST_F(ButtonTest, QuickDoubleTapIsTwoClicks)
{
    GiveAllFour();
    QSignalSpy clicks(button_.get(), &QAbstractButton::clicked);
    const QPointF at(10, 10);
    const QPointF global = button_->mapToGlobal(at.toPoint());
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QMouseEvent twice(QEvent::MouseButtonDblClick, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(button_.get(), &press);
    QApplication::sendEvent(button_.get(), &release);
    QApplication::sendEvent(button_.get(), &twice);
    QApplication::sendEvent(button_.get(), &release);
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(ButtonTest, ArrowKeysPassToTheScreen)
{
    for (int key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down}) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(button_.get(), &event);
        EXPECT_FALSE(event.isAccepted()) << key;
    }
}

}  // namespace
