#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text handed to workbook code as bytes of the Korean code page (CP949, up to two bytes a
// character).
namespace addin {

// The text in CP949. A character the code page lacks becomes a look-alike where there is one
// (the minus sign, the micro sign), else '?'.
std::string ToCodePage(std::u16string_view text);

// Copies the text into a buffer of `size` bytes: whole characters only, at most size - 1 bytes,
// the rest zero-filled, so the copy always ends in a terminator. Returns the bytes of text.
size_t CopyToCodePage(std::u16string_view text, char* out, size_t size);

}  // namespace addin
