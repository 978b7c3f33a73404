// The program and the firmware tool show English only: their text files hold no Hangul, and the
// catalogue's sensor names fit the boxes that show them.

#include "tests/resources/GuiApp.h"
#include "uikit/resources/FontMap.h"

#include <QFile>
#include <QFontMetrics>
#include <QStringList>

#include <pugixml.hpp>

#include <gtest/gtest.h>

namespace {

// Texts that stay Korean on purpose, because the add-in shows them word for word. None of the
// files scanned here holds one today; an entry names the file and the exact text.
const QStringList kAllowedKorean = {};

bool IsHangul(char32_t c)
{
    return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x3130 && c <= 0x318F) || (c >= 0xA960 && c <= 0xA97F) ||
           (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xD7B0 && c <= 0xD7FF);
}

bool HoldsHangul(const QString& text)
{
    for (char32_t c : text.toUcs4())
        if (IsHangul(c))
            return true;
    return false;
}

TEST(EnglishTextsTest, ShownTextFilesHoldNoKorean)
{
    for (const char* file :
         {"resources/lang/strings.tsv", "resources/CorvikUpgradeString.xml", "resources/sensor_korean.xml"}) {
        SCOPED_TRACE(file);
        QFile source(SourcePath(QString::fromLatin1(file)));
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        int number = 0;
        for (const QByteArray& bytes : source.readAll().split('\n')) {
            ++number;
            const QString line = QString::fromUtf8(bytes);
            if (!HoldsHangul(line))
                continue;
            bool allowed = false;
            for (const QString& text : kAllowedKorean)
                allowed = allowed || line.contains(text);
            EXPECT_TRUE(allowed) << "line " << number << ": " << line.toStdString();
        }
    }
}

TEST(EnglishTextsTest, HangulIsRecognised)
{
    EXPECT_TRUE(HoldsHangul(QStringLiteral("Save 저장")));
    EXPECT_TRUE(HoldsHangul(QString::fromUtf8("\xE3\x84\xB1")));  // a lone jamo
    EXPECT_FALSE(HoldsHangul(QStringLiteral("Voltage ±30 V (µS/cm, °C)")));
}

// The set-up dialog shows the full name in (95,40)-(310,65) in the 16-px face, the monitor panel in
// a 302-px box in the 25-px bold face, which it may shrink by a quarter; a name is never cut.
TEST(EnglishTextsTest, SensorNamesFitTheirBoxes)
{
    EnsureGuiApp();
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(SourcePath(QStringLiteral("resources/sensor_korean.xml")).toUtf8().constData()));
    const QFontMetrics setup(uikit::MakeFont(QStringLiteral("Malgun Gothic"), 16, false));
    const QFontMetrics panel(uikit::MakeFont(QStringLiteral("Malgun Gothic"), 25, true));
    int names = 0;
    for (const auto& item : doc.select_nodes("//SENSOR_LIST_FILE")) {
        const pugi::xml_node entry = item.node();
        const QString fullName = QString::fromUtf8(entry.child_value("FULLNAME"));
        const QString name = QString::fromUtf8(entry.child_value("NAME"));
        SCOPED_TRACE(entry.attribute("uid").value());
        ++names;
        EXPECT_FALSE(name.isEmpty());
        EXPECT_LE(setup.horizontalAdvance(fullName), 215) << fullName.toStdString();
        EXPECT_LE(panel.horizontalAdvance(fullName), 302) << fullName.toStdString();
        // Axis titles, CSV headers and channel combos put the name before the quantity and unit.
        EXPECT_LE(name.size(), 16) << name.toStdString();
    }
    EXPECT_GT(names, 40);
}

}  // namespace
