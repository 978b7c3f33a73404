#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Numbers in files, frames, catalogues and on screen are written and read in the C locale,
// whatever the user's locale is (a Qt program adopts it from the environment, and a decimal comma
// would corrupt every file we write).
namespace platform {

// printf("%.*f") in the C locale.
std::string FormatFixed(double value, int decimals);
// printf("%g")-like shortest form in the C locale ("1.5", "1e+20").
std::string FormatGeneral(double value);
std::string FormatInt(int64_t value);

// Whole-string parses; surrounding blanks are allowed. False on anything else.
bool ParseDouble(std::string_view text, double& out);
bool ParseInt(std::string_view text, int64_t& out);
// strtod-like prefix parse in the C locale: reads the longest number at the start (after
// blanks), returns the characters consumed (0 when there is no number). A leading '+' or '.'
// is accepted.
size_t ParseDoublePrefix(std::string_view text, double& out);

}  // namespace platform
