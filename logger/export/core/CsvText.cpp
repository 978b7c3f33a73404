#include "logger/export/core/CsvText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "platform/Text.h"

namespace exporting::csv {

namespace {

constexpr int kGeneralPrecision = 6;
constexpr int kMaxFixedDecimals = 17;

// 10^(5 - decimals) for decimals 0..17: at and above it "%g" shows no more decimals than that.
constexpr double kGeneralShowsFewer[kMaxFixedDecimals + 1] = {
    1e5, 1e4, 1e3, 1e2, 1e1, 1e0, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6, 1e-7, 1e-8, 1e-9, 1e-10, 1e-11, 1e-12,
};

char* AppendLiteral(char* out, std::string_view text)
{
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

// NaN and the infinities as printf writes them; null for a finite value.
const char* NonFiniteText(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    return nullptr;
}

constexpr int kExactDecimals = 12;
constexpr double kPowersOfTen[kExactDecimals + 1] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5, 1e6,
                                                     1e7, 1e8, 1e9, 1e10, 1e11, 1e12};
constexpr int64_t kIntPowersOfTen[kExactDecimals + 1] = {
    1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000, 10000000000, 100000000000,
    1000000000000};
// Below this a scaled value and its integer are exact in a double.
constexpr double kExactLimit = 9007199254740992.0;   // 2^53

// "%.*f" of a float. A float times 10^d (d <= 12) needs at most 24 + 28 bits, so the product is
// exact in a double and rounding it to an integer (to even, as printf rounds the exact value)
// gives printf's digits without its cost; anything larger goes the general way.
char* AppendFixed(char* out, float value, int decimals)
{
    const double v = value;
    if (const char* text = NonFiniteText(v))
        return AppendLiteral(out, text);
    if (decimals <= kExactDecimals) {
        const double scaled = std::fabs(v) * kPowersOfTen[decimals];
        if (scaled < kExactLimit) {
            const int64_t digits = int64_t(std::nearbyint(scaled));
            if (std::signbit(v))
                *out++ = '-';
            const int64_t power = kIntPowersOfTen[decimals];
            out = std::to_chars(out, out + kMaxNumberLength, digits / power).ptr;
            if (decimals > 0) {
                *out++ = '.';
                int64_t fraction = digits % power;
                for (int i = decimals - 1; i >= 0; --i) {
                    out[i] = char('0' + fraction % 10);
                    fraction /= 10;
                }
                out += decimals;
            }
            return out;
        }
    }
    const auto result = std::to_chars(out, out + kMaxNumberLength, v, std::chars_format::fixed, decimals);
    return result.ec == std::errc() ? result.ptr : AppendLiteral(out, "0");
}

// Decimals "%g" shows of a finite value: those of its mantissa less its decimal exponent.
int GeneralDecimals(double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, kGeneralPrecision);
    if (result.ec != std::errc())
        return 0;
    const std::string_view shown(text, size_t(result.ptr - text));
    const size_t e = shown.find('e');
    const std::string_view mantissa = shown.substr(0, e);
    const size_t point = mantissa.find('.');
    int decimals = point == std::string_view::npos ? 0 : int(mantissa.size() - point - 1);
    if (e != std::string_view::npos) {
        int exponent = 0;
        std::from_chars(shown.data() + e + 1 + (shown[e + 1] == '+' ? 1 : 0), shown.data() + shown.size(), exponent);
        decimals -= exponent;
    }
    return decimals < 0 ? 0 : decimals;
}

int64_t TruncateSaturated(float value)
{
    if (std::isnan(value))
        return 0;
    const double v = std::trunc(double(value));
    if (v >= double(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (v <= double(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return int64_t(v);
}

}  // namespace

void AppendCell(std::string& out, std::u16string_view text)
{
    const std::string utf8 = platform::Utf16ToUtf8(text);
    if (utf8.find_first_of(",\"\r\n") == std::string::npos) {
        out += utf8;
        return;
    }
    out += '"';
    for (char c : utf8) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

int TimeDecimals(int32_t periodUs)
{
    if (periodUs <= 0)
        return 0;
    int decimals = 6;
    while (decimals > 0 && periodUs % 10 == 0) {
        periodUs /= 10;
        --decimals;
    }
    return decimals;
}

char* AppendSampleNumber(char* out, int64_t number)
{
    return std::to_chars(out, out + kMaxNumberLength, number).ptr;
}

char* AppendTime(char* out, float seconds, int decimals)
{
    const double value = seconds;
    if (const char* text = NonFiniteText(value))
        return AppendLiteral(out, text);
    decimals = decimals < 0 ? 0 : (decimals > kMaxFixedDecimals ? kMaxFixedDecimals : decimals);
    const double magnitude = std::fabs(value);
    if (magnitude != 0.0 && magnitude < kGeneralShowsFewer[decimals]) {
        const int shown = GeneralDecimals(value);
        if (shown > decimals)
            decimals = shown > kMaxFixedDecimals ? kMaxFixedDecimals : shown;
    }
    return AppendFixed(out, seconds, decimals);
}

char* AppendValue(char* out, float value, int digits)
{
    if (digits == 0)
        return AppendSampleNumber(out, TruncateSaturated(value));
    if (digits >= 1 && digits <= 6)
        return AppendFixed(out, value, digits);
    if (digits == -1) {
        if (std::isnan(value))
            return AppendLiteral(out, "nan");
        const auto result =
            std::to_chars(out, out + kMaxNumberLength, double(value), std::chars_format::general, kGeneralPrecision);
        return result.ec == std::errc() ? result.ptr : AppendLiteral(out, "0");
    }
    return AppendFixed(out, value, 6);
}

}  // namespace exporting::csv
