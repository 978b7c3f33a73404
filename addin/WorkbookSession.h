#pragma once

#include "addin/device/SensorTable.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The state behind the workbook functions (PvExcelInit ... PVAnalyzeData): the open and
// reading flags, the sensor table of the last detection, where the samples go, the pacing
// counters and the last analysis. Everything runs on the host's thread.
namespace addin {

inline constexpr int kReadCapacity = 1048576;

class WorkbookSession {
public:
    int Init();
    int Exit();
    int ReadStart(int32_t mask, int32_t periodMs, int32_t durationS, int32_t row, int32_t column);
    int ReadData();
    int ReadStop();
    int SensorDetection(int32_t pollMs, int32_t force);
    int Snapshot(int32_t channel, int32_t row, int32_t column);
    int SnapshotToCell();
    int MeasureDialog();
    int SnapshotDialog();
    int AnalyzeDialog();
    int AnalyzeData(int32_t first, int32_t last, int32_t n, int32_t kind, int32_t column, const double* x,
                    const double* y, char* out);

    // At the host's close: a running read stopped, the device closed if it is open.
    void Close();
    bool IsOpen() const { return open_ == 1; }
    const device::SensorTableEntry& Entry(int channel) const { return table_[channel]; }
    const std::vector<std::u16string>& AnalysisLines() const { return analysisLines_; }

private:
    void CloseSnapshotDialogFirst();
    // Writes `count` numbers down one column from `row`, in as few host calls as the host takes.
    static void WriteColumn(int32_t row, int32_t column, const float* values, int count);

    int32_t open_ = 0;
    int32_t reading_ = 0;
    int32_t detected_ = 0;
    device::SensorTableEntry table_[device::kTableChannels] = {};
    int32_t startRow_ = 0;
    int32_t startColumn_ = 0;
    int64_t written_[device::kTableChannels] = {};
    std::unique_ptr<float[]> values_;
    std::unique_ptr<float[]> times_;
    int32_t detectionCounter_ = 0;
    int32_t headerCounter_ = 0;
    int32_t lineCounter_ = 0;
    std::vector<std::u16string> analysisLines_;
};

WorkbookSession& Session();

}  // namespace addin
