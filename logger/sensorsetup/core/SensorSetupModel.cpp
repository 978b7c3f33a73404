#include "logger/sensorsetup/core/SensorSetupModel.h"

#include <algorithm>

#include "devicelink/catalogue/SensorValueFormat.h"
#include "devicelink/sensor/SensorMemoryLayout.h"
#include "logger/monitor/core/MonitorTextRules.h"
#include "platform/LittleEndian.h"
#include "platform/Text.h"

namespace sensorsetup {

namespace {

const std::string kNoText;

bool Contains(const std::vector<sensorsetup::ListEntry>& entries, int32_t value)
{
    return std::any_of(entries.begin(), entries.end(), [&](const sensorsetup::ListEntry& e) { return e.value == value; });
}

ChannelSettings SettingsOf(const devicelink::ChannelState& state)
{
    ChannelSettings s;
    s.triggerKind = state.triggerKind;
    s.sensorMode = state.sensorTypeCode;
    s.output = state.selectedOutput;
    std::copy(std::begin(state.unitChoice), std::end(state.unitChoice), std::begin(s.range));
    s.zeroOffset = state.zeroOffset;
    s.gain = state.gain;
    s.triggerLevel = state.triggerLevel;
    return s;
}

float& EditValue(ChannelSettings& settings, int edit)
{
    switch (SetupEdit(edit)) {
    case SetupEdit::ZeroOffset:
        return settings.zeroOffset;
    case SetupEdit::Factor:
        return settings.gain;
    case SetupEdit::Level:
        break;
    }
    return settings.triggerLevel;
}

// A typed text counts only when it differs from the value shown: a value read back from its
// six-digit text would lose the digits beyond.
bool ReadTyped(const std::string& text, float shown, float& value)
{
    if (text == sensorsetup::FormatEditNumber(shown)) {
        value = shown;
        return true;
    }
    return sensorsetup::ParseEditNumber(text, value);
}

}  // namespace

SensorSetupModel::SensorSetupModel(SetupSensor& sensor, SetupMode mode) : mode_(mode)
{
    for (int c = 0; c < devicelink::kChannelStateCount; ++c) {
        SetupChannel& channel = channels_[size_t(c)];
        channel.connected = sensor.IsConnected(c);
        channel.state = sensor.State(c);
        if (const devicelink::SensorAccessRecord* record = sensor.FindRecord(c)) {
            channel.record = *record;
            channel.hasRecord = true;
        }
        channel.canZero = sensor.CanSetZero(c);
        settings_[size_t(c)] = SettingsOf(channel.state);
        ResetEditTexts(c);
        if (channel.connected && current_ < 0)
            current_ = c;
    }
}

void SensorSetupModel::SetPoints(const monitor::CalibrationPoints& points, SetupSensor& sensor)
{
    store_.Load(points, sensor);
    for (int c = 0; c < devicelink::kChannelStateCount; ++c) {
        const ChannelPoints& p = store_.Points(c);
        for (int row = 0; row < monitor::kCalibrationPointsMax; ++row)
            referenceTexts_[size_t(c)][size_t(row)] = row < p.count ? sensorsetup::FormatEditNumber(p.reference[row]) : "";
    }
}

bool SensorSetupModel::ValidChannel(int channel) const
{
    return channel >= 0 && channel < devicelink::kChannelStateCount;
}

bool SensorSetupModel::Select(int channel)
{
    if (!ValidChannel(channel) || !channels_[size_t(channel)].connected)
        return false;
    if (channel != current_) {
        current_ = channel;
        freshReading_ = false;
        failures_ = 0;
    }
    return true;
}

const SetupChannel& SensorSetupModel::Channel(int channel) const
{
    return channels_[size_t(ValidChannel(channel) ? channel : 0)];
}

const ChannelSettings& SensorSetupModel::Settings(int channel) const
{
    return settings_[size_t(ValidChannel(channel) ? channel : 0)];
}

SetupChannel& SensorSetupModel::CurrentChannel()
{
    return channels_[size_t(ValidChannel(current_) ? current_ : 0)];
}

ChannelSettings& SensorSetupModel::CurrentSettings()
{
    return settings_[size_t(ValidChannel(current_) ? current_ : 0)];
}

std::vector<sensorsetup::ListEntry> SensorSetupModel::ModeEntries() const
{
    if (current_ < 0)
        return {};
    return sensorsetup::SensorModeEntries(Channel(current_).state.conversionKind);
}

std::vector<sensorsetup::ListEntry> SensorSetupModel::OutputEntries() const
{
    if (current_ < 0)
        return {};
    // The list follows the mode chosen here (the three-axis sensor's names by display form).
    devicelink::ChannelState state = Channel(current_).state;
    state.sensorTypeCode = Settings(current_).sensorMode;
    return sensorsetup::OutputEntries(state);
}

std::vector<sensorsetup::ListEntry> SensorSetupModel::RangeEntries() const
{
    if (current_ < 0 || !Channel(current_).hasRecord)
        return {};
    return sensorsetup::RangeEntries(Channel(current_).record, Settings(current_).output);
}

int32_t SensorSetupModel::ModeValue() const
{
    return current_ < 0 ? -1 : Settings(current_).sensorMode;
}

int32_t SensorSetupModel::OutputValue() const
{
    return current_ < 0 ? -1 : Settings(current_).output;
}

int32_t SensorSetupModel::RangeValue() const
{
    if (current_ < 0)
        return -1;
    const ChannelSettings& s = Settings(current_);
    return s.output >= 0 && s.output < devicelink::kMaxOutputs ? s.range[s.output] : -1;
}

int32_t SensorSetupModel::TriggerValue() const
{
    return current_ < 0 ? -1 : Settings(current_).triggerKind;
}

bool SensorSetupModel::LevelEnabled() const
{
    return current_ >= 0 && sensorsetup::LevelApplies(Settings(current_).triggerKind);
}

void SensorSetupModel::ChooseTrigger(int32_t kind)
{
    if (current_ >= 0 && kind >= devicelink::kTriggerNone && kind < sensorsetup::kTriggerKindCount)
        CurrentSettings().triggerKind = kind;
}

void SensorSetupModel::ChooseMode(int32_t mode)
{
    if (current_ < 0 || !Contains(ModeEntries(), mode))
        return;
    ChannelSettings& s = CurrentSettings();
    s.sensorMode = mode;
    if (CurrentChannel().state.conversionKind == devicelink::kConvertChannelChangeEvents && s.output >= 0 && s.output < devicelink::kMaxOutputs)
        s.range[s.output] = sensorsetup::PhotogateRangeForMode(mode);
    // The output must be one the (new) list offers.
    const std::vector<sensorsetup::ListEntry> outputs = OutputEntries();
    if (!outputs.empty() && !Contains(outputs, s.output))
        s.output = 0;
}

void SensorSetupModel::ChooseOutput(int32_t output)
{
    if (current_ >= 0 && output >= 0 && output < devicelink::kMaxOutputs && Contains(OutputEntries(), output))
        CurrentSettings().output = output;
}

void SensorSetupModel::ChooseRange(int32_t range)
{
    if (current_ < 0 || !Contains(RangeEntries(), range))
        return;
    ChannelSettings& s = CurrentSettings();
    if (s.output < 0 || s.output >= devicelink::kMaxOutputs)
        return;
    s.range[s.output] = range;
    const int32_t kind = CurrentChannel().state.conversionKind;
    if (kind == devicelink::kConvertGateEvents)
        s.sensorMode = sensorsetup::GateModeForRange(range, s.sensorMode);
    else if (kind == devicelink::kConvertChannelChangeEvents)
        s.sensorMode = sensorsetup::PhotogateModeForRange(range);
}

const std::string& SensorSetupModel::EditText(SetupEdit edit) const
{
    if (current_ < 0)
        return kNoText;
    return editTexts_[size_t(current_)][size_t(edit)];
}

void SensorSetupModel::SetEditText(SetupEdit edit, std::string text)
{
    if (current_ >= 0)
        editTexts_[size_t(current_)][size_t(edit)] = std::move(text);
}

void SensorSetupModel::ResetEditTexts(int channel)
{
    ChannelSettings& s = settings_[size_t(channel)];
    for (int e = 0; e < kSetupEditCount; ++e)
        editTexts_[size_t(channel)][size_t(e)] = sensorsetup::FormatEditNumber(EditValue(s, e));
}

std::optional<BadEntry> SensorSetupModel::ApplyEdits()
{
    for (int c = 0; c < devicelink::kChannelStateCount; ++c) {
        if (!channels_[size_t(c)].connected)
            continue;
        ChannelSettings read = settings_[size_t(c)];
        for (int e = 0; e < kSetupEditCount; ++e) {
            if (!ReadTyped(editTexts_[size_t(c)][size_t(e)], EditValue(settings_[size_t(c)], e), EditValue(read, e)))
                return BadEntry{c, e};
        }
        settings_[size_t(c)] = read;
    }
    return std::nullopt;
}

std::array<std::optional<ChannelSettings>, devicelink::kChannelStateCount> SensorSetupModel::SettingsToWrite() const
{
    std::array<std::optional<ChannelSettings>, devicelink::kChannelStateCount> out;
    for (int c = 0; c < devicelink::kChannelStateCount; ++c) {
        if (channels_[size_t(c)].connected)
            out[size_t(c)] = settings_[size_t(c)];
    }
    return out;
}

void SensorSetupModel::WriteSettings(
    SetupSensor& sensor, const std::array<std::optional<ChannelSettings>, devicelink::kChannelStateCount>& settings)
{
    for (int c = 0; c < devicelink::kChannelStateCount; ++c) {
        const std::optional<ChannelSettings>& s = settings[size_t(c)];
        if (!s || !sensor.IsConnected(c))
            continue;
        devicelink::ChannelState& state = sensor.State(c);
        state.triggerKind = s->triggerKind;
        state.sensorTypeCode = s->sensorMode;
        state.selectedOutput = s->output;
        state.zeroOffset = s->zeroOffset;
        state.gain = s->gain;
        state.triggerLevel = s->triggerLevel;
        std::copy(std::begin(s->range), std::end(s->range), std::begin(state.unitChoice));
    }
}

int SensorSetupModel::RowCount() const
{
    return current_ < 0 ? 0 : store_.Points(current_).count;
}

bool SensorSetupModel::RowsEnabled() const
{
    return current_ >= 0 && !zeroed_[size_t(current_)];
}

bool SensorSetupModel::ClearShown() const
{
    return mode_ == SetupMode::Calibration && RowCount() > 0;
}

bool SensorSetupModel::ZeroShown() const
{
    return current_ >= 0 && Channel(current_).canZero;
}

bool SensorSetupModel::Calibrated() const
{
    if (current_ < 0)
        return false;
    const devicelink::ChannelState& state = Channel(current_).state;
    if (state.calibrationMode == 1)
        return platform::ReadLE32(state.sensorMemory, devicelink::memory::kSecondKind) != 0;
    for (int i = 0; i < devicelink::kCalibrationOriginPoints; ++i) {
        if (state.originRaw[i] != 0 || state.originReference[i] != 0.0f)
            return true;
    }
    return false;
}

const std::string& SensorSetupModel::ReferenceText(int row) const
{
    if (current_ < 0 || row < 0 || row >= monitor::kCalibrationPointsMax)
        return kNoText;
    return referenceTexts_[size_t(current_)][size_t(row)];
}

void SensorSetupModel::SetReferenceText(int row, std::string text)
{
    if (current_ >= 0 && row >= 0 && row < RowCount())
        referenceTexts_[size_t(current_)][size_t(row)] = std::move(text);
}

std::string SensorSetupModel::MeasuredText(int row) const
{
    if (current_ < 0 || row < 0 || row >= RowCount())
        return {};
    return sensorsetup::FormatEditNumber(store_.Points(current_).measured[row]);
}

bool SensorSetupModel::CaptureEnabled() const
{
    return mode_ == SetupMode::Calibration && RowsEnabled() && freshReading_;
}

bool SensorSetupModel::Capture(int row)
{
    if (!CaptureEnabled() || row < 0 || row >= RowCount())
        return false;
    store_.Capture(current_, row, live_[size_t(current_)]);
    return true;
}

LiveState SensorSetupModel::Live() const
{
    if (failures_ >= kFailuresShown)
        return LiveState::Failing;
    return current_ >= 0 && liveShown_[size_t(current_)] ? LiveState::Reading : LiveState::Waiting;
}

std::u16string SensorSetupModel::LiveText() const
{
    if (current_ < 0 || !liveShown_[size_t(current_)])
        return {};
    const SetupChannel& channel = Channel(current_);
    const devicelink::SensorAccessRecord* record = channel.hasRecord ? &channel.record : nullptr;
    // The unit the first output is shown in: its range selection picks the unit's number.
    const int32_t unit = record ? monitor::OutputUnitEntry(*record, channel.state, 0) : -1;
    std::string value;
    devicelink::FormatSensorValue(live_[size_t(current_)].value, value, record, unit >= 0 ? unit : -1);
    std::u16string text = platform::AsciiToUtf16(value);
    if (unit >= 0) {
        const std::u16string_view display = platform::FieldView(record->units[unit].unit.display);
        if (!display.empty())
            text += u" " + std::u16string(display);
    }
    return text;
}

void SensorSetupModel::OnSample(const LiveSample& sample)
{
    if (sample.channel != current_ || current_ < 0)
        return;
    if (!sample.read) {
        // The previous value stays; only a run of failures is told.
        ++failures_;
        return;
    }
    failures_ = 0;
    live_[size_t(current_)] = sample.reading;
    liveShown_[size_t(current_)] = true;
    freshReading_ = true;
}

void SensorSetupModel::OnJobOutcome(const JobOutcome& outcome)
{
    if (!ValidChannel(outcome.channel) || !outcome.state)
        return;
    channels_[size_t(outcome.channel)].state = *outcome.state;
}

void SensorSetupModel::MarkZeroed(int channel)
{
    if (!ValidChannel(channel))
        return;
    zeroed_[size_t(channel)] = true;
    // OK writes the offset back: it must be the one the zero set, not the one the dialog opened with.
    ChannelSettings& s = settings_[size_t(channel)];
    s.zeroOffset = channels_[size_t(channel)].state.zeroOffset;
    editTexts_[size_t(channel)][size_t(SetupEdit::ZeroOffset)] = sensorsetup::FormatEditNumber(s.zeroOffset);
}

std::optional<BadEntry> SensorSetupModel::ApplyReferences()
{
    for (int c = 0; c < devicelink::kChannelStateCount; ++c) {
        const ChannelPoints& p = store_.Points(c);
        for (int row = 0; row < p.count; ++row) {
            float value = 0.0f;
            if (!ReadTyped(referenceTexts_[size_t(c)][size_t(row)], p.reference[row], value))
                return BadEntry{c, row};
            store_.SetReference(c, row, value);
        }
    }
    return std::nullopt;
}

CalibrationPlan SensorSetupModel::PlanCalibration() const
{
    CalibrationPlan plan;
    for (int c = 0; c < devicelink::kChannelStateCount; ++c) {
        if (!channels_[size_t(c)].connected || zeroed_[size_t(c)] || store_.Points(c).count == 0)
            continue;
        if (c == current_ || store_.Changed(c))
            plan.channels.emplace_back(c, store_.Points(c));
    }
    return plan;
}

}  // namespace sensorsetup
