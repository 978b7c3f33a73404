#include "tests/resources/GuiApp.h"
#include "uikit/resources/FontMap.h"
#include "uikit/resources/ResourceModule.h"
#include "uikit/resources/SensorPictures.h"

#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

namespace {

class ResourceModuleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureGuiApp(); }
};

TEST_F(ResourceModuleTest, StringsAreCutLikeAFixedBuffer)
{
    uikit::ResourceModule module(QStringLiteral(CORVIK_TEST_STRINGS_MODULE));
    EXPECT_EQ(module.String(1, 32), QStringLiteral("plain"));
    EXPECT_EQ(module.String(1, 6), QStringLiteral("plain"));  // five units and the terminator
    EXPECT_EQ(module.String(1, 5), QStringLiteral("plai"));
    EXPECT_EQ(module.String(1, 2), QStringLiteral("p"));
    EXPECT_EQ(module.String(1, 1), QString());
    EXPECT_EQ(module.String(1, 0), QString());
    EXPECT_EQ(module.String(1, -5), QString());
    // A cut inside a surrogate pair drops the half character instead of leaving it broken.
    EXPECT_EQ(module.String(4, 4), QStringLiteral("ab"));
    EXPECT_EQ(module.String(4, 5), QStringLiteral("ab😀"));
}

TEST_F(ResourceModuleTest, TableSyntax)
{
    uikit::ResourceModule module(QStringLiteral(CORVIK_TEST_STRINGS_MODULE));
    EXPECT_EQ(module.String(2, 256), QStringLiteral("line one\nline two\ttab \\ slash"));
    EXPECT_EQ(module.String(3, 256), QStringLiteral("first wins"));
    EXPECT_EQ(module.String(5, 256), QString());
    EXPECT_EQ(module.String(6, 256), QStringLiteral("한국어 ρφθ°"));
    EXPECT_EQ(module.String(999, 256), QString());
    EXPECT_TRUE(module.Bitmap(1).isNull());  // a string module holds no pictures

    const auto table = uikit::ParseStringTable("# c\n10\tx\r\n\t y\n11\n12\tz\\");
    EXPECT_EQ(table.size(), 2);
    EXPECT_EQ(table.value(10), QStringLiteral("x"));
    EXPECT_EQ(table.value(12), QStringLiteral("z\\"));
}

TEST_F(ResourceModuleTest, MissingModuleIsRetriedOnNextUse)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("late.rcc"));
    uikit::ResourceModule module(path);
    EXPECT_FALSE(module.Load());
    EXPECT_EQ(module.String(1, 32), QString());
    EXPECT_TRUE(module.Bitmap(2001).isNull());
    EXPECT_TRUE(module.MaskedBitmap(2001).isNull());

    ASSERT_TRUE(QFile::copy(QStringLiteral(CORVIK_TEST_STRINGS_MODULE), path));
    EXPECT_EQ(module.String(1, 32), QStringLiteral("plain"));
    EXPECT_TRUE(module.IsLoaded());
    module.Unload();
    EXPECT_FALSE(module.IsLoaded());
    EXPECT_EQ(module.String(1, 32), QStringLiteral("plain"));
}

TEST_F(ResourceModuleTest, FirstUseFromSeveralThreadsLoadsOnce)
{
    uikit::ResourceModule module(DataPath(QString::fromLatin1(uikit::kLanguageModuleName)));
    std::vector<QString> texts(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < texts.size(); ++i)
        threads.emplace_back([&module, &texts, i] { texts[i] = module.String(2085, 256); });
    for (std::thread& t : threads)
        t.join();
    for (const QString& text : texts)
        EXPECT_EQ(text, QStringLiteral("No sensor connected"));
}

TEST_F(ResourceModuleTest, RelativeNamesResolveAgainstTheCurrentDirectory)
{
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QStringLiteral(CORVIK_DATA_DIR)));
    uikit::ResourceModule language(QString::fromLatin1(uikit::kLanguageModuleName));
    EXPECT_EQ(language.String(2034, 32), QStringLiteral("OK"));
    EXPECT_EQ(uikit::LanguageModule().String(2035, 32), QStringLiteral("Cancel"));
    EXPECT_FALSE(uikit::BitmapModule().Bitmap(2001).isNull());
    QDir::setCurrent(saved);
}

