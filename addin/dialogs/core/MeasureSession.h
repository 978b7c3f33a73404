#pragma once

#include "addin/dialogs/core/DialogDevice.h"
#include "addin/dialogs/core/DisplayTexts.h"
#include "addin/dialogs/core/MeasureRules.h"
#include "addin/dialogs/core/SampleIntake.h"
#include "addin/dialogs/core/SheetRows.h"

#include <cstdint>
#include <string>

// A measurement of the add-in's measurement window, from the start button to the stop: the
// checks, the sheet's headings, the start on the device layer, and on every tick of the window's
// timer the samples taken from the layer and written into the sheet as new rows.
namespace addin::dialogs {

// Where the rows go (the active worksheet through the host).
class SheetWriter {
public:
    virtual ~SheetWriter() = default;
    // Empties rows 0..kClearedLastRow, columns 0..kClearedLastColumn.
    virtual void ClearMeasurementArea() = 0;
    virtual void WriteText(int32_t row, int32_t column, const std::u16string& text) = 0;
    virtual void WriteRows(const RowBlock& block) = 0;
};

struct MeasureSettings {
    int32_t rate = kDefaultRate;
    int32_t duration = kDefaultDuration;
    uint32_t mask = 0;
};

enum class StartOutcome {
    Started,
    Incomplete,      // nothing happened
    RateOutOfRange,  // nothing happened; the user is to be told
    NoMemory,        // nothing was started
    Refused,         // the device layer did not start; the headings are written
};

enum class TickOutcome {
    Idle,       // nothing runs, nothing changed
    Measuring,  // samples were taken
    Finished,   // the measurement reached its length (or the logger ended it) and is stopped
    Redetect,   // sensors were plugged or unplugged: a running measurement is stopped
    Cancel,     // the logger is gone
};

class MeasureSession {
public:
    // Floats read from a channel in one call of the layer.
    static constexpr int32_t kReadFloats = 4096;

    MeasureSession(DialogDevice& device, SheetWriter& sheet, int32_t storeFloats = kStoreFloats,
                   int64_t sheetRows = 1048576);

    StartOutcome Start(const MeasureSettings& settings, const device::SensorTableEntry* table);
    // One tick of the window's timer: the link first, then the samples.
    TickOutcome Tick();
    // Ends a running measurement: what arrived since the last tick is taken and written first.
    void Stop();

    bool Running() const { return running_; }
    uint32_t Mask() const { return plan_.mask; }
    // The newest sample's time, cut to whole seconds.
    int64_t ElapsedSeconds() const { return elapsed_; }
    const ChannelTexts& Newest(int channel) const { return newest_[channel]; }
    int64_t Samples(int channel) const { return intake_.Samples(channel); }

private:
    // Takes what the layer has; true when anything came.
    bool Collect();
    // Writes the rows every chosen channel has (all of them when `all`).
    void WriteNewRows(bool all);
    bool Complete() const;

    DialogDevice& device_;
    SheetWriter& sheet_;
    const int64_t sheetRows_;
    SampleIntake intake_;
    device::SensorTableEntry table_[device::kTableChannels] = {};
    ColumnPlan plan_;
    bool running_ = false;
    int64_t written_ = 0;
    int64_t elapsed_ = 0;
    ChannelTexts newest_[device::kTableChannels];
};

}  // namespace addin::dialogs
