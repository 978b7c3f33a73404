#include "logger/export/core/HtmlReport.h"

#include <cstddef>
#include <filesystem>
#include <deque>
#include <map>
#include <optional>
#include <vector>

#include "devicelink/sensor/ChannelState.h"
#include "logger/export/core/CsvSnapshot.h"
#include "logger/export/core/DataSetWalk.h"
#include "logger/export/core/ExportNames.h"
#include "logger/export/core/HtmlText.h"
#include "logger/export/core/ReportTemplate.h"
#include "logger/project/FileIo.h"
#include "platform/Text.h"

namespace exporting {

namespace {

namespace fs = std::filesystem;
using report::ReportTemplate;

// The analysis sets of a data set's first graph go into the report.
constexpr int kReportGraph = 0;
constexpr int kValueNumbers = 4;

// A token's text in the page and inside a tag (an attribute value).
struct TokenText {
    std::string text;
    std::string attribute;
};

class TokenTable {
public:
    void Add(std::string name, TokenText value) { tokens_[std::move(name)] = std::move(value); }
    // A text as the page shows it: escaped, its line breaks as <br> (as blanks in an attribute).
    void AddText(std::string name, std::u16string_view text)
    {
        std::u16string flat(text);
        for (char16_t& c : flat)
            c = (c == u'\r' || c == u'\n') ? u' ' : c;
        Add(std::move(name), {html::EscapeLines(text), html::Escape(flat)});
    }
    // A file of the report folder: its name in the page, percent-encoded in src and href.
    void AddFile(std::string name, const std::string& fileName)
    {
        Add(std::move(name), {html::Escape(platform::Utf8ToUtf16(fileName)), html::PercentEncode(fileName)});
    }
    std::optional<std::string> Find(std::string_view name, bool inTag) const
    {
        const auto it = tokens_.find(name);
        if (it == tokens_.end())
            return std::nullopt;
        return inTag ? it->second.attribute : it->second.text;
    }
    std::string Fill(std::string_view text) const
    {
        return report::FillTemplate(text, [this](std::string_view name, bool inTag) { return Find(name, inTag); });
    }

private:
    std::map<std::string, TokenText, std::less<>> tokens_;
};

std::string Placeholder(std::string_view name) { return "--##" + std::string(name) + "##--"; }
std::string Marker(const std::string& name) { return "<!-" + name + "->"; }

bool ReadWholeFile(const std::string& path, std::string& text)
{
    project::fileio::File file;
    if (!file.OpenRead(path))
        return false;
    const int64_t length = file.Length();
    if (length < 0)
        return false;
    text.resize(size_t(length));
    return file.ReadExactAt(0, text.data(), text.size());
}

int ValueCountOf(const project::DataSetRecord& record, int channel)
{
    const int32_t count = project::ToDeviceState(record.channels[channel]).outputCount;
    return count < 1 ? 1 : (count > kValueNumbers ? kValueNumbers : count);
}

// "CH [A] : name " and ", name " for each further value of every recorded channel, a line each.
std::string SensorInfo(const project::DataSetRecord& record, const project::RunSeriesSource& series)
{
    std::string info;
    for (int c = 0; c < project::kChannelCount; ++c) {
        if (record.channelRecorded[c] != 1)
            continue;
        info += "CH [";
        info += char('A' + c);
        info += "] : " + html::Escape(series.Series(c).name) + " ";
        for (int v = 1; v < ValueCountOf(record, c); ++v)
            info += ", " + html::Escape(series.Series(c + project::kChannelCount * v).name) + " ";
        info += "<br>";
    }
    return info;
}

std::string ResultLinesHtml(const analysis::ResultLines& lines)
{
    std::string info;
    for (int i = 0; i < lines.Count(); ++i)
        info += html::Escape(lines.Line(i)) + "<br>";
    return info;
}

std::u16string Utf16(const std::string& ascii) { return platform::Utf8ToUtf16(ascii); }

// The files staged for the report, put in place together at the end: the pictures and CSV files
// first, the page last, so that no page points at files that are not there.
class StagedFiles {
public:
    // A replacement of `target`, open for writing; null when it cannot be made.
    project::fileio::ReplacingFile* Stage(const std::string& target)
    {
        files_.emplace_back();
        if (!files_.back().Begin(target)) {
            files_.pop_back();
            return nullptr;
        }
        return &files_.back();
    }
    // The target of the first file that could not be put in place, or empty when all were.
    std::string CommitAll()
    {
        for (project::fileio::ReplacingFile& file : files_) {
            if (!file.Commit())
                return file.Target();
        }
        return {};
    }

private:
    std::deque<project::fileio::ReplacingFile> files_;
};

class ReportBuilder {
public:
    ReportBuilder(const ReportSources& sources, const ReportRequest& request, const ReportTemplate& page,
                  const ExportName& name, const std::string& folder, ReportResult& result)
        : sources_(sources), template_(page), name_(name), folder_(folder), result_(result)
    {
        const project::ProjectRecord& head = sources.head;
        head_.AddText(Placeholder("REPORT_TITLE"), platform::FieldView(head.title));
        head_.AddText(Placeholder("REPORT_AUTHOR"), request.author);
        head_.AddText(Placeholder("REPORT_SCHOOL"), request.school);
        head_.AddText(Placeholder("Create_Date"), Utf16(std::to_string(head.year) + "." + std::to_string(head.month) +
                                                        "." + std::to_string(head.day)));
        head_.AddText(Placeholder("Project_Note"), project::NoteText(head.note));
    }

