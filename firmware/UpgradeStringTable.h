#pragma once

#include <pugixml.hpp>

#include <string>
#include <string_view>
#include <vector>

// The upgrade tool's texts, read once from "CorvikUpgradeString.xml" so that the language can be
// changed by replacing the file. /CONTACTS/STR_XML_LANGUAGE names the language L; the entries are
// the STR_LIST elements with type="LIST" under /CONTACTS/L, each with UNIQUE_ID and STR_SET.
namespace firmware {

inline constexpr char kStringTableFile[] = "CorvikUpgradeString.xml";

struct StringEntry {
    std::u16string text;
    int length = 0;  // in UTF-16 units
    int id = 0;
};

class UpgradeStringTable {
public:
    // The first entry with the id, in file order; empty when there is none.
    std::u16string_view Text(int id) const;
    const std::vector<StringEntry>& Entries() const { return entries_; }
    void Clear();

private:
    friend int LoadStringTable(const std::string& path, UpgradeStringTable& table);
    friend int ParseStringTable(UpgradeStringTable& table);

    pugi::xml_document document_;
    std::vector<StringEntry> entries_;
};

// Reads the file into the table: 1, or 0 with the table empty when the file cannot be read or
// parsed, or ParseStringTable fails.
int LoadStringTable(const std::string& path, UpgradeStringTable& table);
// Builds the entries from the loaded document: 0 when the language is not an XML name or its list
// holds no entry. Entries whose id is no decimal integer are left out.
int ParseStringTable(UpgradeStringTable& table);

// Whether text can name an element: the language is looked up as one.
bool IsXmlName(std::string_view text);

}  // namespace firmware
