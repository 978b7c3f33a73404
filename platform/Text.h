#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Wide text of stored and sent records is UTF-16 (char16_t); everything else in the program is
// UTF-8. These helpers convert between the two and fill fixed-size record fields safely.
namespace platform {

// Invalid input becomes U+FFFD; conversion never fails.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Length of a field that may be full without a terminator: the index of the first zero, at most
// capacity.
size_t FieldLength(const char16_t* field, size_t capacity);

// Copies into a field of `capacity` units, keeping room for a terminator (at most capacity - 1
// units of text), and zero-fills the rest. A surrogate pair is never split.
void CopyToField(char16_t* field, size_t capacity, std::u16string_view text);
// The same, for fields that may be full without a terminator: up to `capacity` units of text.
void CopyToFullField(char16_t* field, size_t capacity, std::u16string_view text);

template <size_t N>
void CopyToField(char16_t (&field)[N], std::u16string_view text) { CopyToField(field, N, text); }
template <size_t N>
void CopyToFullField(char16_t (&field)[N], std::u16string_view text) { CopyToFullField(field, N, text); }
template <size_t N>
std::u16string_view FieldView(const char16_t (&field)[N]) { return {field, FieldLength(field, N)}; }
template <size_t N>
std::string FieldToUtf8(const char16_t (&field)[N]) { return Utf16ToUtf8(FieldView(field)); }

// ASCII-only helpers for model codes and keywords, which are plain ASCII.
bool Contains(std::u16string_view haystack, std::u16string_view needle);
std::u16string AsciiToUtf16(std::string_view ascii);

}  // namespace platform
