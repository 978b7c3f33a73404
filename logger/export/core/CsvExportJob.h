#pragma once

#include <atomic>
#include <vector>

#include "logger/export/core/CsvSnapshot.h"
#include "platform/Event.h"
#include "platform/WorkerThread.h"

namespace exporting {

// Writes a snapshot's CSV files on a worker thread. The screen that started it shows a modal
// progress box from Progress() (or the callback, which runs on the worker), offers Cancel, and
// reads one result per file once Done(). Quitting waits for the files being written: Wait(), and
// the destructor, let the worker finish.
class CsvExportJob {
public:
    CsvExportJob() = default;
    ~CsvExportJob();
    CsvExportJob(const CsvExportJob&) = delete;
    CsvExportJob& operator=(const CsvExportJob&) = delete;

    // False when a job is still running or the thread cannot be made.
    bool Start(CsvSnapshot snapshot, CsvProgressFn progress = {});
    // No further file is begun, and the one being written is dropped; older files stay.
    void Cancel() { cancel_.store(true, std::memory_order_release); }
    bool Done() const { return !worker_.Running(); }
    void Wait();
    CsvProgress Progress() const;
    // Once Done(): one result per data set in use, in order.
    std::vector<CsvFileResult> Results();

private:
    platform::WorkerThread worker_;
    platform::Event finished_{platform::Event::Kind::ManualReset, true};
    std::atomic<bool> cancel_{false};
    CsvSnapshot snapshot_;
    CsvProgressFn progress_;
    std::vector<CsvFileResult> results_;
    std::atomic<int> file_{0};
    std::atomic<int> files_{0};
    std::atomic<int64_t> rowsDone_{0};
    std::atomic<int64_t> rows_{0};
};

}  // namespace exporting