    ReportResultCode AddDataSet(int k);
    ReportResultCode Finish();

private:
    ReportResultCode Fail(ReportResultCode code, const std::string& path)
    {
        result_.failedPath = path;
        return code;
    }
    std::string FolderFile(const std::string& fileName) const { return (fs::path(folder_) / fileName).string(); }
    ReportResultCode StageCsv(int k, const std::string& fileName);
    // A picture drawn by `draw` into a staged file.
    template <typename Draw>
    ReportResultCode StagePicture(const std::string& fileName, Draw&& draw);
    ReportResultCode AddAnalysis(project::DataSetRecord& record, int k, int s);

    const ReportSources& sources_;
    const ReportTemplate& template_;
    const ExportName& name_;
    const std::string& folder_;
    ReportResult& result_;
    TokenTable head_;
    TokenTable page_;   // the insertion markers of the page
    StagedFiles staged_;
};

ReportResultCode ReportBuilder::StageCsv(int k, const std::string& fileName)
{
    const std::string path = FolderFile(fileName);
    project::fileio::ReplacingFile* file = staged_.Stage(path);
    const CsvSources csvSources{sources_.block, sources_.store, sources_.head, sources_.series, sources_.units,
                                sources_.texts};
    const std::unique_ptr<CsvDataSet> data = CurrentCsvDataSet(csvSources, k);
    if (!file || !data)
        return Fail(ReportResultCode::CsvFailed, path);
    const CsvResult written = FormatCsv(
        *data, [file](const char* bytes, size_t size) { return file->Write(bytes, size); }, {}, nullptr);
    if (written != CsvResult::Written || !file->Finish())
        return Fail(ReportResultCode::CsvFailed, path);
    return ReportResultCode::Written;
}

template <typename Draw>
ReportResultCode ReportBuilder::StagePicture(const std::string& fileName, Draw&& draw)
{
    const std::string path = FolderFile(fileName);
    project::fileio::ReplacingFile* file = staged_.Stage(path);
    // The picture writer fills the staged file by its name.
    if (!file || !file->Close() || !draw(file->TempPath()) || !file->Finish())
        return Fail(ReportResultCode::PictureFailed, path);
    return ReportResultCode::Written;
}

ReportResultCode ReportBuilder::AddAnalysis(project::DataSetRecord& record, int k, int s)
{
    // The screen draws its current graph and set: graph 0 with set s, computed afresh.
    record.currentGraph = kReportGraph;
    record.selector.currentSet = s;
    sources_.analysis.Bind(&record);
    sources_.analysis.Run(analysis::ErrorReport::Quiet);
    const std::string picture = NumberedName(name_.stem, AnalysisSuffix(k, s), ".bmp");
    const ReportResultCode drawn = StagePicture(picture, [&](const std::string& path) {
        return sources_.pictures.SaveAnalysisPicture(record, kReportGraph, s, path);
    });
    if (drawn != ReportResultCode::Written)
        return drawn;

    TokenTable section = head_;
    const project::AnalysisSettings& settings = *project::SettingsAt(record, kReportGraph, s);
    section.AddFile(Placeholder("Analyze_Chart"), picture);
    const std::string lines = ResultLinesHtml(sources_.analysis.Lines());
    section.Add(Placeholder("Analyze_Info"), {lines, lines});
    section.AddText(Placeholder("Analyze_Note"), project::NoteText(settings.memo));
    page_.Add(Marker("Analyze_ADD" + std::to_string(k + 1) + "-" + std::to_string(s + 1)),
              {section.Fill(template_.analysis), {}});
    return ReportResultCode::Written;
}

ReportResultCode ReportBuilder::AddDataSet(int k)
{
    project::DataSetRecord& record = sources_.block.records[k];
    const std::string csvName = NumberedName(name_.stem, DataSetSuffix(k), ".csv");
    const std::string pictureName = NumberedName(name_.stem, DataSetSuffix(k), ".bmp");
    if (const ReportResultCode code = StageCsv(k, csvName); code != ReportResultCode::Written)
        return code;
    const ReportResultCode drawn = StagePicture(pictureName, [&](const std::string& path) {
        return sources_.pictures.SaveMeasurementPicture(record, path);
    });
    if (drawn != ReportResultCode::Written)
        return drawn;

    const int32_t graph = record.currentGraph;
    const int32_t set = record.selector.currentSet;
    for (int s = 0; s < project::kSetsPerGraph; ++s) {
        if (project::SettingsAt(record, kReportGraph, s)->inUse != 1)
            continue;
        if (const ReportResultCode code = AddAnalysis(record, k, s); code != ReportResultCode::Written)
            return code;
    }
    record.currentGraph = graph;
    record.selector.currentSet = set;

    TokenTable section = head_;
    section.AddText(Placeholder("Activity_Name"), project::RunTitle(record));
    const std::string sensors = SensorInfo(record, sources_.series);
    section.Add(Placeholder("Sensor_info"), {sensors, sensors});
    section.AddText(Placeholder("Sampling_Rate"), Utf16(std::to_string(record.rate) + " Hz"));
    section.AddText(Placeholder("Experiment_Length"), Utf16(SecondsText(record.elapsedMs) + " Sec"));
    section.AddFile(Placeholder("Measure_chart_image_path"), pictureName);
    section.AddFile(Placeholder("Activity_CSV"), csvName);
    section.AddText(Placeholder("Activity_Note"), project::NoteText(record.note));
    page_.Add(Marker("Activity_ADD" + std::to_string(k + 1)), {section.Fill(template_.activity), {}});
    return ReportResultCode::Written;
}

ReportResultCode ReportBuilder::Finish()
{
    const std::string text = report::FillTemplate(template_.page, [&](std::string_view name, bool inTag) {
        if (std::optional<std::string> marker = page_.Find(name, false))
            return marker;
        return head_.Find(name, inTag);
    });
    project::fileio::ReplacingFile* file = staged_.Stage(result_.reportPath);
    if (!file || !file->Write(text.data(), text.size()) || !file->Finish())
        return Fail(ReportResultCode::WriteFailed, result_.reportPath);
    if (std::string failed = staged_.CommitAll(); !failed.empty())
        return Fail(ReportResultCode::WriteFailed, failed);
    return ReportResultCode::Written;
}

}  // namespace

std::string SecondsText(int32_t milliseconds)
{
    const int64_t ms = milliseconds;
    const int64_t magnitude = ms < 0 ? -ms : ms;
    std::string text = (ms < 0 ? "-" : "") + std::to_string(magnitude / 1000);
    int64_t fraction = magnitude % 1000;
    if (fraction != 0) {
        std::string digits = std::to_string(fraction + 1000).substr(1);
        while (digits.back() == '0')
            digits.pop_back();
        text += "." + digits;
    }
    return text;
}

ReportResult WriteHtmlReport(const ReportSources& sources, const ReportRequest& request)
{
    ReportResult result;
    const ExportName name = SplitExportName(request.chosenPath);
    const std::string folder = (fs::path(name.folder) / name.stem).string();
    result.reportPath = (fs::path(folder) / name.fileName).string();

    std::string text;
    if (!ReadWholeFile(request.templatePath, text)) {
        result.code = ReportResultCode::TemplateMissing;
        return result;
    }
    // The page is UTF-8 as the template declares: anything else in it becomes U+FFFD.
    text = platform::Utf16ToUtf8(platform::Utf8ToUtf16(text));
    ReportTemplate page;
    if (report::SplitTemplate(text, page) != report::TemplateResult::Ok) {
        result.code = ReportResultCode::TemplateDamaged;
        return result;
    }
    if (sources.store.SaveProject() != project::ProjectResult::Ok) {
        result.code = ReportResultCode::SaveFailed;
        return result;
    }
    std::error_code error;
    fs::create_directory(folder, error);
    if (!fs::is_directory(folder, error)) {
        result.code = ReportResultCode::FolderFailed;
        result.failedPath = folder;
        return result;
    }

    std::vector<int> sets;
    for (int k = 0; k < project::kRunCount; ++k) {
        if (sources.block.records[k].inUse != 0)
            sets.push_back(k);
    }
    DataSetWalk walk(sources.block, sources.store);
    {
        ReportBuilder builder(sources, request, page, name, folder, result);
        result.code = ReportResultCode::Written;
        for (int k : sets) {
            if (walk.Visit(k) != project::ProjectResult::Ok) {
                result.code = ReportResultCode::LoadFailed;
                result.failedDataSet = k;
                break;
            }
            result.code = builder.AddDataSet(k);
            if (result.code != ReportResultCode::Written)
                break;
        }
        if (result.code == ReportResultCode::Written)
            result.code = builder.Finish();
    }
    result.restore = walk.Finish();
    sources.analysis.Bind(project::RecordAt(sources.block, sources.block.currentIndex));
    return result;
}

}  // namespace exporting
