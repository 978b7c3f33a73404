#include <map>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "logger/export/core/HtmlText.h"
#include "logger/export/core/ReportTemplate.h"


using namespace exporting;

namespace {

TEST(ReportTemplate, SectionsAreCutOutAndTheirEndMarkersStay)
{
    const struct {
        const char* text;
        report::TemplateResult result;
        const char* page;
        const char* activity;
        const char* analysis;
    } cases[] = {
        {"P<!-Activity_Start->A<!-Activity_End->Q<!-Analyze_Start->N<!-Analyze_End->R", report::TemplateResult::Ok,
         "P<!-Activity_End->Q<!-Analyze_End->R", "A", "N"},
        // No end marker: the section stays in the page and its copies are empty.
        {"P<!-Activity_Start->A", report::TemplateResult::Ok, "P<!-Activity_Start->A", "", ""},
        {"P", report::TemplateResult::Ok, "P", "", ""},
        // An end marker without its start marker, or only before it.
        {"P A<!-Activity_End->", report::TemplateResult::ActivityStartMissing, "", "", ""},
        {"<!-Activity_End->P<!-Activity_Start->A", report::TemplateResult::ActivityStartMissing, "", "", ""},
        {"<!-Activity_Start->A<!-Activity_End->N<!-Analyze_End->", report::TemplateResult::AnalyzeStartMissing, "", "",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        report::ReportTemplate parts;
        ASSERT_EQ(report::SplitTemplate(c.text, parts), c.result);
        if (c.result != report::TemplateResult::Ok)
            continue;
        EXPECT_EQ(parts.page, c.page);
        EXPECT_EQ(parts.activity, c.activity);
        EXPECT_EQ(parts.analysis, c.analysis);
    }
}

TEST(ReportTemplate, TokensAreFilledInOnePassAndTellAttributesFromText)
{
    const std::map<std::string, std::string, std::less<>> values = {
        {"--##A##--", "--##B##--"},   // an inserted text holding a token stays as it is
        {"--##B##--", "b"},
        {"<!-M->", "[m]"},
    };
    const auto lookup = [&](std::string_view token, bool inTag) -> std::optional<std::string> {
        if (token == "--##F##--")
            return inTag ? "attr" : "text";
        const auto it = values.find(token);
        return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
    EXPECT_EQ(report::FillTemplate("x--##A##--y--##B##--<!-M-><!-N->--##Z##--", lookup),
              "x--##B##--yb[m]<!-N->--##Z##--");
    EXPECT_EQ(report::FillTemplate("<a href=\"--##F##--\">--##F##--</a><!-M-><img src='--##F##--'>", lookup),
              "<a href=\"attr\">text</a>[m]<img src='attr'>");
    EXPECT_EQ(report::FillTemplate("--## -- --##", lookup), "--## -- --##");
}

TEST(HtmlText, InsertedTextIsEscapedAndFileNamesPercentEncoded)
{
    EXPECT_EQ(html::Escape(u"<b> & \"x\" 'y'"), "&lt;b&gt; &amp; &quot;x&quot; 'y'");
    EXPECT_EQ(html::EscapeLines(u"a\nb\r\nc\rd<"), "a<br>b<br>c<br>d&lt;");
    EXPECT_EQ(html::PercentEncode("실험 1_a-b.~x.bmp"), "%EC%8B%A4%ED%97%98%201_a-b.~x.bmp");
    EXPECT_EQ(html::PercentEncode("a&b\"c#d?e%"), "a%26b%22c%23d%3Fe%25");
    // A lone surrogate cannot be UTF-8: it becomes U+FFFD.
    EXPECT_EQ(html::Escape(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

}  // namespace
