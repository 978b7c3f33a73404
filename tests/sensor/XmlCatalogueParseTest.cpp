#include "devicelink/catalogue/XmlCatalogueParse.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

using devicelink::ParseKeyword;
using devicelink::ParseXmlInt;
using devicelink::ParseXmlReal;

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

std::string Narrow(std::u16string_view text) { return std::string(text.begin(), text.end()); }

TEST(ParseXmlInt, ReadsTheTableOfTextsAndSaturates)
{
    const std::pair<std::u16string_view, int32_t> cases[] = {
        {u"0x1F", 31},          {u"0x1f", 31},           {u"0x1G", 16},          {u"\t42\r\n", 42},
        {u"abc", 0},            {u"", 0},                {u"-17", -17},          {u"+5", 5},
        {u"12abc", 12},         {u"0X1F", 0},            {u"0x", 0},             {u"0xFFFFFFFF", -1},
        {u"0x80000000", kMin},  {u"0x00000000FF", 255},  {u"2147483647", kMax},  {u"-2147483648", kMin},
        {u"- 5", 0},
        // Wide hex and decimal overflow saturate.
        {u"0x1FFFFFFFF", kMax}, {u"0xFFFFFFFFFFFFFFFFFFFF", kMax}, {u"2147483648", kMax},
        {u"99999999999999999999999", kMax}, {u"-2147483649", kMin}, {u"-99999999999999999999999", kMin},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseXmlInt(text), expected) << Narrow(text);
}

TEST(ParseXmlReal, AcceptsALeadingPointAndExponents)
{
    const std::pair<std::u16string_view, float> cases[] = {
        {u".5", 0.5f},   {u"-.25", -0.25f}, {u" 1013.25 ", 1013.25f}, {u"+2.5", 2.5f}, {u"1e3", 1000.0f},
        {u"0x10", 16.0f}, {u"abc", 0.0f},   {u".", 0.0f},             {u"1e999", 0.0f}, {u"nan.0", 0.0f},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_FLOAT_EQ(ParseXmlReal(text), expected) << Narrow(text);
}

TEST(ParseKeyword, MapsEveryClockAndTheFixedKeywords)
{
    for (int khz = 50, code = 1; khz <= 530; khz += 15, ++code) {
        const std::string narrow = "IIC_CLK_" + std::to_string(khz) + "KHZ";
        EXPECT_EQ(ParseKeyword(std::u16string(narrow.begin(), narrow.end())), code) << narrow;
    }
    const std::pair<std::u16string_view, int32_t> cases[] = {
        {u"iic_clk_200khz", 0},          {u"IIC_CLK_60KHZ", 0},           {u"IIC_DATA8", 1},
        {u"IIC_DATA32", 4},              {u"WRITE_ADDRESS_PLUS_DATA", 3}, {u"SCC_READ_NOADDRESS_DATA", 129},
        {u"SCC_WRITE_NOADDRESS_DATA", 132}, {u"READ_ADC_DATA", 160},      {u"SCC_FILTER_AVG", 241},
        {u"N_EEPROM_TYPE", 2},           {u"W_TYPE", 5},                  {u"W_EEPROM_TYPE", 6},
        {u" N_TYPE", 0},                 {u"2", 0},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseKeyword(text), expected) << Narrow(text);
}

TEST(XmlNodeText, ConcatenatesAllDescendantTextTrimmed)
{
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string("<a>  12<b> 3 </b><![CDATA[4]]><!-- x --><c><d>5</d></c>  </a>",
                                pugi::parse_default | pugi::parse_trim_pcdata));
    EXPECT_EQ(devicelink::XmlNodeText(doc.child("a")), u"12345");
    std::u16string text;
    EXPECT_FALSE(devicelink::XmlChildText(doc.child("a"), "missing", text));
}

}  // namespace
