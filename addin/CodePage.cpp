#include "addin/CodePage.h"

#include <iconv.h>

#include <bit>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace addin {

namespace {

static_assert(std::endian::native == std::endian::little, "char16_t text is handed to iconv as UTF-16LE");

char16_t LookAlike(char16_t c)
{
    switch (c) {
    case u'\u2212': return u'-';       // minus sign
    case u'\u00B5': return u'\u03BC';  // micro sign: the Greek letter
    default: return c;
    }
}

// One character (one or two UTF-16 units) in CP949; empty when the code page lacks it.
std::string Convert(iconv_t cd, const char16_t* units, size_t count)
{
    char16_t in[2] = {};
    std::copy_n(units, count, in);
    in[0] = LookAlike(in[0]);
    char out[8] = {};
    char* inPtr = reinterpret_cast<char*>(in);
    size_t inLeft = count * sizeof(char16_t);
    char* outPtr = out;
    size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1))
        return {};
    return std::string(out, size_t(outPtr - out));
}

}  // namespace

std::string ToCodePage(std::u16string_view text)
{
    std::string result;
    iconv_t cd = iconv_open("CP949", "UTF-16LE");
    if (cd == iconv_t(-1)) {
        // No converter: the ASCII part is the same in every code page.
        for (char16_t c : text)
            result += c < 0x80 ? char(c) : '?';
        return result;
    }
    result.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const char16_t c = text[i];
        if (c < 0x80) {
            result += char(c);
            ++i;
            continue;
        }
        const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size();
        const size_t units = pair ? 2 : 1;
        const std::string bytes = Convert(cd, text.data() + i, units);
        result += bytes.empty() ? std::string("?") : bytes;
        i += units;
    }
    iconv_close(cd);
    return result;
}

size_t CopyToCodePage(std::u16string_view text, char* out, size_t size)
{
    if (!out || size == 0)
        return 0;
    const std::string bytes = ToCodePage(text);
    size_t length = std::min(bytes.size(), size - 1);
    // A lead byte (0x81..0xFE) whose trail byte did not fit is dropped with it.
    size_t i = 0;
    while (i < length) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        const size_t width = b >= 0x81 && b <= 0xFE ? 2 : 1;
        if (i + width > length)
            break;
        i += width;
    }
    length = i;
    std::memcpy(out, bytes.data(), length);
    std::memset(out + length, 0, size - length);
    return length;
}

}  // namespace addin
