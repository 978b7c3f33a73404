#include "devicelink/catalogue/XmlCatalogueParse.h"

#include "devicelink/catalogue/SensorCatalogue.h"
#include "devicelink/protocol/Vocabulary.h"
#include "platform/Text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace devicelink {
namespace {

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
}

std::u16string_view Trim(std::u16string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

int32_t ParseHex(std::u16string_view digits)
{
    constexpr uint64_t kWordMax = 0xFFFFFFFFu;
    uint64_t value = 0;
    for (char16_t c : digits) {
        uint32_t d = 0;
        if (c >= u'0' && c <= u'9')
            d = c - u'0';
        else if (c >= u'a' && c <= u'f')
            d = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            d = c - u'A' + 10;
        value = value * 16 + d;
        if (value > kWordMax)
            return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

int32_t ParseDecimal(std::u16string_view text)
{
    bool negative = false;
    size_t i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // Gathered as a magnitude; one past INT32_MAX is still representable for INT32_MIN.
    constexpr int64_t kLimit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - u'0');
        if (magnitude > kLimit)
            magnitude = kLimit;
    }
    if (negative)
        return static_cast<int32_t>(-magnitude);
    return static_cast<int32_t>(std::min<int64_t>(magnitude, kLimit - 1));
}

bool IsHexText(std::u16string_view text)
{
    return text.size() >= 2 && text[0] == u'0' && text[1] == u'x';
}

struct Keyword {
    std::u16string_view text;
    int32_t value;
};

// Clock codes first, then widths, access types and families: the order of the lookup.
constexpr std::array<Keyword, 33 + 23> BuildKeywordTable()
{
    std::array<Keyword, 33 + 23> table{};
    constexpr std::u16string_view kClocks[33] = {
        u"IIC_CLK_50KHZ",  u"IIC_CLK_65KHZ",  u"IIC_CLK_80KHZ",  u"IIC_CLK_95KHZ",  u"IIC_CLK_110KHZ",
        u"IIC_CLK_125KHZ", u"IIC_CLK_140KHZ", u"IIC_CLK_155KHZ", u"IIC_CLK_170KHZ", u"IIC_CLK_185KHZ",
        u"IIC_CLK_200KHZ", u"IIC_CLK_215KHZ", u"IIC_CLK_230KHZ", u"IIC_CLK_245KHZ", u"IIC_CLK_260KHZ",
        u"IIC_CLK_275KHZ", u"IIC_CLK_290KHZ", u"IIC_CLK_305KHZ", u"IIC_CLK_320KHZ", u"IIC_CLK_335KHZ",
        u"IIC_CLK_350KHZ", u"IIC_CLK_365KHZ", u"IIC_CLK_380KHZ", u"IIC_CLK_395KHZ", u"IIC_CLK_410KHZ",
        u"IIC_CLK_425KHZ", u"IIC_CLK_440KHZ", u"IIC_CLK_455KHZ", u"IIC_CLK_470KHZ", u"IIC_CLK_485KHZ",
        u"IIC_CLK_500KHZ", u"IIC_CLK_515KHZ", u"IIC_CLK_530KHZ"};
    size_t n = 0;
    for (int i = 0; i < 33; ++i)
        table[n++] = {kClocks[i], i + 1};
    constexpr Keyword kOthers[23] = {
        {u"IIC_DATA8", 1},
        {u"IIC_DATA16", 2},
        {u"IIC_DATA24", 3},
        {u"IIC_DATA32", 4},
        {u"READ_ADDRESS_DATA", access::kReadAddressData},
        {u"READ_NOADDRESS_DATA", access::kReadNoAddressData},
        {u"WRITE_ADDRESS_AND_DATA", access::kWriteAddressAndData},
        {u"WRITE_ADDRESS_PLUS_DATA", access::kWriteAddressPlusData},
        {u"WRITE_NOADDRESS_DATA", access::kWriteNoAddressData},
        {u"SCC_READ_ADDRESS_DATA", access::kSccReadAddressData},
        {u"SCC_READ_NOADDRESS_DATA", access::kSccReadNoAddressData},
        {u"SCC_WRITE_ADDRESS_AND_DATA", access::kSccWriteAddressAndData},
        {u"SCC_WRITE_ADDRESS_PLUS_DATA", access::kSccWriteAddressPlusData},
        {u"SCC_WRITE_NOADDRESS_DATA", access::kSccWriteNoAddressData},
        {u"READ_ADC_DATA", access::kReadAdcData},
        {u"SCC_FILTER_AVG", access::kSccFilterAvg},
        {u"NO_TYPE", kNoType},
        {u"N_TYPE", kNType},
        {u"N_EEPROM_TYPE", kNEepromType},
        {u"R_TYPE", kRType},
        {u"R_EEPROM_TYPE", kREepromType},
        {u"W_TYPE", kWType},
        {u"W_EEPROM_TYPE", kWEepromType},
    };
    for (const Keyword& k : kOthers)
        table[n++] = k;
    return table;
}

constexpr auto kKeywords = BuildKeywordTable();

void AppendText(const pugi::xml_node& node, std::string& out)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            out += child.value();
        else if (child.type() == pugi::node_element)
            AppendText(child, out);
    }
}

}  // namespace

int32_t ParseXmlInt(std::u16string_view text)
{
    text = Trim(text);
    if (IsHexText(text))
        return ParseHex(text.substr(2));
    return ParseDecimal(text);
}

float ParseXmlReal(std::u16string_view text)
{
    text = Trim(text);
    const bool real = !IsHexText(text) && text.find_first_of(u".eE") != std::u16string_view::npos;
    if (!real)
        return static_cast<float>(ParseXmlInt(text));
    std::string narrow;
    narrow.reserve(text.size());
    for (char16_t c : text)
        narrow += (c < 0x80) ? static_cast<char>(c) : '?';
    std::string_view view = narrow;
    if (!view.empty() && view.front() == '+')
        view.remove_prefix(1);
    double value = 0;
    const auto result = std::from_chars(view.data(), view.data() + view.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value))
        return 0.0f;
    if (std::fabs(value) > std::numeric_limits<float>::max())
        return 0.0f;
    return static_cast<float>(value);
}

int32_t ParseKeyword(std::u16string_view text)
{
    for (const Keyword& k : kKeywords) {
        if (k.text == text)
            return k.value;
    }
    return 0;
}

std::u16string XmlNodeText(const pugi::xml_node& node)
{
    std::string utf8;
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata)
        utf8 = node.value();
    else
        AppendText(node, utf8);
    const std::u16string text = platform::Utf8ToUtf16(utf8);
    return std::u16string(Trim(text));
}

bool XmlChildText(const pugi::xml_node& parent, const char* name, std::u16string& text)
{
    const pugi::xml_node child = parent.child(name);
    if (!child) {
        text.clear();
        return false;
    }
    text = XmlNodeText(child);
    return true;
}

}  // namespace devicelink
