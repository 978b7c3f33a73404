#include "platform/LittleEndian.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <array>

using namespace platform;

TEST(Text, Utf8AndUtf16RoundTrip)
{
    const std::string korean = "센서 모니터 \xF0\x9F\x94\xAC";  // with a character outside the BMP
    const std::u16string wide = Utf8ToUtf16(korean);
    EXPECT_EQ(wide.substr(0, 3), u"센서 ");
    EXPECT_EQ(wide.size(), 9u);  // 7 BMP units + one surrogate pair
    EXPECT_EQ(Utf16ToUtf8(wide), korean);
    EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\uFFFD" "b");
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), u"\uFFFD");  // truncated sequence at the end
}

TEST(Text, FieldCopiesNeverOverrunAndZeroFill)
{
    struct Guarded {
        char16_t field[8];
        char16_t guard[4];
    } g;
    std::fill(std::begin(g.field), std::end(g.field), u'X');
    std::fill(std::begin(g.guard), std::end(g.guard), u'G');

    CopyToField(g.field, u"abcdefghijkl");
    EXPECT_EQ(FieldView(g.field), u"abcdefg");  // room kept for the terminator
    EXPECT_EQ(g.field[7], u'\0');
    CopyToField(g.field, u"ab");
    EXPECT_EQ(FieldView(g.field), u"ab");
    for (int i = 2; i < 8; ++i)
        EXPECT_EQ(g.field[i], u'\0');

    CopyToFullField(g.field, u"abcdefghijkl");
    EXPECT_EQ(FieldLength(g.field, 8), 8u);  // full, no terminator; readers stay bounded
    for (char16_t c : g.guard)
        EXPECT_EQ(c, u'G');

    // A surrogate pair is never cut in half.
    CopyToField(g.field, u"abcdef\U0001F52C");
    EXPECT_EQ(FieldView(g.field), u"abcdef");
}

TEST(LittleEndian, ReadsAndWritesByteOrder)
{
    std::array<uint8_t, 8> bytes{};
    WriteLE32(bytes, 0, 0x55AAF1A5u);
    EXPECT_EQ(bytes[0], 0xA5);
    EXPECT_EQ(bytes[3], 0x55);
    EXPECT_EQ(ReadLE32(bytes, 0), 0x55AAF1A5u);
    WriteLEFloat(bytes, 4, 1.5f);
    EXPECT_EQ(ReadLE32(bytes, 4), 0x3FC00000u);
    EXPECT_EQ(ReadLE16(bytes, 0), 0xF1A5u);
}
