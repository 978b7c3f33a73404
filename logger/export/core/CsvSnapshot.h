#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "logger/analysis/core/AnalysisPorts.h"
#include "logger/analysis/core/AnalysisScreenModel.h"
#include "logger/export/core/CsvExport.h"
#include "logger/project/RunSeriesSource.h"
#include "logger/project/RunStore.h"

// Exporting a project as CSV files, in two steps. On the UI thread, TakeCsvSnapshot saves the
// working project, brings every data set in use back in turn (which has the measurement screen
// load its chart with it), copies what its file needs and puts the current set back. Then
// WriteCsvFiles formats and writes the files, on a worker (CsvExportJob) behind a progress box.
namespace exporting {

// What an export reads from the rest of the program.
struct CsvSources {
    project::ExperimentBlock& block;
    project::RunStore& store;              // the working project (ProjectFile)
    const project::ProjectRecord& head;    // its head: title and date
    const project::RunSeriesSource& series;
    const analysis::ChannelUnitSource& units;
    const analysis::TextSource& texts;
};

// The CSV data of the current data set, right after it was loaded: its series as spans into the
// chart (OwnData copies them). Channel c is exported only when the set recorded it with entries;
// with a common rate the time column is the first such channel's.
std::unique_ptr<CsvDataSet> CurrentCsvDataSet(const CsvSources& sources, int index);

struct CsvFileJob {
    int dataSet = 0;
    std::string path;
    CsvResult result = CsvResult::Pending;
    std::unique_ptr<CsvDataSet> data;   // while Pending
};

struct CsvSnapshot {
    // SaveFailed when nothing could be exported; Written otherwise (see the files).
    CsvResult result = CsvResult::Written;
    std::vector<CsvFileJob> files;     // one per data set in use, in order
    // Putting the current data set back; not Ok means no set is current now.
    project::ProjectResult restore = project::ProjectResult::Ok;
};

// `chosenPath` is the name the user chose (folder/stem.csv); data set k goes to
// folder/stem_(k+1).csv. In service mode no file is written and each says so.
CsvSnapshot TakeCsvSnapshot(const CsvSources& sources, const std::string& chosenPath, bool serviceMode);

struct CsvFileResult {
    int dataSet = 0;
    std::string path;
    CsvResult result = CsvResult::Pending;
};

// Writes every pending file of the snapshot (and frees its data); the others keep their result.
// `progress` is called from the calling thread; once `cancel` is set no further file is begun and
// the one being written is dropped, each keeping any older file of its name.
std::vector<CsvFileResult> WriteCsvFiles(CsvSnapshot& snapshot, const CsvProgressFn& progress,
                                         const std::atomic<bool>& cancel);

}  // namespace exporting
