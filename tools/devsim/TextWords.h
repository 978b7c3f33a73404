#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Small text helpers shared by the scenario reader, the control commands and the signal parser.
namespace devsim {

// Words separated by blanks or tabs.
std::vector<std::string> SplitWords(std::string_view text);
// "key=value" into its halves; false when there is no '=' or the key is empty.
bool SplitKeyValue(std::string_view word, std::string& key, std::string& value);
std::string_view Trim(std::string_view text);
// Decimal or 0x-prefixed hexadecimal, whole string; false otherwise.
bool ParseUnsigned(std::string_view text, uint64_t& out);
// "01 a0 ff" or "01a0ff" into bytes; false on an odd digit count or a non-hex character.
bool ParseHexBytes(std::string_view text, std::vector<uint8_t>& out);

}  // namespace devsim
