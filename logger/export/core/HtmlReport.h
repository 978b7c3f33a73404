#pragma once

#include <cstdint>
#include <string>

#include "logger/analysis/core/AnalysisPorts.h"
#include "logger/analysis/core/AnalysisScreenModel.h"
#include "logger/project/RunSeriesSource.h"
#include "logger/project/RunStore.h"

// The HTML report of a project, made from the template "report.html": the project's title,
// author, school, date and note; per data set in use a section with its sensors, rate, length,
// measurement chart picture, CSV file and note; per analysis set in use of its first graph a
// section with the analysis chart picture, the result lines and the note.
//
// The report goes to folder/stem/ for a chosen folder/stem.html: stem.html, stem_k.bmp,
// stem_k.csv and stem_ks.bmp (data set k, analysis set s, from 1). Everything is built first
// and replaces the old files only when all of it could be written; a report that fails leaves the
// old one as it was. Whatever happens, the data set that was current is current again after.
namespace exporting {

// Draws the chart pictures the report holds; the measurement and analysis screens in the program.
class ReportPictures {
public:
    virtual ~ReportPictures() = default;
    // The measurement chart of the current data set `record`, just loaded, as a BMP at `path`.
    virtual bool SaveMeasurementPicture(const project::DataSetRecord& record, const std::string& path) = 0;
    // The analysis chart of graph `graph` of the current data set, its set `set` current and
    // just computed, as a BMP at `path`.
    virtual bool SaveAnalysisPicture(project::DataSetRecord& record, int graph, int set, const std::string& path) = 0;
};

struct ReportSources {
    project::ExperimentBlock& block;
    project::RunStore& store;              // the working project (ProjectFile)
    const project::ProjectRecord& head;    // its head: title, date and note
    const project::RunSeriesSource& series;
    const analysis::ChannelUnitSource& units;
    const analysis::TextSource& texts;
    // The analysis screen's model: the report has it run each analysis set afresh. It is left
    // bound to the data set current after the report.
    analysis::AnalysisScreenModel& analysis;
    ReportPictures& pictures;
};

struct ReportRequest {
    std::string templatePath;   // the data folder's report.html
    std::string chosenPath;     // as the save dialog gave it
    std::u16string author;
    std::u16string school;
};

enum class ReportResultCode : int32_t {
    Written = 0,
    TemplateMissing = 1,   // the template cannot be read
    TemplateDamaged = 2,   // a section's end marker without its start marker
    SaveFailed = 3,        // the working project could not be saved first
    FolderFailed = 4,      // the report folder could not be made
    LoadFailed = 5,        // a data set's samples could not be read back
    PictureFailed = 6,     // a chart picture could not be written
    CsvFailed = 7,         // a CSV file could not be written
    WriteFailed = 8,       // the page, or putting the new files in place, failed
};

struct ReportResult {
    ReportResultCode code = ReportResultCode::Written;
    std::string reportPath;   // folder/stem/chosen name
    std::string failedPath;   // the file that failed, when one did
    int failedDataSet = -1;   // the data set that could not be read back
    // Putting the current data set back; not Ok means no set is current now.
    project::ProjectResult restore = project::ProjectResult::Ok;
};

ReportResult WriteHtmlReport(const ReportSources& sources, const ReportRequest& request);

// The report's "%g Sec" of a run's length: the milliseconds as seconds, no trailing zeros.
std::string SecondsText(int32_t milliseconds);

}  // namespace exporting
