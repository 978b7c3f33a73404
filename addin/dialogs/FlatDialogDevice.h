#pragma once

#include "addin/dialogs/core/DialogDevice.h"
#include "addin/dialogs/core/MeasureSession.h"

// The windows' device and sheet: the flat device layer and the host's active worksheet.
namespace addin::dialogs {

class FlatDialogDevice : public DialogDevice {
public:
    int IsLinked() override;
    int LastError() override;
    int DetectSensors(device::SensorTableEntry* table) override;
    int ReadSnapshot(int channel, float* values, int quantities) override;
    void AbortDetection() override;
    void ClearDetectionAbort() override;
    int StartSampling(uint32_t mask, int64_t periodUs, int64_t durationMs, const int32_t* periodsUs) override;
    int StopSampling() override;
    int ReadBlock(int channel, float* values, float* times, int capacity) override;
    bool Sampling() override;
};

// Host calls, so the host thread only.
class HostSheetWriter : public SheetWriter {
public:
    void ClearMeasurementArea() override;
    void WriteText(int32_t row, int32_t column, const std::u16string& text) override;
    // One set-cell call with an array of the block's size.
    void WriteRows(const RowBlock& block) override;
};

}  // namespace addin::dialogs
