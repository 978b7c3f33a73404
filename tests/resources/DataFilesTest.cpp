// The help pages, the report template and the upgrade tool's strings, as the programs read them.

#include "tests/resources/GuiApp.h"
#include "uikit/resources/SensorPictures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <pugixml.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string_view>

namespace {

QString ReadText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// Every model code the programs treat specially, and the light sensor, has a page.
const char* const kModelCodes[] = {
    "N11", "N45", "N50", "N56", "N2H", "N76", "N82", "N46", "N23", "N24", "N13E", "N19", "R7JE", "R7JF", "R7LF",
    "R21E", "RE3E", "R55V", "R53E", "R97E", "R99", "R93", "R97", "R98", "R5E", "R5F", "R83", "R87", "R84", "R7H",
    "R58", "R54", "R75", "R72", "R55", "W7H", "W75", "W72", "W83", "W87", "W84", "W82", "CABL", "SC_LIGHT_EEPROM"};

TEST(DataFilesTest, EverySensorHasAPageInTheDataFolder)
{
    for (const char* code : kModelCodes) {
        const QString name = QStringLiteral("Sensors/%1.html").arg(QString::fromLatin1(code));
        EXPECT_TRUE(QFileInfo::exists(DataPath(name))) << name.toStdString();
    }
    EXPECT_TRUE(QFileInfo::exists(DataPath(QStringLiteral("Sensors/Quick Start Guide.html"))));
}

TEST(DataFilesTest, CatalogueInfoFilesExist)
{
    // The catalogue names each sensor's page; every name must be a page of ours.
    pugi::xml_document doc;
    const QString catalogue = SourcePath(QStringLiteral("resources/sensor_korean.xml"));
    if (!QFileInfo::exists(catalogue))
        GTEST_SKIP() << "no catalogue in this tree";
    ASSERT_TRUE(doc.load_file(catalogue.toUtf8().constData()));
    int pages = 0;
    for (const auto& node : doc.select_nodes("//SENSOR_LIST_FILE/INFO_FILE")) {
        const QString name = QString::fromUtf8(node.node().child_value()).trimmed();
        if (name.isEmpty())
            continue;
        ++pages;
        EXPECT_TRUE(QFileInfo::exists(SourcePath(QStringLiteral("resources/Sensors/") + name))) << name.toStdString();
    }
    EXPECT_GT(pages, 0);
}

TEST(DataFilesTest, EveryCatalogueIconIndexHasAPictureRow)
{
    // The sensor monitor pictures a channel by its sensor's ICON_INDEX; an index without a row
    // would leave the panel's picture empty.
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(SourcePath(QStringLiteral("resources/sensor_korean.xml")).toUtf8().constData()));
    int entries = 0;
    for (const auto& node : doc.select_nodes("//SENSOR_LIST_FILE")) {
        const pugi::xml_node entry = node.node();
        SCOPED_TRACE(entry.attribute("uid").value());
        const int index = std::atoi(entry.child_value("ICON_INDEX"));
        EXPECT_NE(uikit::SensorPictureRow(index)[0], 0) << "icon index " << index;
        ++entries;
        if (std::string_view(entry.child_value("WHOAMISTRING")) == "R53E") {
            EXPECT_EQ(index, 2);  // the adapter picture
        }
    }
    EXPECT_GT(entries, 0);
}

TEST(DataFilesTest, PagesUseOnlyLocalLinksThatExist)
{
    const QDir dir(SourcePath(QStringLiteral("resources/Sensors")));
    const QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\"]*)\""));
    const QStringList pages = dir.entryList({QStringLiteral("*.html")}, QDir::Files);
    EXPECT_GE(pages.size(), int(std::size(kModelCodes)) + 1);
    for (const QString& page : pages) {
        const QString text = ReadText(dir.filePath(page));
        EXPECT_TRUE(text.contains(QStringLiteral("<meta charset=\"utf-8\">"))) << page.toStdString();
        for (auto it = link.globalMatch(text); it.hasNext();) {
            const QString target = it.next().captured(1);
            EXPECT_FALSE(target.contains(QStringLiteral("://"))) << page.toStdString() << ": " << target.toStdString();
            if (!target.startsWith(QStringLiteral("app:"))) {
                EXPECT_TRUE(QFileInfo::exists(dir.filePath(target))) << page.toStdString() << ": " << target.toStdString();
            }
        }
    }
}

