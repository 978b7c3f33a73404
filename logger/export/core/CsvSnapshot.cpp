#include "logger/export/core/CsvSnapshot.h"

#include "logger/export/core/CsvText.h"
#include "logger/export/core/DataSetWalk.h"
#include "logger/export/core/ExportNames.h"
#include "platform/Text.h"

namespace exporting {

namespace {

constexpr int kSampleHeadingId = 2211;
constexpr int kSampleHeadingLength = 32;
// Series c + 4v: a sensor gives at most four values a sample.
constexpr int kValueNumbers = 4;

std::span<const float> Points(const float* data, int32_t count)
{
    return data && count > 0 ? std::span<const float>(data, size_t(count)) : std::span<const float>{};
}

}  // namespace

std::unique_ptr<CsvDataSet> CurrentCsvDataSet(const CsvSources& sources, int index)
{
    const project::DataSetRecord* record = project::RecordAt(sources.block, index);
    if (record == nullptr)
        return nullptr;
    const project::ProjectRecord& head = sources.head;
    auto data = std::make_unique<CsvDataSet>();
    data->dataSet = index;
    data->projectTitle = std::u16string(platform::FieldView(head.title));
    data->runTitle = std::u16string(project::RunTitle(*record));
    data->year = head.year;
    data->month = head.month;
    data->day = head.day;
    data->perChannelRates = record->perChannelRates == 1;
    data->sampleHeading = sources.texts.String(kSampleHeadingId, kSampleHeadingLength);

    for (int c = 0; c < project::kChannelCount; ++c) {
        CsvChannel& channel = data->channels[size_t(c)];
        if (record->channelRecorded[c] != 1 || project::StoredEntryCount(*record, c) == 0)
            continue;
        for (int v = 0; v < kValueNumbers; ++v) {
            const project::RunSeries series = sources.series.Series(c + project::kChannelCount * v);
            if (!series.hasData || !series.values || !series.times)
                continue;
            if (channel.values.empty()) {
                channel.times = Points(series.times, series.count);
                channel.timeHeading = series.xTitle;
            }
            channel.values.push_back({Points(series.values, series.count), series.name,
                                      sources.units.Unit(*record, c, v).decimals});
        }
        channel.exported = !channel.values.empty();
        // Untimed runs count samples; timed ones stamp the period's multiples.
        const int32_t period = data->perChannelRates ? record->channelPeriod[c] : record->period;
        channel.timeDecimals = record->mode == project::kRunTimed ? csv::TimeDecimals(period) : 0;
        if (channel.exported && data->timeChannel < 0)
            data->timeChannel = c;
    }
    return data;
}

CsvSnapshot TakeCsvSnapshot(const CsvSources& sources, const std::string& chosenPath, bool serviceMode)
{
    CsvSnapshot snapshot;
    // The current set's newest samples must be in the working copy before any other set is
    // brought back over them, or held by it in memory when it could not take them.
    if (sources.store.SaveProject() != project::ProjectResult::Ok && !sources.store.HoldsRun()) {
        snapshot.result = CsvResult::SaveFailed;
        return snapshot;
    }
    const ExportName name = SplitExportName(chosenPath);
    for (int k = 0; k < project::kRunCount; ++k) {
        if (sources.block.records[k].inUse != 0)
            snapshot.files.push_back({k, NumberedPath(name.folder, name.stem, DataSetSuffix(k), ".csv"),
                                      serviceMode ? CsvResult::Suppressed : CsvResult::Pending, nullptr});
    }
    DataSetWalk walk(sources.block, sources.store);
    for (CsvFileJob& file : snapshot.files) {
        if (file.result != CsvResult::Pending)
            continue;
        if (walk.Visit(file.dataSet) != project::ProjectResult::Ok) {
            file.result = CsvResult::LoadFailed;
            continue;
        }
        file.data = CurrentCsvDataSet(sources, file.dataSet);
        file.data->OwnData();
    }
    snapshot.restore = walk.Finish();
    return snapshot;
}

std::vector<CsvFileResult> WriteCsvFiles(CsvSnapshot& snapshot, const CsvProgressFn& progress,
                                         const std::atomic<bool>& cancel)
{
    std::vector<CsvFileResult> results;
    const int files = int(snapshot.files.size());
    for (int i = 0; i < files; ++i) {
        CsvFileJob& file = snapshot.files[size_t(i)];
        if (file.result == CsvResult::Pending && file.data) {
            CsvProgress at{i, files, 0, BuildCsvLayout(*file.data).rowCount};
            if (progress)
                progress(at);
            const auto onRows = [&](int64_t rows) {
                at.rowsDone = rows;
                if (progress)
                    progress(at);
            };
            file.result = cancel.load(std::memory_order_acquire) ? CsvResult::Cancelled
                                                                  : WriteCsvFile(*file.data, file.path, onRows, &cancel);
            file.data.reset();
        }
        results.push_back({file.dataSet, file.path, file.result});
    }
    return results;
}

}  // namespace exporting
