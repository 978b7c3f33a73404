#include "addin/CodePage.h"
#include "addin/device/SensorTable.h"
#include "addin/dialogs/core/CellText.h"

#include "devicelink/sensor/ChannelState.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

using namespace addin;

std::string Utf8(const std::u16string& text)
{
    return platform::Utf16ToUtf8(text);
}

TEST(ThousandthsText, TruncatesToThousandthsWithOneSign)
{
    struct Case {
        float value;
        const char* text;
    };
    const Case cases[] = {
        {1.05f, "1.050"},      {-0.5f, "-0.500"},     {-1.5f, "-1.500"},   {0.0f, "0.000"},
        {21.5f, "21.500"},     {2.71828f, "2.718"},   {-2.71828f, "-2.718"},
        // Past what 32 bits of thousandths hold.
        {3.0e6f, "3000000.000"}, {-3.0e6f, "-3000000.000"}, {2147483.5f, "2147483.500"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8(ThousandthsText(c.value)), c.text) << c.value;
    // Far beyond 64 bits: clamped, still one sign.
    const std::string huge = Utf8(ThousandthsText(-1e30f));
    EXPECT_EQ(huge.rfind("-9", 0), 0u) << huge;
    EXPECT_EQ(huge.find('-', 1), std::string::npos) << huge;
    EXPECT_EQ(Utf8(ThousandthsText(std::numeric_limits<float>::infinity())).find('-'), std::string::npos);
    EXPECT_EQ(Utf8(ThousandthsText(std::nanf(""))), "0.000");
}

device::SensorTableEntry Entry(int quantities, const std::u16string& unit)
{
    device::SensorTableEntry e{};
    e.state = device::kEntryPresent;
    e.quantityCount = quantities;
    platform::CopyToField(e.sensorName, u"Barometer");
    for (int q = 0; q < quantities; ++q) {
        platform::CopyToField(e.unitTexts[q][0], unit);
        platform::CopyToField(e.quantityNames[q], q == 0 ? u"Pressure" : u"Altitude");
    }
    return e;
}

TEST(SnapshotText, NumbersItsLinesAndStaysWithinACell)
{
    const device::SensorTableEntry two = Entry(2, u"hPa");
    const float values[] = {1013.25f, -1.5f};
    int32_t counter = 7;
    EXPECT_EQ(Utf8(SnapshotText(counter, 1, values, 2, two)), "s=7,1  1013.250 hPa\nss=8,1  -1.500 hPa\n");
    EXPECT_EQ(counter, 9);

    // Units as long as the fields allow: four lines do not fit 255 characters; the ones that do
    // not fit are neither shown nor counted.
    const device::SensorTableEntry wide = Entry(4, std::u16string(63, u'u'));
    const float four[] = {1, 2, 3, 4};
    counter = 0;
    const std::u16string text = SnapshotText(counter, 0, four, 4, wide);
    EXPECT_LE(text.size(), kMaxCellText);
    EXPECT_EQ(counter, 3);
    EXPECT_EQ(text.back(), u'\n');
}

TEST(RoundToDecimals, TruncatesToTheSupportedPlaces)
{
    EXPECT_DOUBLE_EQ(RoundToDecimals(2.71828f, 2), 2.71);
    for (int decimals : {3, 6, -1, 9})
        EXPECT_DOUBLE_EQ(RoundToDecimals(2.71828f, decimals), 2.718) << decimals;
    EXPECT_DOUBLE_EQ(RoundToDecimals(2.71828f, 0), 2.0);
    EXPECT_DOUBLE_EQ(RoundToDecimals(2.71828f, 4), 2.7182);
    EXPECT_DOUBLE_EQ(RoundToDecimals(2.71828f, 5), 2.71828);
    EXPECT_DOUBLE_EQ(RoundToDecimals(-1.55f, 1), -1.5);
    EXPECT_DOUBLE_EQ(RoundToDecimals(1.05f, 3), 1.05);
}

TEST(HeaderText, NamesTheQuantityOnlyForSensorsOfSeveral)
{
    EXPECT_EQ(Utf8(HeaderText(Entry(1, u"hPa"), 0)), "Barometer(hPa)");
    EXPECT_EQ(Utf8(HeaderText(Entry(2, u"m"), 1)), "Barometer-Altitude(m)");
}

TEST(OutputSelector, ByConversionKind)
{
    struct Case {
        int32_t kind, output, allOutputs, selector;
    };
    const Case cases[] = {
        {1, 2, 1, 2}, {2, 3, 1, 3}, {3, 0, 1, 3}, {20, 4, 1, 20}, {2, 2, 0, 2},
        {24, 5, 0, 2}, {24, 3, 0, 3}, {26, 5, 0, 2}, {26, 1, 0, 0}, {11, 2, 1, 0},
    };
    for (const Case& c : cases) {
        devicelink::ChannelState state{};
        state.conversionKind = c.kind;
        state.selectedOutput = c.output;
        state.allOutputs = c.allOutputs;
        EXPECT_EQ(device::OutputSelectorOf(state), c.selector) << c.kind << "/" << c.output;
    }
}

TEST(CodePage, KoreanTwoBytesAndLookAlikes)
{
    EXPECT_EQ(ToCodePage(u"가").size(), 2u);
    EXPECT_EQ(ToCodePage(u"r² : 1.0\n"), std::string("r\xA9\xF7 : 1.0\n"));
    EXPECT_EQ(ToCodePage(u"ω0² − γ²").find('-'), ToCodePage(u"ω0²").size() + 1);
    EXPECT_EQ(ToCodePage(u"µS/cm"), ToCodePage(u"μS/cm"));
    EXPECT_EQ(ToCodePage(u"a\U0001F600b"), "a?b");
}

TEST(CodePage, BoundedCopyKeepsWholeCharactersAndATerminator)
{
    char out[8];
    std::memset(out, '#', sizeof out);
    // "가나" is four bytes: a 4-byte buffer holds the first character and the terminator.
    EXPECT_EQ(CopyToCodePage(u"가나", out, 4), 2u);
    EXPECT_EQ(std::string(out, 4), std::string("\xB0\xA1\0\0", 4));
    EXPECT_EQ(out[4], '#');
    EXPECT_EQ(CopyToCodePage(u"abc", out, 1), 0u);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(CopyToCodePage(u"abc", nullptr, 8), 0u);
}

}  // namespace