TEST(DataFilesTest, ReportTemplateHoldsEveryPlaceholderWhereTheWriterLooks)
{
    const QString t = ReadText(DataPath(QStringLiteral("report.html")));
    ASSERT_FALSE(t.isEmpty());
    for (const char* p : {"--##REPORT_TITLE##--", "--##REPORT_AUTHOR##--", "--##REPORT_SCHOOL##--", "--##Create_Date##--",
                          "--##Project_Note##--"})
        EXPECT_TRUE(t.contains(QString::fromLatin1(p))) << p;

    const auto once = [&](const char* marker) {
        EXPECT_EQ(t.count(QString::fromLatin1(marker)), 1) << marker;
        return t.indexOf(QString::fromLatin1(marker));
    };
    const qsizetype actStart = once("<!-Activity_Start->");
    const qsizetype actEnd = once("<!-Activity_End->");
    const qsizetype anaStart = once("<!-Analyze_Start->");
    const qsizetype anaEnd = once("<!-Analyze_End->");
    ASSERT_LT(actStart, actEnd);
    ASSERT_LT(anaStart, anaEnd);
    // The analysis section must survive the activity cut: it lies wholly outside that section.
    EXPECT_TRUE(anaStart > actEnd || anaEnd < actStart);

    const QString activity = t.mid(actStart, actEnd - actStart);
    for (const char* p : {"--##Activity_Name##--", "--##Sensor_info##--", "--##Sampling_Rate##--",
                          "--##Experiment_Length##--", "--##Measure_chart_image_path##--", "--##Activity_CSV##--",
                          "--##Activity_Note##--"})
        EXPECT_TRUE(activity.contains(QString::fromLatin1(p))) << p;
    const QString analysis = t.mid(anaStart, anaEnd - anaStart);
    for (const char* p : {"--##Analyze_Chart##--", "--##Analyze_Info##--", "--##Analyze_Note##--"})
        EXPECT_TRUE(analysis.contains(QString::fromLatin1(p))) << p;

    // The copies are inserted at markers in the body, never inside either section.
    for (int k = 1; k <= 4; ++k) {
        const qsizetype a = once(QStringLiteral("<!-Activity_ADD%1->").arg(k).toLatin1().constData());
        EXPECT_TRUE(a < std::min(actStart, anaStart)) << k;
        for (int s = 1; s <= 4; ++s) {
            const qsizetype m = once(QStringLiteral("<!-Analyze_ADD%1-%2->").arg(k).arg(s).toLatin1().constData());
            EXPECT_TRUE(m < std::min(actStart, anaStart)) << k << "-" << s;
        }
    }
}

TEST(DataFilesTest, UpgradeStringsInTheLayoutTheToolReads)
{
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(DataPath(QStringLiteral("CorvikUpgradeString.xml")).toUtf8().constData()));
    const pugi::xml_node language = doc.select_node("/CONTACTS/STR_XML_LANGUAGE").node();
    ASSERT_TRUE(language);
    EXPECT_FALSE(language.first_child().next_sibling()) << "the language element must hold text only";
    const std::string name = language.child_value();
    ASSERT_FALSE(name.empty());
    std::set<int> ids;
    for (const auto& item : doc.select_nodes(("/CONTACTS/" + name + "/STR_LIST[@type='LIST']").c_str())) {
        const int id = std::atoi(item.node().child_value("UNIQUE_ID"));
        EXPECT_TRUE(ids.insert(id).second) << "id " << id << " twice";
        const std::string text = item.node().child_value("STR_SET");
        EXPECT_FALSE(text.empty()) << id;
        EXPECT_EQ(text.find('\n'), std::string::npos) << id;
    }
    for (int id = 0; id <= 10; ++id)
        EXPECT_TRUE(ids.count(id)) << id;
}

}  // namespace
