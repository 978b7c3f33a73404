#include "tests/resources/GuiApp.h"
#include "tools/skingen/SkinPainter.h"
#include "tools/skingen/SkinTable.h"

#include <gtest/gtest.h>

namespace {

class SkinPainterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureGuiApp(); }

    static skingen::SkinRow Row(const char* kind, int w, int h, QChar state = u'-', const char* glyph = "-",
                                const char* label = "")
    {
        skingen::SkinRow row;
        row.module = QStringLiteral("skin");
        row.id = 1;
        row.width = w;
        row.height = h;
        row.kind = QString::fromLatin1(kind);
        row.state = state;
        row.glyph = QString::fromLatin1(glyph);
        row.label = QString::fromLatin1(label);
        row.colour = QColor(0x31, 0x34, 0xDE);
        return row;
    }

    static int KeyPixels(const QImage& image)
    {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixel(x, y) == skingen::kKey ? 1 : 0;
        return count;
    }
};

TEST_F(SkinPainterTest, KeyedPicturesHaveKeyCornersAndSolidMiddles)
{
    const skingen::SkinRow rows[] = {
        Row("frame", 88, 88, u'-', "startup", "3"),
        Row("frame", 95, 95, u'-', "pcsync", "8"),
        Row("sensor", 117, 186, u'-', "thermometer", "rising"),
        Row("panel", 392, 266, u'-', "-", "A"),
        Row("msgpic", 160, 150, u'-', "attached"),
        Row("msgbg", 500, 300),
    };
    for (const skingen::SkinRow& row : rows) {
        SCOPED_TRACE(row.kind.toStdString());
        const QImage image = skingen::PaintSkin(row);
        ASSERT_EQ(image.size(), QSize(row.width, row.height));
        EXPECT_EQ(image.pixel(0, 0), skingen::kKey);
        EXPECT_EQ(image.pixel(row.width - 1, row.height - 1), skingen::kKey);
        EXPECT_NE(image.pixel(row.width / 2, row.height / 2), skingen::kKey);
        // Hard edges only: every pixel is either the key or clearly not magenta-tinted.
        int fringe = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb px = image.pixel(x, y);
                fringe += (px != skingen::kKey && qRed(px) > 200 && qBlue(px) > 200 && qGreen(px) < 60) ? 1 : 0;
            }
        EXPECT_EQ(fringe, 0);
    }
}

TEST_F(SkinPainterTest, ButtonStatesDifferAndCarryNoKey)
{
    QImage states[4];
    const QChar order[] = {u'P', u'N', u'F', u'D'};
    for (int i = 0; i < 4; ++i) {
        states[i] = skingen::PaintSkin(Row("button", 60, 44, order[i], "zoom"));
        ASSERT_EQ(states[i].size(), QSize(60, 44));
        EXPECT_EQ(KeyPixels(states[i]), 0);
    }
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j)
            EXPECT_NE(states[i], states[j]) << i << " " << j;
    // A plain face (the message box's OK and Cancel) is light, for the dark caption drawn on it.
    const QImage plain = skingen::PaintSkin(Row("button", 90, 30, u'N'));
    EXPECT_GT(qGray(plain.pixel(45, 15)), 180);
}

TEST_F(SkinPainterTest, OpaqueBackgroundsFillTheirSize)
{
    for (const skingen::SkinRow& row : {Row("screen", 800, 600, u'-', "-", "monitor"), Row("dialog", 320, 214, u'-', "setup"),
                                        Row("corner", 126, 55), Row("fwbg", 673, 405)}) {
        const QImage image = skingen::PaintSkin(row);
        ASSERT_EQ(image.size(), QSize(row.width, row.height));
        EXPECT_EQ(KeyPixels(image), 0) << row.kind.toStdString();
    }
}

// Whether every pixel of a rectangle has one colour: nothing of the art shows through there.
bool Plain(const QImage& image, const QRect& area)
{
    const QRgb first = image.pixel(area.topLeft());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) != first)
                return false;
    return true;
}

TEST_F(SkinPainterTest, DialogArtKeepsClearOfTheControls)
{
    // The integral dialog: "Method" at (15,18)-(120,37), its list at (92,15)-(222,40), the
    // explanation at (15,60)-(220,80); the band's edge line crosses none of them.
    const QImage integral = skingen::PaintSkin(Row("dialog", 235, 120, u'-', "integral"));
    EXPECT_TRUE(Plain(integral, QRect(15, 15, 208, 26)));
    EXPECT_TRUE(Plain(integral, QRect(15, 60, 206, 21)));
    const QImage curveFit = skingen::PaintSkin(Row("dialog", 235, 155, u'-', "curvefit"));
    EXPECT_TRUE(Plain(curveFit, QRect(15, 15, 208, 26)));
    // The sensor set-up dialog: the zero and factor fields at y 154..176 and the OK and Cancel
    // buttons below them sit on plain ground.
    for (const char* glyph : {"setup", "calibrate"}) {
        const QImage setup = skingen::PaintSkin(Row("dialog", 320, 214, u'-', glyph));
        EXPECT_TRUE(Plain(setup, QRect(95, 140, 215, 64))) << glyph;
    }
}

TEST_F(SkinPainterTest, UnknownKindGivesNoPicture)
{
    EXPECT_TRUE(skingen::PaintSkin(Row("nonsense", 10, 10)).isNull());
}

TEST_F(SkinPainterTest, TableRejectsMalformedRows)
{
    QVector<skingen::SkinRow> rows;
    QString error;
    EXPECT_FALSE(skingen::ReadSkinTable(QStringLiteral("/nonexistent/skins.tsv"), rows, error));
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
