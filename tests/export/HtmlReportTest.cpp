#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "logger/analysis/core/AnalysisEngine.h"
#include "logger/export/core/ExportMessages.h"
#include "logger/export/core/HtmlReport.h"
#include "tests/support/ExportTestSupport.h"

using namespace project;
using namespace exporting;
using namespace exporttest;

namespace {

// Pictures as small files that say what was drawn, and what the record looked like then.
class FakePictures : public ReportPictures {
public:
    bool SaveMeasurementPicture(const DataSetRecord& record, const std::string& path) override
    {
        calls.push_back("measurement " + platform::FieldToUtf8(record.title));
        return Write(path);
    }
    bool SaveAnalysisPicture(DataSetRecord& record, int graph, int set, const std::string& path) override
    {
        calls.push_back("analysis " + std::to_string(graph) + " " + std::to_string(set) + " current " +
                        std::to_string(record.currentGraph) + " " + std::to_string(record.selector.currentSet));
        return Write(path);
    }
    bool Write(const std::string& path)
    {
        if (int(calls.size()) == failCall)
            return false;
        WriteText(path, "BM picture " + std::to_string(calls.size()));
        return true;
    }

    std::vector<std::string> calls;
    int failCall = 0;
};

bool IsValidUtf8(const std::string& text)
{
    return platform::Utf16ToUtf8(platform::Utf8ToUtf16(text)) == text;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class HtmlReportTest : public ExportFixture {
protected:
    HtmlReportTest()
    {
        fs::create_directory(folder.Path() / "F");
        templatePath = std::string(CORVIK_SOURCE_DIR) + "/resources/report.html";
    }

    // Data sets 1 and 3, the first with analysis set 2 of its first graph in use; set 1 current.
    void RecordLab()
    {
        DataSetRecord& first = Record(0, {{0, 40, 1}});
        platform::CopyToField(first.title, u"실험 하나");
        platform::CopyToField(first.note.text, u"--##REPORT_TITLE##-- stays");
        first.note.textLength = 26;
        AnalysisSettings& fit = *SettingsAt(first, 0, 1);
        fit.inUse = 1;
        fit.ySlot = 0;
        fit.ySeries = 0;
        fit.xSlot = -1;
        fit.xSeries = -1;
        fit.resultSeries = ResultSeriesFor(0, 1);
        fit.resultCapacity = 40;
        fit.analysisType = 2;
        fit.rangeStart = 0;
        fit.rangeEnd = 40;
        platform::CopyToField(fit.memo.text, u"a\nb <b>");
        fit.memo.textLength = 7;
        first.currentGraph = 0;
        first.selector.currentSet = 0;
        platform::CopyToField(project.Record().note.text, u"line1\nline2");
        project.Record().note.textLength = 11;
        ASSERT_EQ(project.SaveProject(), ProjectResult::Ok);
        Record(2, {{1, 10, 2}});
        block->currentIndex = 0;
        ASSERT_EQ(project.LoadProject(), ProjectResult::Ok);
        kept.assign(samples->rawValues[0], samples->rawValues[0] + 40);
    }

    ReportResult Report(const std::string& chosen)
    {
        analysis::AnalysisEngine engine(chart, texts, messages);
        analysis::AnalysisScreenModel model(engine, chart, texts, units);
        const ReportSources sources{*block, store, project.Record(), chart, units, texts, model, pictures};
        return WriteHtmlReport(sources, {templatePath, chosen, u"Kim & Lee", u"<Hana> School"});
    }

    void ExpectCurrentSetAsBefore()
    {
        EXPECT_EQ(block->currentIndex, 0);
        EXPECT_EQ(std::vector<uint32_t>(samples->rawValues[0], samples->rawValues[0] + 40), kept);
        EXPECT_EQ(block->records[0].selector.currentSet, 0);
    }

    std::string templatePath;
    analysistest::FakeMessages messages;
    FakePictures pictures;
    std::vector<uint32_t> kept;
};

TEST_F(HtmlReportTest, TwoDataSetsAndOneAnalysisMakeTheReportFolder)
{
    RecordLab();
    const ReportResult result = Report(folder.File("F/lab.html"));
    ASSERT_EQ(result.code, ReportResultCode::Written) << result.failedPath;
    EXPECT_EQ(result.reportPath, folder.File("F/lab/lab.html"));
    EXPECT_EQ(FilesIn(folder.Path() / "F" / "lab"),
              (std::vector<std::string>{"lab.html", "lab_1.bmp", "lab_1.csv", "lab_12.bmp", "lab_3.bmp", "lab_3.csv"}));
    EXPECT_EQ(pictures.calls, (std::vector<std::string>{"measurement 실험 하나", "analysis 0 1 current 0 1",
                                                         "measurement Run 3"}));
    EXPECT_EQ(result.restore, ProjectResult::Ok);
    ExpectCurrentSetAsBefore();

    const std::string page = ReadText(result.reportPath);
    EXPECT_TRUE(IsValidUtf8(page));
    // Only the markers of the sets in use are replaced.
    EXPECT_FALSE(Has(page, "<!-Activity_ADD1->"));
    EXPECT_TRUE(Has(page, "<!-Activity_ADD2->"));
    EXPECT_FALSE(Has(page, "<!-Activity_ADD3->"));
    EXPECT_TRUE(Has(page, "<!-Activity_ADD4->"));
    EXPECT_FALSE(Has(page, "<!-Analyze_ADD1-2->"));
    EXPECT_TRUE(Has(page, "<!-Analyze_ADD1-1->"));
    EXPECT_FALSE(Has(page, "--##Activity_Name##--"));
    // Texts escaped, line breaks as <br>, a placeholder inside a note left as it is.
    EXPECT_TRUE(Has(page, "<td>Kim &amp; Lee</td>"));
    EXPECT_TRUE(Has(page, "<td>&lt;Hana&gt; School</td>"));
    EXPECT_TRUE(Has(page, "line1<br>line2"));
    EXPECT_TRUE(Has(page, "a<br>b &lt;b&gt;"));
    EXPECT_TRUE(Has(page, "--##REPORT_TITLE##-- stays"));
    EXPECT_TRUE(Has(page, "<title>Project</title>"));
    EXPECT_TRUE(Has(page, "<td>2026.12.9</td>"));
    EXPECT_TRUE(Has(page, "<h2>실험 하나</h2>"));
    EXPECT_TRUE(Has(page, "<td>12.5 Sec</td>"));
    EXPECT_TRUE(Has(page, "<td>10 Hz</td>"));
    EXPECT_TRUE(Has(page, "<td>CH [A] : A-v0(V) <br></td>"));
    EXPECT_TRUE(Has(page, "<td>CH [B] : B-v0(V) , B-v1(V) <br></td>"));
    EXPECT_TRUE(Has(page, "<a href=\"lab_1.csv\">lab_1.csv</a>"));
    EXPECT_TRUE(Has(page, "<img src=\"lab_3.bmp\""));
    EXPECT_TRUE(Has(page, "<img src=\"lab_12.bmp\""));
    // The analysis was computed for the report: the linear fit's lines.
    EXPECT_TRUE(Has(page, "<div class=\"results\">[2172]<br><br>[2160] : "));
    EXPECT_GT(chart.series[ResultSeriesFor(0, 1)].used, 0);
    // The report's CSV files are the export's.
    EXPECT_TRUE(Has(ReadText(folder.File("F/lab/lab_3.csv")), "CH [B],,Title : Project (Run 3)"));
}

TEST_F(HtmlReportTest, OneStemNamesTheFolderThePageAndEveryLink)
{
    RecordLab();
    ASSERT_EQ(Report(folder.File("F/my.lab.html")).code, ReportResultCode::Written);
    const std::string page = ReadText(folder.File("F/my.lab/my.lab.html"));
    EXPECT_TRUE(Has(page, "<img src=\"my.lab_1.bmp\""));
    EXPECT_TRUE(fs::exists(folder.File("F/my.lab/my.lab_1.bmp")));

    ASSERT_EQ(Report(folder.File("F/실험 1.html")).code, ReportResultCode::Written);
    const std::string korean = ReadText(folder.File("F/실험 1/실험 1.html"));
    EXPECT_TRUE(Has(korean, "<a href=\"%EC%8B%A4%ED%97%98%201_1.csv\">실험 1_1.csv</a>"));
    EXPECT_TRUE(fs::exists(folder.File("F/실험 1/실험 1_12.bmp")));
}

TEST_F(HtmlReportTest, ABrokenTemplateLeavesTheOldReportAndTheCurrentSet)
{
    RecordLab();
    fs::create_directory(folder.Path() / "F" / "lab");
    WriteText(folder.File("F/lab/lab.html"), "old report");
    const int loads = store.loads;

    templatePath = folder.File("missing.html");
    ReportResult result = Report(folder.File("F/lab.html"));
    EXPECT_EQ(result.code, ReportResultCode::TemplateMissing);
    EXPECT_EQ(ReportResultTextId(result.code), 2997);

    templatePath = folder.File("damaged.html");
    WriteText(templatePath, "<p>--##REPORT_TITLE##--</p><div>--##Activity_Name##--<!-Activity_End->");
    result = Report(folder.File("F/lab.html"));
    EXPECT_EQ(result.code, ReportResultCode::TemplateDamaged);
    EXPECT_EQ(ReportResultTextId(result.code), 2998);

    EXPECT_EQ(ReadText(folder.File("F/lab/lab.html")), "old report");
    EXPECT_EQ(FilesIn(folder.Path() / "F" / "lab"), std::vector<std::string>{"lab.html"});
    EXPECT_EQ(store.loads, loads);
    EXPECT_TRUE(pictures.calls.empty());
    ExpectCurrentSetAsBefore();
}

TEST_F(HtmlReportTest, AFailureOnTheWayKeepsTheWholeOldReport)
{
    RecordLab();
    ASSERT_EQ(Report(folder.File("F/lab.html")).code, ReportResultCode::Written);
    const std::string page = ReadText(folder.File("F/lab/lab.html"));
    const std::string picture = ReadText(folder.File("F/lab/lab_1.bmp"));

    // The third picture cannot be drawn: nothing of the new report is put in place.
    pictures.calls.clear();
    pictures.failCall = 3;
    ReportResult result = Report(folder.File("F/lab.html"));
    EXPECT_EQ(result.code, ReportResultCode::PictureFailed);
    EXPECT_EQ(result.failedPath, folder.File("F/lab/lab_3.bmp"));
    EXPECT_EQ(ReadText(folder.File("F/lab/lab.html")), page);
    EXPECT_EQ(ReadText(folder.File("F/lab/lab_1.bmp")), picture);
    EXPECT_EQ(FilesIn(folder.Path() / "F" / "lab").size(), 6u);
    EXPECT_EQ(result.restore, ProjectResult::Ok);
    ExpectCurrentSetAsBefore();

    // A set that cannot be read back: no report, and the set that was current is current again.
    pictures.failCall = 0;
    store.failLoadOf = 2;
    result = Report(folder.File("F/lab.html"));
    EXPECT_EQ(result.code, ReportResultCode::LoadFailed);
    EXPECT_EQ(result.failedDataSet, 2);
    EXPECT_EQ(ReadText(folder.File("F/lab/lab.html")), page);
    ExpectCurrentSetAsBefore();

    // Putting the current set back fails: then no set is current.
    store.failLoadOf = -2;
    store.loads = 0;
    store.failFromLoad = 3;
    result = Report(folder.File("F/lab.html"));
    EXPECT_EQ(result.code, ReportResultCode::Written);
    EXPECT_EQ(result.restore, ProjectResult::IoError);
    EXPECT_EQ(block->currentIndex, -1);
}

TEST_F(HtmlReportTest, RunLengthsAreShownInSeconds)
{
    const struct {
        int32_t ms;
        const char* text;
    } cases[] = {{12500, "12.5"}, {0, "0"}, {30000, "30"}, {1234567, "1234.567"}, {5, "0.005"}, {-1500, "-1.5"}};
    for (const auto& c : cases)
        EXPECT_EQ(SecondsText(c.ms), c.text) << c.ms;
}

}  // namespace