TEST_F(ResourceModuleTest, IdsArePerModule)
{
    uikit::ResourceModule language(DataPath(QString::fromLatin1(uikit::kLanguageModuleName)));
    uikit::ResourceModule skin(DataPath(QString::fromLatin1(uikit::kBitmapModuleName)));
    for (int id : {2067, 2105}) {
        EXPECT_FALSE(language.String(id, 256).isEmpty()) << id;
        EXPECT_TRUE(language.Bitmap(id).isNull()) << id;
        EXPECT_FALSE(skin.Bitmap(id).isNull()) << id;
        EXPECT_TRUE(skin.String(id, 256).isEmpty()) << id;
    }
    EXPECT_TRUE(skin.Bitmap(1).isNull());
}

TEST_F(ResourceModuleTest, MaskedBitmapClearsOnlyTheKey)
{
    uikit::ResourceModule skin(DataPath(QString::fromLatin1(uikit::kBitmapModuleName)));
    const QImage raw = skin.Image(2009);  // a start-up frame: a disc on the key colour
    ASSERT_EQ(raw.size(), QSize(88, 88));
    EXPECT_EQ(raw.pixel(0, 0) & 0xFFFFFF, uikit::kSkinKeyColour);

    const QPixmap masked = skin.MaskedBitmap(2009);
    ASSERT_FALSE(masked.isNull());
    const QImage image = masked.toImage();
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(44, 44)), 255);
    // Built once: the second call hands back the same cached pixmap.
    EXPECT_EQ(skin.MaskedBitmap(2009).cacheKey(), masked.cacheKey());
    // A different key leaves the magenta in place.
    EXPECT_EQ(qAlpha(skin.MaskedBitmap(2009, 0x00FF00).toImage().pixel(0, 0)), 255);

    QImage synthetic(3, 1, QImage::Format_RGB32);
    synthetic.setPixel(0, 0, 0xFFFF00FF);
    synthetic.setPixel(1, 0, 0xFFFE00FF);
    synthetic.setPixel(2, 0, 0xFF000000);
    const QImage out = uikit::MaskKeyColour(synthetic, 0xFF00FF);
    EXPECT_EQ(qAlpha(out.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(out.pixel(1, 0)), 255);
    EXPECT_EQ(out.pixel(2, 0), 0xFF000000);
    EXPECT_TRUE(uikit::MaskKeyColour(QImage(), 0xFF00FF).isNull());
}

TEST_F(ResourceModuleTest, FontsMapToInstalledFamilies)
{
    EXPECT_EQ(uikit::MapFontFamily(QStringLiteral("Malgun Gothic")), QStringLiteral("NanumGothic"));
    EXPECT_EQ(uikit::MapFontFamily(QStringLiteral("tahoma")), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(uikit::MapFontFamily(QStringLiteral("Arial")), QStringLiteral("DejaVu Sans"));

    const QFont korean = uikit::MakeFont(QStringLiteral("Malgun Gothic"), 20, true);
    EXPECT_EQ(korean.pixelSize(), 20);
    EXPECT_EQ(korean.weight(), QFont::Bold);
    EXPECT_EQ(QFontInfo(korean).family(), QStringLiteral("NanumGothic"));
    const QFontMetrics metrics(korean);
    for (QChar c : QStringLiteral("전도도의 평균새실험ρφθ°"))
        EXPECT_TRUE(metrics.inFont(c)) << int(c.unicode());
    EXPECT_EQ(uikit::MakeFont(QStringLiteral("tahoma"), 0, false).pixelSize(), 12);
}

TEST_F(ResourceModuleTest, SensorPictureRowsAreDistinctAndInTheModule)
{
    uikit::ResourceModule skin(DataPath(QString::fromLatin1(uikit::kBitmapModuleName)));
    EXPECT_EQ(uikit::SensorPictureRow(0)[0], 2327);
    EXPECT_EQ(uikit::SensorPictureRow(2)[5], 2609);
    EXPECT_EQ(uikit::SensorPictureRow(-1)[0], 0);
    EXPECT_EQ(uikit::SensorPictureRow(uikit::kSensorIconRowCount)[0], 0);
    std::set<int> firsts;
    for (int index = 0; index < uikit::kSensorIconRowCount; ++index) {
        const auto row = uikit::SensorPictureRow(index);
        firsts.insert(row[0]);
        for (int id : row) {
            const QImage image = skin.Image(id);
            EXPECT_EQ(image.size(), QSize(117, 186)) << "index " << index << " id " << id;
        }
    }
    EXPECT_EQ(int(firsts.size()), uikit::kSensorIconRowCount);
}

}  // namespace
