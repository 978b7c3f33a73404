#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

#include "platform/Text.h"
#include "uikit/table/CMyTableCtrl.h"

using uikit::CMyTableCtrl;
using uikit::TableInfo;

namespace {

void EnsureApp()
{
    if (QApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "table_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

constexpr int kRows = 1048576;

class TableTest : public ::testing::Test {
protected:
    // Before the fixture, whose table is a widget, is made.
    static void SetUpTestSuite() { EnsureApp(); }
    void SetUp() override
    {
        times.resize(kRows);
        values.resize(kRows);
        for (int i = 0; i < kRows; ++i) {
            times[i] = float(i) * 0.001f;
            values[i] = std::sin(float(i) * 0.01f) * 20.0f;
        }
        font.setPixelSize(15);
        table.SetTableFont(&font);
        table.resize(400, 300);
    }
    TableInfo Info(int columns = 3)
    {
        TableInfo info;
        info.columnCount = columns;
        platform::CopyToField(info.columnHeaders[0], u"Sample");
        info.rowNumberColumn[0] = true;
        info.columnRowCounts[0] = kRows;
        platform::CopyToField(info.columnHeaders[1], u"Time (s)");
        info.columnData[1] = times.data();
        info.columnRowCounts[1] = kRows;
        info.columnFormats[1] = 3;
        platform::CopyToField(info.columnHeaders[2], u"Voltage (V)");
        info.columnData[2] = values.data();
        info.columnRowCounts[2] = 1000;
        info.columnFormats[2] = 2;
        return info;
    }
    int LastShownRow() const { return table.FirstVisibleRow() + table.VisibleDataRows() - 1; }

    std::vector<float> times, values;
    QFont font;
    CMyTableCtrl table;
};

TEST(TableValueFormat, EveryFormatAndNotANumber)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        float value;
        int format;
        const char* text;
    } cases[] = {
        {3.7f, 0, "3"},        {-3.7f, 0, "-3"},      {1e12f, 0, "2147483647"}, {-1e12f, 0, "-2147483648"},
        {nan, 0, "nan"},       {nan, 3, "nan"},       {1.23456f, 2, "1.23"},    {1.5f, 1, "1.5"},
        {0.5f, 6, "0.500000"}, {0.5f, 7, "0.500000"}, {0.5f, -1, "0.5"},        {1e20f, -1, "1e+20"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(uikit::FormatTableValue(c.value, c.format).toStdString(), c.text) << c.value << " " << c.format;
}

TEST_F(TableTest, EveryRowOfAMillionCanBeReachedOneAtATime)
{
    table.SetTableInfo(Info());
    const int page = table.VisibleDataRows();
    ASSERT_GT(page, 5);
    EXPECT_EQ(table.Info().totalRows, kRows);
    QScrollBar* bar = table.verticalScrollBar();
    EXPECT_EQ(bar->maximum(), kRows - page);

    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(table.FirstVisibleRow(), 1);
    bar->setValue(bar->maximum());
    EXPECT_EQ(LastShownRow(), kRows - 1);
    EXPECT_EQ(table.CellText(kRows - 1, 0).toStdString(), "1048576");
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(LastShownRow(), kRows - 2);
    // A column shorter than the others shows empty cells below its end.
    EXPECT_TRUE(table.CellText(1000, 2).isEmpty());
    EXPECT_FALSE(table.CellText(999, 2).isEmpty());
}

TEST_F(TableTest, ASelectedRowIsAlwaysShown)
{
    table.SetTableInfo(Info());
    for (const int row : {0, 5, 524288, 1048575, 700001}) {
        table.SelectRow(row);
        EXPECT_LE(table.FirstVisibleRow(), row);
        EXPECT_GE(LastShownRow(), row);
        EXPECT_EQ(table.Info().selectedRow, row);
    }
    table.SelectRow(5);
    EXPECT_EQ(table.FirstVisibleRow(), 0);
    table.SelectRow(kRows - 1);
    table.resize(400, 150);
    QCoreApplication::processEvents();
    EXPECT_GE(LastShownRow(), kRows - 1);
}

TEST_F(TableTest, ATapSelectsTheRowUnderItButNotTheHeader)
{
    table.SetTableInfo(Info());
    table.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&table));
    table.verticalScrollBar()->setValue(1000);
    const int rowHeight = table.Info().rowHeight;
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, QPoint(50, 3 * rowHeight + 2));
    EXPECT_EQ(table.Info().selectedRow, 1002);
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, QPoint(50, rowHeight / 2));
    EXPECT_EQ(table.Info().selectedRow, 1002);
    table.hide();
}

TEST_F(TableTest, ColumnWidthsAndHorizontalScrolling)
{
    TableInfo info = Info();
    platform::CopyToField(info.columnHeaders[2], u"V");
    info.columnHeaders[1][0] = 0;
    table.SetTableInfo(info);
    const int average = QFontMetrics(font).averageCharWidth();
    EXPECT_GE(table.Info().columnWidths[0], 40);
    // The row numbers' column shows its header whole.
    EXPECT_GE(table.Info().columnWidths[0], QFontMetrics(font).horizontalAdvance(QStringLiteral("Sample")));
    EXPECT_EQ(table.Info().columnWidths[1], 80);
    EXPECT_EQ(table.Info().columnWidths[2], 2 * average);
    EXPECT_EQ(table.GetTotalColumnWidth(), table.Info().totalWidth);

    // Cells move with the grid lines.
    TableInfo wide = Info(3);
    for (int c = 1; c < 3; ++c)
        platform::CopyToField(wide.columnHeaders[c], u"A much longer header");
    table.SetTableInfo(wide);
    const QRect before = table.CellRect(2, 1);
    table.horizontalScrollBar()->setValue(30);
    EXPECT_EQ(table.CellRect(2, 1).left(), before.left() - 30);
}

TEST_F(TableTest, PaintsItsPage)
{
    TableInfo info = Info();
    info.selectedRow = 3;
    table.SetTableInfo(info);
    QImage picture(table.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&picture);
        table.Paint(painter, picture.size());
    }
    const int rowHeight = table.Info().rowHeight;
    EXPECT_EQ(picture.pixelColor(5, rowHeight / 2), QColor(0x20, 0x80, 0x50));           // header
    EXPECT_EQ(picture.pixelColor(3, 4 * rowHeight + 2), QColor(0xFF, 0x80, 0x40));       // selected row 3
    EXPECT_EQ(picture.pixelColor(3, rowHeight + 2), QColor(0xE1, 0xFF, 0xE9));           // row 0
    EXPECT_EQ(picture.pixelColor(3, 2 * rowHeight + 2), QColor(0xC6, 0xE8, 0xC5));       // row 1
    if (const char* dir = std::getenv("CORVIK_PICTURE_DIR"))
        table.grab().save(QDir(dir).filePath("table_control.png"));
}

}  // namespace
