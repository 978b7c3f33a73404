#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// How CSV files are written: UTF-8 with a byte-order mark (spreadsheets then read every script,
// Korean included, and no character is lost to a code page), CRLF line ends, text cells quoted as
// RFC 4180 says, numbers in the C locale.
namespace exporting::csv {

inline constexpr std::string_view kFileStart = "\xEF\xBB\xBF";
inline constexpr std::string_view kLineEnd = "\r\n";

// Appends one text cell, encoded as UTF-8 and quoted (with quotes doubled) when it holds a
// comma, a quote or a line break. Every text that goes into a CSV file passes through here.
void AppendCell(std::string& out, std::u16string_view text);

// Room one number of AppendSampleNumber, AppendTime or AppendValue may take.
inline constexpr size_t kMaxNumberLength = 64;

// The decimals a time column needs to tell samples `periodUs` microseconds apart: 1000 us -> 3,
// 1500 us -> 4, 1 s -> 0; 0 for no period (untimed runs).
int TimeDecimals(int32_t periodUs);

// Each writes one number at `out` (at least kMaxNumberLength bytes of room) and returns its end.
char* AppendSampleNumber(char* out, int64_t number);
// A time in seconds with `decimals` decimals, or more where "%g" would show more; never in
// exponent form, and never showing the float's noise beyond its six significant digits.
char* AppendTime(char* out, float seconds, int decimals);
// A sensor value by its unit's significant digits, as FormatSensorValue writes it: 0 the value
// cut to an integer, 1..6 that many decimals, -1 the general form, anything else six decimals.
char* AppendValue(char* out, float value, int digits);

}  // namespace exporting::csv
