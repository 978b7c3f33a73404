#include "tools/devsim/TextWords.h"

#include <charconv>

namespace devsim {

std::vector<std::string> SplitWords(std::string_view text)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
            ++i;
        const size_t start = i;
        while (i < text.size() && !(text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
            ++i;
        if (i > start)
            words.emplace_back(text.substr(start, i - start));
    }
    return words;
}

bool SplitKeyValue(std::string_view word, std::string& key, std::string& value)
{
    const size_t eq = word.find('=');
    if (eq == std::string_view::npos || eq == 0)
        return false;
    key = std::string(Trim(word.substr(0, eq)));
    value = std::string(Trim(word.substr(eq + 1)));
    return !key.empty();
}

std::string_view Trim(std::string_view text)
{
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    const size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool ParseUnsigned(std::string_view text, uint64_t& out)
{
    text = Trim(text);
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return ec == std::errc() && end == text.data() + text.size();
}

bool ParseHexBytes(std::string_view text, std::vector<uint8_t>& out)
{
    std::string digits;
    for (char ch : text)
        if (ch != ' ' && ch != '\t')
            digits.push_back(ch);
    if (digits.size() % 2 != 0)
        return false;
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < digits.size(); i += 2) {
        uint8_t b = 0;
        const auto [end, ec] = std::from_chars(digits.data() + i, digits.data() + i + 2, b, 16);
        if (ec != std::errc() || end != digits.data() + i + 2)
            return false;
        bytes.push_back(b);
    }
    out = std::move(bytes);
    return true;
}

}  // namespace devsim
