#include "ToolkitTestSupport.h"

#include "uikit/paint/SkinPaint.h"
#include "uikit/window/CVRDWindowBase.h"

#include <QPainter>
#include <QWidget>

namespace {

using uikit::CVRDWindowBase;

class WindowBaseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        EnsureWidgetApp();
        QDir::setCurrent(QStringLiteral(CORVIK_DATA_DIR));
    }
    static QImage White(int w, int h)
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(Qt::white);
        return image;
    }

    CVRDWindowBase base_;
};

TEST_F(WindowBaseTest, ClockReadsTwelveHoursWithMidnightAsZero)
{
    struct Row {
        int hour, minute;
        const char* text;
    };
    const Row rows[] = {{0, 5, "00:05AM"}, {11, 59, "11:59AM"}, {12, 30, "12:30PM"},
                        {13, 7, "01:07PM"}, {23, 0, "11:00PM"}, {9, 9, "09:09AM"}};
    for (const Row& r : rows)
        EXPECT_EQ(CVRDWindowBase::ClockText(r.hour, r.minute).toStdString(), r.text);
}

TEST_F(WindowBaseTest, ClockSitsAtTheRightOfWideClients)
{
    EXPECT_EQ(base_.ClockRect(), QRect(674, 4, 118, 44));  // 800 x 600 until measured
    QWidget wide;
    wide.resize(1024, 768);
    EXPECT_EQ(base_.GetClientSize(&wide), 1024);
    EXPECT_EQ(base_.ClockRect().left(), 898);
    QWidget narrow;
    narrow.resize(640, 480);
    base_.GetClientSize(&narrow);
    EXPECT_EQ(base_.ClockRect().left(), 674);
}

TEST_F(WindowBaseTest, ClockDrawsItsFieldAndTheTimeOfItsSource)
{
    base_.SetClockSource([] { return QTime(13, 7); });
    QWidget wide;
    wide.resize(1024, 100);
    base_.GetClientSize(&wide);
    QImage image = White(1024, 100);
    {
        QPainter painter(&image);
        base_.DrawClock(painter);
    }
    EXPECT_EQ(image.pixelColor(898 + 6, 10), uikit::ColorFromRef(0xEEEEED));
    EXPECT_EQ(image.pixelColor(898 + 2, 10), QColor(Qt::white));  // the field is inset by 5
    int textPixels = 0;
    for (int y = 4; y < 48; ++y)
        for (int x = 898; x < 898 + 118; ++x)
            textPixels += image.pixelColor(x, y).blue() < 150 ? 1 : 0;  // 0x643700 is dark blue
    EXPECT_GT(textPixels, 50);
}

TEST_F(WindowBaseTest, PlaceWindowGivesTheClientAreaFramedAndOffsetLikeTheReference)
{
    QWidget page;
    page.resize(800, 600);
    auto* reference = new QWidget(&page);
    reference->setGeometry(40, 30, 200, 100);
    auto* window = new QWidget(&page);
    base_.PlaceWindow(reference, window, 10, 50, 300, 120);
    EXPECT_EQ(window->geometry(), QRect(50, 80, 300, 120));
    // Without a size only the frame is left (a child page has none).
    base_.PlaceWindow(nullptr, window, 0, 0, 0, 0);
    EXPECT_EQ(window->size(), QSize(0, 0));
    EXPECT_EQ(window->pos(), QPoint(50, 80));
    base_.MoveToWindowRect(reference, window);
    EXPECT_EQ(window->geometry(), reference->geometry());
}

TEST_F(WindowBaseTest, PicturesAreCopiedUnscaledWithTheKeyLeftOutWhereAsked)
{
    QPixmap picture(20, 20);
    picture.fill(Qt::red);
    {
        QPainter p(&picture);
        p.fillRect(0, 0, 10, 20, QColor(255, 0, 255));
    }
    QImage image = White(100, 100);
    {
        QPainter painter(&image);
        base_.DrawBitmapNatural(painter, QPixmap(), 0, 0, 100, 100);  // nothing for no picture
        base_.DrawBitmap(painter, picture, 0, 0, 60, 60);             // never stretched
        base_.DrawBitmapTransparent(painter, picture, 50, 50, 70, 70, uikit::kSkinKey);
        base_.DrawBitmapPart(painter, picture, 0, 70, 10, 80, 12, 0);
    }
    EXPECT_EQ(image.pixelColor(2, 2), QColor(255, 0, 255));
    EXPECT_EQ(image.pixelColor(15, 15), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(30, 30), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(52, 52), QColor(Qt::white));  // key left out
    EXPECT_EQ(image.pixelColor(65, 65), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(2, 72), QColor(Qt::red));  // read from (12, 0)
    EXPECT_EQ(image.pixelColor(2, 90), QColor(Qt::white));
}

TEST_F(WindowBaseTest, TextIsDrawnInItsRectangleAndThePainterIsGivenBack)
{
    QImage image = White(200, 40);
    QPainter painter(&image);
    const QFont before = painter.font();
    painter.setPen(Qt::green);
    QFont big;
    ASSERT_EQ(base_.CreateFont(&big, 30, QStringLiteral("Malgun Gothic"), 1, 6), 1);
    EXPECT_EQ(base_.CreateFont(nullptr, 30, QStringLiteral("Arial"), 0, 6), 0);
    base_.DrawTextInRect(painter, QStringLiteral("MM"), 100, 0, 200, 40, &big, 0x000000, uikit::kFormatCentredLine);
    EXPECT_EQ(painter.font(), before);
    EXPECT_EQ(painter.pen().color(), QColor(Qt::green));
    painter.end();
    int left = 0, right = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x)
            (x < 100 ? left : right) += image.pixelColor(x, y).lightness() < 80 ? 1 : 0;
    EXPECT_EQ(left, 0);
    EXPECT_GT(right, 40);
}

TEST(TextFormat, FlagsMapToQtAlignment)
{
    EXPECT_EQ(uikit::QtTextFlags(37), int(Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine));
    EXPECT_EQ(uikit::QtTextFlags(36), int(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine));
    EXPECT_EQ(uikit::QtTextFlags(17), int(Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap));
    EXPECT_EQ(uikit::QtTextFlags(0), int(Qt::AlignLeft | Qt::AlignTop));
    EXPECT_EQ(uikit::QtTextFlags(2 | 8), int(Qt::AlignRight | Qt::AlignBottom));
}

}  // namespace
