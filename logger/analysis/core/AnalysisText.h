#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Numbers in result lines and legends, written as printf would in the C locale.
namespace analysis {

// "%.*f" (six decimals: "%f").
std::u16string Fixed(double value, int decimals = 6);
// "%d".
std::u16string Int(int64_t value);
// `name` shifted by `origin`: "(x - 1.500000)", "(x + 1.500000)", or `name` alone for 0.
std::u16string Shifted(std::u16string_view name, double origin);

}  // namespace analysis
