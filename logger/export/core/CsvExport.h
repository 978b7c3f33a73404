#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "logger/project/ExperimentRecords.h"

// CSV export: one comma-separated file per data set in use, for a spreadsheet. Three head lines
// (channel letters and titles, the date, column names), then one line per sample: per channel
// its value columns, with sample-number and time columns in front (one pair for a common rate,
// one pair per channel with per-channel rates, each channel then closed by an empty column).
//
// Formatting works on a CsvDataSet, everything one file needs copied out of the project and the
// measurement chart, so that it can run on a worker while the program goes on.
namespace exporting {

// One value column: the data of series c + 4v.
struct CsvValueSeries {
    std::span<const float> values;
    std::u16string name;
    int digits = 2;   // significant digits of the output's unit (see csv::AppendValue)
};

// The columns of one channel that took part in the data set with entries.
struct CsvChannel {
    bool exported = false;
    std::span<const float> times;   // the times of its first exported series
    std::u16string timeHeading;     // that series' X axis title
    int timeDecimals = 0;
    std::vector<CsvValueSeries> values;   // by value number, only those with data
};

struct CsvDataSet {
    int dataSet = 0;   // 0..3; the file is named stem_(dataSet + 1).csv
    std::u16string projectTitle;
    std::u16string runTitle;
    int32_t year = 0, month = 0, day = 0;
    bool perChannelRates = false;
    std::u16string sampleHeading;   // the sample-number column's heading
    // With a common rate: the channel whose times give the one time column, -1 for none.
    int timeChannel = -1;
    std::array<CsvChannel, project::kChannelCount> channels;
    // The arrays the spans point into, when the data set owns copies of them.
    std::vector<std::vector<float>> storage;

    // Copies what the spans point at into `storage`, so that the data set stands alone.
    void OwnData();
};

// The columns of a file. With per-channel rates and every channel carrying four outputs there are
// 4 x (sample number + time + 4 values + empty column) = 28.
inline constexpr int kMaxCsvColumns = project::kChannelCount * (2 + 4 + 1);

enum class CsvColumnKind : uint8_t { SampleNumber, Time, Value, Spacer };

struct CsvColumn {
    CsvColumnKind kind = CsvColumnKind::Spacer;
    const float* data = nullptr;
    int32_t count = 0;
    int format = 0;   // decimals of a time, digits of a value
};

struct CsvLayout {
    std::array<CsvColumn, kMaxCsvColumns> columns{};
    int columnCount = 0;
    int64_t rowCount = 0;    // the longest column
    std::string head;        // the three head lines, encoded
};
CsvLayout BuildCsvLayout(const CsvDataSet& data);

enum class CsvResult : int32_t {
    Written = 0,
    LoadFailed = 1,    // the data set's samples could not be read back; no file was written
    OpenFailed = 2,    // the file could not be created; an older file of that name is kept
    WriteFailed = 3,   // writing failed (a full disk); an older file of that name is kept
    Cancelled = 4,     // not written: the export was cancelled; an older file is kept
    Suppressed = 5,    // not written: the program runs in service mode
    SaveFailed = 6,    // the working project could not be saved first; nothing was exported
    Pending = 7,       // not written yet
};

struct CsvProgress {
    int file = 0;            // 0-based, of `files`
    int files = 0;
    int64_t rowsDone = 0;    // rows of this file written so far
    int64_t rows = 0;
};
using CsvProgressFn = std::function<void(const CsvProgress&)>;

// Receives the formatted text in chunks; false stops the formatting as a write failure.
using CsvSink = std::function<bool(const char* data, size_t size)>;

// Formats a whole file (byte-order mark, head, rows) into `sink`. `onRows` is called now and then
// with the rows done; formatting stops between chunks once `cancel` is set.
CsvResult FormatCsv(const CsvDataSet& data, const CsvSink& sink, const std::function<void(int64_t)>& onRows,
                    const std::atomic<bool>* cancel);

// Writes the file at `path` whole, or leaves what was there: it is made beside it and renamed
// over it only when complete.
CsvResult WriteCsvFile(const CsvDataSet& data, const std::string& path,
                       const std::function<void(int64_t)>& onRows = {}, const std::atomic<bool>* cancel = nullptr);

}  // namespace exporting
