#include "platform/Text.h"

#include <algorithm>

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000) {
        out += char16_t(cp);
    } else {
        cp -= 0x10000;
        out += char16_t(0xD800 + (cp >> 10));
        out += char16_t(0xDC00 + (cp & 0x3FF));
    }
}

// Length of a prefix of at most `limit` units that does not end inside a surrogate pair.
size_t SafePrefix(std::u16string_view text, size_t limit)
{
    size_t n = std::min(text.size(), limit);
    if (n > 0 && n < text.size() && IsHighSurrogate(text[n - 1]))
        --n;
    return n;
}

void CopyBounded(char16_t* field, size_t capacity, std::u16string_view text, size_t maxText)
{
    const size_t n = SafePrefix(text, maxText);
    std::copy_n(text.data(), n, field);
    std::fill(field + n, field + capacity, u'\0');
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view in)
{
    std::u16string out;
    out.reserve(in.size());
    size_t i = 0;
    while (i < in.size()) {
        const auto b = static_cast<unsigned char>(in[i]);
        int extra = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if (b < 0x80) { cp = b; }
        else if ((b & 0xE0) == 0xC0) { cp = b & 0x1F; extra = 1; minimum = 0x80; }
        else if ((b & 0xF0) == 0xE0) { cp = b & 0x0F; extra = 2; minimum = 0x800; }
        else if ((b & 0xF8) == 0xF0) { cp = b & 0x07; extra = 3; minimum = 0x10000; }
        else { AppendUtf16(out, kReplacement); ++i; continue; }
        size_t j = 1;
        bool ok = true;
        for (; ok && j <= size_t(extra); ++j) {
            if (i + j >= in.size()) { ok = false; break; }
            const auto c = static_cast<unsigned char>(in[i + j]);
            if ((c & 0xC0) != 0x80) { ok = false; break; }
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            AppendUtf16(out, kReplacement);
            i += std::max<size_t>(j, 1);
            continue;
        }
        AppendUtf16(out, cp);
        i += size_t(extra) + 1;
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view in)
{
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        char32_t cp = in[i];
        if (IsHighSurrogate(in[i]) && i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((char32_t(in[i]) - 0xD800) << 10) + (char32_t(in[i + 1]) - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

size_t FieldLength(const char16_t* field, size_t capacity)
{
    return size_t(std::find(field, field + capacity, u'\0') - field);
}

void CopyToField(char16_t* field, size_t capacity, std::u16string_view text)
{
    if (capacity == 0)
        return;
    CopyBounded(field, capacity, text, capacity - 1);
}

void CopyToFullField(char16_t* field, size_t capacity, std::u16string_view text)
{
    CopyBounded(field, capacity, text, capacity);
}

bool Contains(std::u16string_view haystack, std::u16string_view needle)
{
    return haystack.find(needle) != std::u16string_view::npos;
}

std::u16string AsciiToUtf16(std::string_view ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace platform
