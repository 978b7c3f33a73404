#pragma once

#include <pugixml.hpp>

#include <cstdint>
#include <string>
#include <string_view>

// Text rules of the sensor catalogue: how its integers, reals and keywords are read, and how an
// element's text is taken. They are shared by the catalogue loader and by detection, which reads
// the file entries of the same document.
namespace devicelink {

// Integer text: blanks around it are ignored; "0x" (lower case) starts hexadecimal, read place by
// place, where a character that is no hexadecimal digit still takes its place but counts 0.
// Anything else is a signed decimal that stops at the first non-digit (no digits give 0). Hex is
// gathered as an unsigned 32-bit word, so "0xFFFFFFFF" is -1; a value too wide for that word, or a
// decimal outside the int32 range, saturates to the nearest int32 limit.
int32_t ParseXmlInt(std::u16string_view text);

// Real text: a text holding a decimal point or an exponent is read as a floating-point number
// (".5" is 0.5); anything else as an integer above. Text that is no finite number gives 0.
float ParseXmlReal(std::u16string_view text);

// The catalogue's keyword table; exact, case-sensitive, whole text. Unknown text gives 0.
int32_t ParseKeyword(std::u16string_view text);

// All descendant character data of the node, concatenated and with blanks trimmed at both ends.
std::u16string XmlNodeText(const pugi::xml_node& node);

// The text of the first child element `name` of `parent`; false (and an empty text) when there
// is no such element.
bool XmlChildText(const pugi::xml_node& parent, const char* name, std::u16string& text);

}  // namespace devicelink
