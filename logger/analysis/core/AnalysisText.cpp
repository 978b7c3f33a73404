#include "logger/analysis/core/AnalysisText.h"

#include <cmath>

#include "platform/CLocale.h"
#include "platform/Text.h"

namespace analysis {

std::u16string Fixed(double value, int decimals)
{
    return platform::AsciiToUtf16(platform::FormatFixed(value, decimals));
}

std::u16string Int(int64_t value) { return platform::AsciiToUtf16(platform::FormatInt(value)); }

std::u16string Shifted(std::u16string_view name, double origin)
{
    if (origin == 0.0 || !std::isfinite(origin))
        return std::u16string(name);
    return u"(" + std::u16string(name) + (origin > 0.0 ? u" - " : u" + ") + Fixed(std::fabs(origin)) + u")";
}

}  // namespace analysis
