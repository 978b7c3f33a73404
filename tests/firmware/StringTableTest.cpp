#include "firmware/UpgradeStringTable.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

using namespace firmware;

namespace {

std::string WriteXml(const std::string& name, const std::string& text)
{
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::trunc) << text;
    return path;
}

std::string Entry(const std::string& id, const std::string& text)
{
    return "<STR_LIST type=\"LIST\"><UNIQUE_ID>" + id + "</UNIQUE_ID><STR_SET>" + text + "</STR_SET></STR_LIST>";
}

std::string Table(const std::string& language, const std::string& lists)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CONTACTS><STR_XML_LANGUAGE>" + language
        + "</STR_XML_LANGUAGE>" + lists + "</CONTACTS>";
}

}  // namespace

TEST(UpgradeStringTable, MissingFileLoadsNothingAndEveryTextIsEmpty)
{
    UpgradeStringTable table;
    EXPECT_EQ(LoadStringTable(::testing::TempDir() + "no_such_strings.xml", table), 0);
    EXPECT_TRUE(table.Text(0).empty());
    EXPECT_TRUE(table.Text(7).empty());
}

TEST(UpgradeStringTable, TheNamedLanguagesListIsReadAndTheFirstOfAnIdWins)
{
    const std::string lists = "<KO>" + Entry("7", "\xEC\x99\x84\xEB\xA3\x8C") + "</KO><EN>" + Entry("7", "Done")
        + Entry("7", "Second") + Entry(" 8 ", "Trimmed id") + "<STR_LIST type=\"OTHER\"><UNIQUE_ID>9</UNIQUE_ID>"
          "<STR_SET>not a list entry</STR_SET></STR_LIST></EN>";
    UpgradeStringTable table;
    ASSERT_EQ(LoadStringTable(WriteXml("strings_en.xml", Table("EN", lists)), table), 1);
    EXPECT_EQ(table.Text(7), u"Done");
    EXPECT_EQ(table.Text(8), u"Trimmed id");
    EXPECT_TRUE(table.Text(9).empty());
    EXPECT_EQ(table.Entries().size(), 3u);
    EXPECT_EQ(table.Entries()[0].length, 4);

    ASSERT_EQ(LoadStringTable(WriteXml("strings_ko.xml", Table("KO", lists)), table), 1);
    EXPECT_EQ(table.Text(7), u"\uC644\uB8CC");
}

// The language is the name of an element, never text pasted into a query.
TEST(UpgradeStringTable, ALanguageThatIsNoElementNameLoadsNothing)
{
    const std::string lists = "<EN>" + Entry("1", "One") + "</EN>";
    for (const char* language : {"", "   ", "EN\"]|//*[\"", "E N", "EN]", "1EN", "NONE"}) {
        SCOPED_TRACE(language);
        UpgradeStringTable table;
        EXPECT_EQ(LoadStringTable(WriteXml("strings_bad.xml", Table(language, lists)), table), 0);
        EXPECT_TRUE(table.Text(1).empty());
    }
}

TEST(UpgradeStringTable, EntriesWithoutADecimalIdAreLeftOut)
{
    const std::string lists = "<EN>" + Entry("x1", "bad") + Entry("", "empty") + Entry("3", "three")
        + Entry("99999999999", "too wide") + Entry("-2", "minus two") + "</EN>";
    UpgradeStringTable table;
    ASSERT_EQ(LoadStringTable(WriteXml("strings_ids.xml", Table("EN", lists)), table), 1);
    ASSERT_EQ(table.Entries().size(), 2u);
    EXPECT_EQ(table.Text(3), u"three");
    EXPECT_EQ(table.Text(-2), u"minus two");
    EXPECT_TRUE(table.Text(0).empty());

    UpgradeStringTable none;
    EXPECT_EQ(LoadStringTable(WriteXml("strings_none.xml", Table("EN", "<EN>" + Entry("z", "bad") + "</EN>")), none), 0);
    EXPECT_EQ(LoadStringTable(WriteXml("strings_broken.xml", "<CONTACTS><STR_XML_LANGUAGE>EN"), none), 0);
}

TEST(UpgradeStringTable, TheShippedTableHoldsEveryTextTheToolShows)
{
    UpgradeStringTable table;
    ASSERT_EQ(LoadStringTable(std::string(std::getenv("CORVIK_SOURCE_DIR")) + "/resources/CorvikUpgradeString.xml", table), 1);
    for (int id = 0; id <= 10; ++id)
        EXPECT_FALSE(table.Text(id).empty()) << id;
}
