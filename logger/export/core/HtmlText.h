#pragma once

#include <string>
#include <string_view>

// Texts put into the HTML report. Everything inserted is UTF-8 (invalid UTF-16 becomes U+FFFD)
// and escaped, so that a note can hold "<", "&" or a placeholder and stay plain text.
namespace exporting::html {

// & < > " as entities.
std::string Escape(std::u16string_view text);
// Escaped, each line break ("\r\n", "\n" or "\r") becoming "<br>": a note in the page.
std::string EscapeLines(std::u16string_view text);
// For src and href: every byte of a file name but A-Z a-z 0-9 - . _ ~ as %XX.
std::string PercentEncode(std::string_view bytes);

}  // namespace exporting::html
