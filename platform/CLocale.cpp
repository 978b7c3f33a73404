#include "platform/CLocale.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace platform {
namespace {

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

}  // namespace

std::string FormatFixed(double value, int decimals)
{
    if (decimals < 0)
        decimals = 0;
    if (decimals > 17)
        decimals = 17;
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc())
        return "0";
    return std::string(buffer, result.ptr);
}

std::string FormatGeneral(double value)
{
    if (std::isnan(value))
        return "nan";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string FormatInt(int64_t value)
{
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

bool ParseDouble(std::string_view text, double& out)
{
    text = Trim(text);
    if (text.empty())
        return false;
    double value = 0;
    const size_t used = ParseDoublePrefix(text, value);
    if (used != text.size())
        return false;
    out = value;
    return true;
}

bool ParseInt(std::string_view text, int64_t& out)
{
    text = Trim(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return false;  // "+-5" is not a number
    }
    int64_t value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
        return false;
    out = value;
    return true;
}

size_t ParseDoublePrefix(std::string_view text, double& out)
{
    size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t'))
        ++start;
    size_t pos = start;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // from_chars takes neither a sign '+' nor a leading '.', which strtod accepts.
    std::string buffer;
    std::string_view body = text.substr(pos);
    if (!body.empty() && (body.front() == '-' || body.front() == '+'))
        return 0;  // a second sign ("--5", "+-5")
    if (!body.empty() && body.front() == '.') {
        // As for strtod, a lone '.' (or ".e5") is no number: a digit must follow.
        if (body.size() < 2 || body[1] < '0' || body[1] > '9')
            return 0;
        buffer = "0";
        buffer.append(body);
        body = buffer;
    }
    double value = 0;
    auto result = std::from_chars(body.data(), body.data() + body.size(), value,
                                  std::chars_format::general);
    if (result.ec == std::errc::invalid_argument)
        return 0;
    size_t consumed = size_t(result.ptr - body.data());
    if (!buffer.empty())
        --consumed;  // the '0' we added
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value untouched; strtod gives +-HUGE_VAL or 0, which we want.
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
        const std::string copy(body.substr(0, consumed + (buffer.empty() ? 0 : 1)));
        value = strtod_l(copy.c_str(), nullptr, cLocale);
    }
    out = negative ? -value : value;
    return pos + consumed;
}

}  // namespace platform
