#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "devicelink/catalogue/SensorCatalogue.h"
#include "devicelink/sensor/ChannelState.h"

// The rules of the set-up, calibration and function generator dialogs that need no widget: what
// their lists offer, how one choice moves another, how numbers are shown and read, and the
// generator's limits. Channel states and records may come from a project file or an adapter's
// memory: every index read from them is bounded here.
namespace sensorsetup {

// An entry of a drop-down list: the value it stands for (a real index into the channel's tables,
// which need not be its position in the list) and its text, a language text when textId is set.
struct ListEntry {
    int32_t value = 0;
    int textId = 0;
    std::u16string text;
};

// One text a devicelink::TriggerKind, in its order.
inline constexpr int kTriggerKindCount = devicelink::kTriggerKindCount;
inline constexpr int kTriggerKindTexts[kTriggerKindCount] = {2242, 2224, 2225, 2226, 2227, 2228};
std::vector<ListEntry> TriggerEntries();
// The level applies to the level triggers only (rising and falling); gate triggers have none.
bool LevelApplies(int32_t triggerKind);

// The sensor's modes by conversion kind; none for kinds without modes (the list is disabled).
std::vector<ListEntry> SensorModeEntries(int32_t conversionKind);
// The channel's outputs by name; for the three-axis sensor the names of its display form.
std::vector<ListEntry> OutputEntries(const devicelink::ChannelState& state);
// The units an output can be shown in, one entry per unit choice the record gives it; the value
// is the choice's index (0..3), which becomes the output's range selection.
std::vector<ListEntry> RangeEntries(const devicelink::SensorAccessRecord& record, int32_t output);
// "low<unit> to high<unit>" with the unit's significant digits.
std::u16string RangeText(const devicelink::SensorUnitEntry& unit);

// What a change of one list does to another.
inline constexpr int32_t kPhotogateCounterMode = 4;
inline constexpr int32_t kPhotogateAnalogMode = 5;
// Photogate (devicelink::kConvertChannelChangeEvents): the counter mode shows counts (range 1), the analogue mode volts
// (range 2), every timing mode times (range 0); and back from the range to the mode.
int32_t PhotogateRangeForMode(int32_t mode);
int32_t PhotogateModeForRange(int32_t range);
// Gate events (devicelink::kConvertGateEvents): a range other than the first needs a mode other than the plain value.
int32_t GateModeForRange(int32_t range, int32_t mode);

// The float edits: six significant digits, the C locale ("0.5", "12", "1.23457e+06").
std::string FormatEditNumber(float value);
// A number in the C locale that is finite and fits a float ("nan", "inf", "1e40" and
// anything that is no number give false).
bool ParseEditNumber(std::string_view text, float& value);

// A raw word of a single reading in the order the conversion reads it: 32-bit and 16-bit words
// as the logger sent them for memory-chip sensors, byte-swapped for the others; 16-bit words
// sign-extended only for sensors that deliver signed data.
int32_t HostOrderRaw(int32_t word, const devicelink::SensorAccessRecord& record, int32_t family);

// The function generator.
inline constexpr float kMinFrequency = 1.0f;
inline constexpr float kMaxFrequency = 9999.0f;
inline constexpr int32_t kMinAmplitude = 1;
inline constexpr int32_t kMaxAmplitude = 100;
enum class GeneratorInput { Valid, BadFrequency, BadAmplitude };
// Frequency 1..9999 Hz (a number), amplitude 1..100 (a whole number).
GeneratorInput ParseGeneratorInput(std::string_view frequencyText, std::string_view amplitudeText, float& frequency,
                                   int32_t& amplitude);

}  // namespace sensorsetup
