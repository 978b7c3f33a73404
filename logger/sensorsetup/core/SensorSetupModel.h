#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "devicelink/catalogue/SensorCatalogue.h"
#include "devicelink/sensor/ChannelState.h"
#include "logger/monitor/core/MonitorSetup.h"
#include "logger/sensorsetup/core/CalibrationStore.h"
#include "logger/sensorsetup/core/SensorSetupRules.h"
#include "logger/sensorsetup/core/SetupSensor.h"
#include "logger/sensorsetup/core/SetupSensorWorker.h"

// The set-up and calibration dialog without its widgets. It works on copies: of each channel as
// it was when the dialog opened (refreshed by the jobs that change one), and of the settings the
// user edits, one per channel, so that switching channels loses nothing; the sensor is written
// only on OK, by the dialog's worker.
namespace sensorsetup {

enum class SetupMode { ChannelSetup = 0, Calibration = 1 };
enum class SetupEdit { ZeroOffset = 0, Factor = 1, Level = 2 };
inline constexpr int kSetupEditCount = 3;

// A channel as the dialog knows it.
struct SetupChannel {
    bool connected = false;
    bool canZero = false;
    bool hasRecord = false;
    devicelink::ChannelState state{};
    devicelink::SensorAccessRecord record{};
};

// What mode 0 writes back into a channel on OK.
struct ChannelSettings {
    int32_t triggerKind = devicelink::kTriggerNone;
    int32_t sensorMode = 0;
    int32_t output = 0;
    int32_t range[devicelink::kMaxOutputs] = {};
    float zeroOffset = 0.0f;
    float gain = 1.0f;
    float triggerLevel = 0.0f;
};

// The channel and the edit (or calibration row) whose text is no number.
struct BadEntry {
    int channel = -1;
    int field = 0;  // a SetupEdit in mode 0, a row in mode 1
};

// What OK in mode 1 stores, channel by channel.
struct CalibrationPlan {
    std::vector<std::pair<int, ChannelPoints>> channels;
};

enum class LiveState {
    Waiting,  // no reading of the channel since it was chosen
    Reading,
    Failing,  // several readings in a row came to nothing
};

class SensorSetupModel {
public:
    static constexpr int kFailuresShown = 3;

    // Copies every channel; reads the sensor, so before the worker starts.
    SensorSetupModel(SetupSensor& sensor, SetupMode mode);

    // The calibration points the monitor gathered (mode 1).
    void SetPoints(const monitor::CalibrationPoints& points, SetupSensor& sensor);

    // The mode is chosen before the dialog shows.
    void SetMode(SetupMode mode) { mode_ = mode; }
    SetupMode Mode() const { return mode_; }
    // The channel shown; -1 when none is connected.
    int Current() const { return current_; }
    // Only connected channels can be chosen.
    bool Select(int channel);
    const SetupChannel& Channel(int channel) const;
    const ChannelSettings& Settings(int channel) const;

    // Mode 0: the lists, each with the value its selection stands for.
    std::vector<sensorsetup::ListEntry> ModeEntries() const;
    std::vector<sensorsetup::ListEntry> OutputEntries() const;
    std::vector<sensorsetup::ListEntry> RangeEntries() const;
    int32_t ModeValue() const;
    int32_t OutputValue() const;
    int32_t RangeValue() const;
    int32_t TriggerValue() const;
    bool LevelEnabled() const;
    void ChooseTrigger(int32_t kind);
    void ChooseMode(int32_t mode);
    void ChooseOutput(int32_t output);
    void ChooseRange(int32_t range);

    // Mode 0: the float edits as typed; kept per channel until OK.
    const std::string& EditText(SetupEdit edit) const;
    void SetEditText(SetupEdit edit, std::string text);
    // Reads every connected channel's edits into its settings; the first that is no number.
    std::optional<BadEntry> ApplyEdits();
    // The settings of every connected channel, for WriteSettings.
    std::array<std::optional<ChannelSettings>, devicelink::kChannelStateCount> SettingsToWrite() const;
    static void WriteSettings(SetupSensor& sensor,
                              const std::array<std::optional<ChannelSettings>, devicelink::kChannelStateCount>& settings);

    // Mode 1: the rows of the current channel.
    int RowCount() const;
    bool RowsEnabled() const;
    bool ClearShown() const;
    bool ZeroShown() const;
    bool Calibrated() const;
    const std::string& ReferenceText(int row) const;
    void SetReferenceText(int row, std::string text);
    std::string MeasuredText(int row) const;
    // Only a reading that came since the channel was chosen can be captured.
    bool CaptureEnabled() const;
    bool Capture(int row);
    LiveState Live() const;
    // The live value with its unit (the unit its output is shown in).
    std::u16string LiveText() const;
    void OnSample(const LiveSample& sample);

    // A job's copy of the channel it changed.
    void OnJobOutcome(const JobOutcome& outcome);
    // The zero is set: the channel stores no points now (mode 1), and its offset is what the
    // zero made of it (mode 0).
    void MarkZeroed(int channel);

    // Mode 1 OK: reads the reference texts (the first that is no number comes back), then what to
    // store: the current channel, and every other one whose points changed; channels zeroed or
    // without points store nothing.
    std::optional<BadEntry> ApplyReferences();
    CalibrationPlan PlanCalibration() const;
    const CalibrationStore& Store() const { return store_; }

private:
    bool ValidChannel(int channel) const;
    SetupChannel& CurrentChannel();
    ChannelSettings& CurrentSettings();
    // Where the edits of a channel start: its values as the dialog shows numbers.
    void ResetEditTexts(int channel);

    SetupMode mode_;
    int current_ = -1;
    std::array<SetupChannel, devicelink::kChannelStateCount> channels_;
    std::array<ChannelSettings, devicelink::kChannelStateCount> settings_;
    std::array<std::array<std::string, kSetupEditCount>, devicelink::kChannelStateCount> editTexts_;
    CalibrationStore store_;
    std::array<std::array<std::string, monitor::kCalibrationPointsMax>, devicelink::kChannelStateCount> referenceTexts_;
    std::array<bool, devicelink::kChannelStateCount> zeroed_ = {};
    std::array<LiveReading, devicelink::kChannelStateCount> live_ = {};
    std::array<bool, devicelink::kChannelStateCount> liveShown_ = {};
    bool freshReading_ = false;
    int failures_ = 0;
};

}  // namespace sensorsetup
