#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The report template: an HTML page in UTF-8 holding placeholders ("--##Name##--") and markers
// ("<!-Name->"). Two sections of it, between "<!-Activity_Start->" and "<!-Activity_End->" and
// between "<!-Analyze_Start->" and "<!-Analyze_End->", are cut out and filled once per data set
// and once per analysis set; the copies go where "<!-Activity_ADDk->" and "<!-Analyze_ADDk-s->"
// stand.
namespace exporting::report {

inline constexpr std::string_view kActivityStart = "<!-Activity_Start->";
inline constexpr std::string_view kActivityEnd = "<!-Activity_End->";
inline constexpr std::string_view kAnalyzeStart = "<!-Analyze_Start->";
inline constexpr std::string_view kAnalyzeEnd = "<!-Analyze_End->";

struct ReportTemplate {
    std::string page;       // the template without its sections (their end markers stay)
    std::string activity;   // the data-set section; empty when the template has none
    std::string analysis;   // the analysis-set section; empty when the template has none
};

enum class TemplateResult { Ok, ActivityStartMissing, AnalyzeStartMissing };

// Cuts the activity section out, then the analysis section out of what is left. A section whose
// end marker is missing stays in the page and is filled as empty; one whose start marker is
// missing while its end marker is there (or lies only before it) makes the template unusable.
TemplateResult SplitTemplate(std::string_view text, ReportTemplate& out);

// The text a token is replaced by: `token` is a whole placeholder ("--##...##--") or marker
// ("<!-...->"); `inTag` tells that it stands inside a tag, as an attribute value. nullopt leaves
// the token as it is.
using TokenLookup = std::function<std::optional<std::string>(std::string_view token, bool inTag)>;

// One pass over `text`, each token replaced as `lookup` says. What is inserted is never looked at
// again, so an inserted text holding a token stays as it is.
std::string FillTemplate(std::string_view text, const TokenLookup& lookup);

}  // namespace exporting::report
