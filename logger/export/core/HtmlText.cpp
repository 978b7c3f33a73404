#include "logger/export/core/HtmlText.h"

#include "platform/Text.h"

namespace exporting::html {

namespace {

void AppendEscaped(std::string& out, std::string_view utf8)
{
    for (char c : utf8) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c; break;
        }
    }
}

bool IsUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

}  // namespace

std::string Escape(std::u16string_view text)
{
    std::string out;
    AppendEscaped(out, platform::Utf16ToUtf8(text));
    return out;
}

std::string EscapeLines(std::u16string_view text)
{
    const std::string utf8 = platform::Utf16ToUtf8(text);
    std::string out;
    size_t start = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] != '\r' && utf8[i] != '\n')
            continue;
        AppendEscaped(out, std::string_view(utf8).substr(start, i - start));
        out += "<br>";
        if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    AppendEscaped(out, std::string_view(utf8).substr(start));
    return out;
}

std::string PercentEncode(std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (IsUnreserved(c)) {
            out += char(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

}  // namespace exporting::html
