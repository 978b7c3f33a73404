#include "logger/export/core/ReportTemplate.h"

namespace exporting::report {

namespace {

constexpr std::string_view kPlaceholderOpen = "--##";
constexpr std::string_view kPlaceholderClose = "##--";
constexpr std::string_view kMarkerOpen = "<!-";
constexpr std::string_view kMarkerClose = "->";
// Longest name a token may have: a lone opener is not searched to the end of the page.
constexpr size_t kMaxTokenName = 64;

enum class Cut { Done, NoSection, StartMissing };

// Removes [start marker, end marker) from `page` and gives what lay between the markers.
Cut CutSection(std::string& page, std::string_view startMarker, std::string_view endMarker, std::string& section)
{
    section.clear();
    const size_t start = page.find(startMarker);
    if (start == std::string::npos)
        return page.find(endMarker) == std::string::npos ? Cut::NoSection : Cut::StartMissing;
    const size_t end = page.find(endMarker, start + startMarker.size());
    if (end == std::string::npos)
        return page.find(endMarker) == std::string::npos ? Cut::NoSection : Cut::StartMissing;
    section = page.substr(start + startMarker.size(), end - start - startMarker.size());
    page.erase(start, end - start);
    return Cut::Done;
}

// The token starting at `at`, or an empty view when none starts there.
std::string_view TokenAt(std::string_view text, size_t at)
{
    for (const auto& [open, close] : {std::pair{kPlaceholderOpen, kPlaceholderClose}, std::pair{kMarkerOpen, kMarkerClose}}) {
        if (text.substr(at, open.size()) != open)
            continue;
        const std::string_view rest = text.substr(at + open.size(), kMaxTokenName + close.size());
        const size_t end = rest.find(close);
        if (end == std::string_view::npos)
            return {};
        return text.substr(at, open.size() + end + close.size());
    }
    return {};
}

}  // namespace

TemplateResult SplitTemplate(std::string_view text, ReportTemplate& out)
{
    out.page.assign(text);
    if (CutSection(out.page, kActivityStart, kActivityEnd, out.activity) == Cut::StartMissing)
        return TemplateResult::ActivityStartMissing;
    if (CutSection(out.page, kAnalyzeStart, kAnalyzeEnd, out.analysis) == Cut::StartMissing)
        return TemplateResult::AnalyzeStartMissing;
    return TemplateResult::Ok;
}

std::string FillTemplate(std::string_view text, const TokenLookup& lookup)
{
    std::string out;
    out.reserve(text.size());
    bool inTag = false;
    size_t i = 0;
    while (i < text.size()) {
        const size_t next = text.find_first_of("-<>", i);
        if (next == std::string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        out.append(text.substr(i, next - i));
        i = next;
        if (const std::string_view token = TokenAt(text, i); !token.empty()) {
            if (std::optional<std::string> replacement = lookup(token, inTag)) {
                out += *replacement;
                i += token.size();
                continue;
            }
        }
        // A tag opens at "<" (markers that were replaced are no tags) and closes at ">".
        if (text[i] == '<')
            inTag = true;
        else if (text[i] == '>')
            inTag = false;
        out += text[i++];
    }
    return out;
}

}  // namespace exporting::report
