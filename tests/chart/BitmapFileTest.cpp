#include "uikit/chart/BitmapFile.h"

#include "ChartTestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <csignal>
#include <cstdint>

namespace {

uint32_t Le32(const QByteArray& bytes, int at)
{
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.constData()) + at;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t Le16(const QByteArray& bytes, int at)
{
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.constData()) + at;
    return uint16_t(p[0] | p[1] << 8);
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TEST(BitmapFile, ThirtyTwoBitBottomUpWithExactHeaders)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage image(100, 50, QImage::Format_ARGB32_Premultiplied);
    image.fill(qRgb(1, 2, 3));
    image.setPixel(0, 0, qRgb(0x11, 0x22, 0x33));   // top left
    image.setPixel(0, 49, qRgb(0x44, 0x55, 0x66));  // bottom left
    const QString path = dir.filePath(QStringLiteral("chart.bmp"));
    ASSERT_EQ(uikit::WriteBitmapFile(path, image, QRect(0, 0, 100, 50)), 1);

    const QByteArray bytes = ReadAll(path);
    ASSERT_EQ(bytes.size(), 20054);
    EXPECT_EQ(Le16(bytes, 0), 'B' | 'M' << 8);
    // Offset and value of every 32-bit header field; the planes and bit count are 16-bit.
    const std::pair<int, uint32_t> fields[] = {{2, 20054}, {6, 0},  {10, 54}, {14, 40}, {18, 100}, {22, 50},
                                               {30, 0},    {34, 20000}, {38, 0}, {42, 0}, {46, 0}, {50, 0}};
    for (auto [at, value] : fields)
        EXPECT_EQ(Le32(bytes, at), value) << at;
    EXPECT_EQ(Le16(bytes, 26), 1);
    EXPECT_EQ(Le16(bytes, 28), 32);
    // Rows bottom-up: the top-left pixel opens the last row, as blue, green, red, 0.
    const int lastRow = 54 + 49 * 100 * 4;
    EXPECT_EQ(uint8_t(bytes[lastRow + 0]), 0x33);
    EXPECT_EQ(uint8_t(bytes[lastRow + 1]), 0x22);
    EXPECT_EQ(uint8_t(bytes[lastRow + 2]), 0x11);
    EXPECT_EQ(uint8_t(bytes[lastRow + 3]), 0x00);
    EXPECT_EQ(uint8_t(bytes[54 + 0]), 0x66);
    EXPECT_EQ(uint8_t(bytes[54 + 2]), 0x44);

    // Writing again replaces the file rather than appending to it.
    ASSERT_EQ(uikit::WriteBitmapFile(path, image, QRect(0, 0, 10, 10)), 1);
    EXPECT_EQ(ReadAll(path).size(), 10 * 10 * 4 + 54);
}

TEST(BitmapFile, SourceRectangleSelectsTheArea)
{
    charttest::EnsureGuiApp();
    QTemporaryDir dir;
    QImage image(40, 30, QImage::Format_ARGB32_Premultiplied);
    image.fill(qRgb(0, 0, 0));
    image.setPixel(10, 5, qRgb(0xAA, 0xBB, 0xCC));
    const QString path = dir.filePath(QStringLiteral("part.bmp"));
    uikit::CNIXYChart chart;
    const QRect source(10, 5, 20, 10);
    ASSERT_EQ(chart.SaveBitmapFile(path, &image, 999, 999, &source), 1);
    const QByteArray bytes = ReadAll(path);
    ASSERT_EQ(bytes.size(), 20 * 10 * 4 + 54);
    EXPECT_EQ(Le32(bytes, 18), 20u);
    const int lastRow = 54 + 9 * 20 * 4;
    EXPECT_EQ(uint8_t(bytes[lastRow + 0]), 0xCC);
    EXPECT_EQ(uint8_t(bytes[lastRow + 2]), 0xAA);

    // An area reaching outside the picture is black there, not read out of bounds.
    const QRect outside(30, 20, 20, 20);
    ASSERT_EQ(chart.SaveBitmapFile(path, &image, 0, 0, &outside), 1);
    EXPECT_EQ(ReadAll(path).size(), 20 * 20 * 4 + 54);
}

TEST(BitmapFile, FailuresReturnZero)
{
    QTemporaryDir dir;
    QImage image(10, 10, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    EXPECT_EQ(uikit::WriteBitmapFile(dir.filePath(QStringLiteral("missing/dir/x.bmp")), image, QRect(0, 0, 10, 10)), 0);
    EXPECT_EQ(uikit::WriteBitmapFile(dir.filePath(QStringLiteral("w0.bmp")), image, QRect(0, 0, 0, 10)), 0);
    EXPECT_EQ(uikit::WriteBitmapFile(dir.filePath(QStringLiteral("h0.bmp")), image, QRect(0, 0, 10, -3)), 0);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("w0.bmp"))));
    if (QFile::exists(QStringLiteral("/dev/full"))) {  // every write fails: the disk is full
        EXPECT_EQ(uikit::WriteBitmapFile(QStringLiteral("/dev/full"), image, QRect(0, 0, 10, 10)), 0);
    }
    uikit::CNIXYChart chart;
    EXPECT_EQ(chart.SaveBitmapFile(dir.filePath(QStringLiteral("null.bmp")), nullptr, 10, 10, nullptr), 0);
}

TEST(BitmapFile, AWriteCutShortLeavesNoFile)
{
    // A file-size limit makes the disk "fill up" after 1000 bytes of the 20,054-byte picture.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cut.bmp"));
    QImage image(100, 50, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = uikit::WriteBitmapFile(path, image, QRect(0, 0, 100, 50));
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(QFile::exists(path));
}

