#include "firmware/UpgradeStringTable.h"

#include "devicelink/catalogue/XmlCatalogueParse.h"

#include "platform/CLocale.h"
#include "platform/Text.h"

#include <climits>
#include <cstring>

namespace firmware {

namespace {

bool NameStart(unsigned char c)
{
    // Bytes above 0x7F belong to non-ASCII letters, which XML names may hold.
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool NameChar(unsigned char c)
{
    return NameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool ParseId(const pugi::xml_node& node, int& id)
{
    int64_t value = 0;
    const std::string text = platform::Utf16ToUtf8(devicelink::XmlNodeText(node));
    if (!platform::ParseInt(text, value) || value < INT_MIN || value > INT_MAX)
        return false;
    id = int(value);
    return true;
}

}  // namespace

bool IsXmlName(std::string_view text)
{
    if (text.empty() || !NameStart(static_cast<unsigned char>(text.front())))
        return false;
    for (char c : text)
        if (!NameChar(static_cast<unsigned char>(c)))
            return false;
    return true;
}

std::u16string_view UpgradeStringTable::Text(int id) const
{
    for (const StringEntry& e : entries_)
        if (e.id == id)
            return e.text;
    return {};
}

void UpgradeStringTable::Clear()
{
    entries_.clear();
    document_.reset();
}

int LoadStringTable(const std::string& path, UpgradeStringTable& table)
{
    table.Clear();
    // No external entities or DTDs are resolved: pugixml reads the file itself only.
    const pugi::xml_parse_result parsed = table.document_.load_file(path.c_str(), pugi::parse_default);
    if (!parsed || ParseStringTable(table) != 1) {
        table.Clear();
        return 0;
    }
    return 1;
}

int ParseStringTable(UpgradeStringTable& table)
{
    table.entries_.clear();
    const pugi::xml_node root = table.document_.child("CONTACTS");
    const std::string language = platform::Utf16ToUtf8(devicelink::XmlNodeText(root.child("STR_XML_LANGUAGE")));
    // The language names an element; anything else (empty, quotes, brackets) names no list.
    if (!IsXmlName(language))
        return 0;
    const pugi::xml_node list = root.child(language.c_str());
    for (const pugi::xml_node node : list.children("STR_LIST")) {
        if (std::strcmp(node.attribute("type").value(), "LIST") != 0)
            continue;
        StringEntry entry;
        if (!ParseId(node.child("UNIQUE_ID"), entry.id))
            continue;
        entry.text = devicelink::XmlNodeText(node.child("STR_SET"));
        entry.length = int(entry.text.size());
        table.entries_.push_back(std::move(entry));
    }
    return table.entries_.empty() ? 0 : 1;
}

}  // namespace firmware
