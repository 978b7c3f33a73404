#include "logger/export/core/CsvExportJob.h"

#include <utility>

namespace exporting {

CsvExportJob::~CsvExportJob()
{
    Wait();
}

bool CsvExportJob::Start(CsvSnapshot snapshot, CsvProgressFn progress)
{
    if (!Done())
        return false;
    worker_.Join();
    snapshot_ = std::move(snapshot);
    progress_ = std::move(progress);
    results_.clear();
    cancel_.store(false);
    files_.store(int(snapshot_.files.size()));
    file_.store(0);
    rowsDone_.store(0);
    rows_.store(0);
    finished_.Reset();
    const bool started = worker_.Start([this](const std::atomic<bool>&) {
        results_ = WriteCsvFiles(
            snapshot_,
            [this](const CsvProgress& at) {
                file_.store(at.file);
                rows_.store(at.rows);
                rowsDone_.store(at.rowsDone);
                if (progress_)
                    progress_(at);
            },
            cancel_);
        finished_.Set();
    });
    if (!started)
        finished_.Set();
    return started;
}

void CsvExportJob::Wait()
{
    // The worker's own stop flag is not the cancel flag: waiting lets it finish its files.
    finished_.Wait();
    worker_.Join();
}

CsvProgress CsvExportJob::Progress() const
{
    return {file_.load(), files_.load(), rowsDone_.load(), rows_.load()};
}

std::vector<CsvFileResult> CsvExportJob::Results()
{
    if (!Done())
        return {};
    worker_.Join();
    return results_;
}

}  // namespace exporting
