#include "devicelink/XmlCatalogueParse.h"

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

TEST(ParseXmlInt, ReadsTheTableOfTexts)
{
    struct Case {
        std::u16string_view text;
        int32_t expected;
    };
    const Case cases[] = {
        {u"0x1F", 31},         {u"0x1f", 31},       {u"0x1G", 16},         {u" 42 ", 42},
        {u"\t42\r\n", 42},     {u"abc", 0},         {u"", 0},              {u"-17", -17},
        {u"+5", 5},            {u"12abc", 12},      {u"0X1F", 0},          {u"0x", 0},
        {u"0x7F", 127},        {u"0xFFFFFFFF", -1}, {u"0x80000000", kMin}, {u"0x00000000FF", 255},
        {u"2147483647", kMax}, {u"-2147483648", kMin}, {u"- 5", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseXmlInt(c.text), c.expected) << std::string(c.text.begin(), c.text.end());
}

TEST(ParseXmlInt, SaturatesWideHexAndDecimalOverflow)
{
    EXPECT_EQ(ParseXmlInt(u"0x1FFFFFFFF"), kMax);
    EXPECT_EQ(ParseXmlInt(u"0xFFFFFFFFFFFFFFFFFFFF"), kMax);
    EXPECT_EQ(ParseXmlInt(u"2147483648"), kMax);
    EXPECT_EQ(ParseXmlInt(u"99999999999999999999999"), kMax);
    EXPECT_EQ(ParseXmlInt(u"-2147483649"), kMin);
    EXPECT_EQ(ParseXmlInt(u"-99999999999999999999999"), kMin);
}

TEST(ParseXmlReal, AcceptsALeadingPointAndExponents)
{
    EXPECT_FLOAT_EQ(ParseXmlReal(u".5"), 0.5f);
    EXPECT_FLOAT_EQ(ParseXmlReal(u"-.25"), -0.25f);
    EXPECT_FLOAT_EQ(ParseXmlReal(u" 1013.25 "), 1013.25f);
    EXPECT_FLOAT_EQ(ParseXmlReal(u"+2.5"), 2.5f);
    EXPECT_FLOAT_EQ(ParseXmlReal(u"1e3"), 1000.0f);
    EXPECT_FLOAT_EQ(ParseXmlReal(u"-40"), -40.0f);
    EXPECT_FLOAT_EQ(ParseXmlReal(u"0x10"), 16.0f);
    EXPECT_FLOAT_EQ(ParseXmlReal(u"abc"), 0.0f);
    EXPECT_FLOAT_EQ(ParseXmlReal(u"."), 0.0f);
    EXPECT_FLOAT_EQ(ParseXmlReal(u"1e999"), 0.0f);
    EXPECT_FLOAT_EQ(ParseXmlReal(u"nan.0"), 0.0f);
}

TEST(ParseKeyword, MapsEveryClockAndTheFixedKeywords)
{
    for (int khz = 50, code = 1; khz <= 530; khz += 15, ++code) {
        const std::string narrow = "IIC_CLK_" + std::to_string(khz) + "KHZ";
        EXPECT_EQ(ParseKeyword(std::u16string(narrow.begin(), narrow.end())), code) << narrow;
    }
    EXPECT_EQ(ParseKeyword(u"IIC_CLK_200KHZ"), 11);
    EXPECT_EQ(ParseKeyword(u"iic_clk_200khz"), 0);
    EXPECT_EQ(ParseKeyword(u"IIC_CLK_60KHZ"), 0);
    EXPECT_EQ(ParseKeyword(u"IIC_DATA8"), 1);
    EXPECT_EQ(ParseKeyword(u"IIC_DATA32"), 4);
    EXPECT_EQ(ParseKeyword(u"WRITE_ADDRESS_PLUS_DATA"), 3);
    EXPECT_EQ(ParseKeyword(u"SCC_READ_NOADDRESS_DATA"), 129);
    EXPECT_EQ(ParseKeyword(u"SCC_WRITE_NOADDRESS_DATA"), 132);
    EXPECT_EQ(ParseKeyword(u"READ_ADC_DATA"), 160);
    EXPECT_EQ(ParseKeyword(u"SCC_FILTER_AVG"), 241);
    EXPECT_EQ(ParseKeyword(u"N_EEPROM_TYPE"), 2);
    EXPECT_EQ(ParseKeyword(u"W_TYPE"), 5);
    EXPECT_EQ(ParseKeyword(u"W_EEPROM_TYPE"), 6);
    EXPECT_EQ(ParseKeyword(u" N_TYPE"), 0);
    EXPECT_EQ(ParseKeyword(u"2"), 0);
}

TEST(XmlNodeText, ConcatenatesAllDescendantTextTrimmed)
{
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string("<a>  12<b> 3 </b><![CDATA[4]]><!-- x --><c><d>5</d></c>  </a>",
                                pugi::parse_default | pugi::parse_trim_pcdata));
    EXPECT_EQ(devicelink::XmlNodeText(doc.child("a")), u"12345");
    std::u16string text;
    EXPECT_FALSE(devicelink::XmlChildText(doc.child("a"), "missing", text));
    EXPECT_TRUE(devicelink::XmlChildText(doc.child("a"), "b", text));
    EXPECT_EQ(text, u"3");
}

}  // namespace
