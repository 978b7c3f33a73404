#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "devicelink/catalogue/SensorCatalogue.h"
#include "devicelink/sensor/ChannelState.h"

// How the sensor monitor turns a channel's newest outputs into the texts of its panel: one value
// text per output, the single large value, and the title line of name and units, by conversion
// kind. Everything read from the channel state and its record is bounded here: both may carry
// values from a project file or a catalogue this program did not write.
namespace monitor {

namespace text {
inline constexpr int kNoSensorConnected = 2085;
inline constexpr int kNoPositionFix = 2158;
inline constexpr int kMonitorNotStarted = 2900;
}  // namespace text

inline constexpr int kPanelValues = 4;

// What a panel shows besides its name and picture.
struct PanelTexts {
    std::u16string values[kPanelValues];  // one per output, drawn one a line
    std::u16string single;                // drawn alone, large, when `lines` is 1
    std::u16string title;                 // name and units under the values
    int lines = 1;                        // 1: `single`; otherwise values[0 .. lines - 1]
};

enum class ValueRule {
    Unchanged,
    BlankFourth,  // outputs beyond the third stay empty
    Magnitude,    // the three-axis sensor: a fourth line with the vector's length (display form 0)
    SwapFirstTwo, // the colour sensor shows its second output first
    Position,     // the GPS receiver: degrees and metres, or "no fix"
    NotAvailable, // the bare cable delivers nothing to show
};

enum class TitleUnit : uint8_t { Selected, Output0, Output1, Output2 };

// One row of the rule table. Patterns take the sensor's name as %1 and the units as %2...
struct KindRule {
    int32_t kind;  // a devicelink::ConversionKind; -1: every kind without a row of its own
    ValueRule values;
    std::u16string_view title;
    // Used instead of `title` when the selected output's unit is not its first (the force line and the polynomial).
    std::u16string_view titleOtherUnit;
    TitleUnit units[3];
    int unitCount;
};

const KindRule& RuleForKind(int32_t conversionKind);

// Replaces %1..%9 by the arguments in one pass: text an argument brings in is never read again,
// so a "%1" inside a sensor's name stays as it is. A % not followed by a digit naming an
// argument is kept.
std::u16string FillPattern(std::u16string_view pattern, std::span<const std::u16string_view> args);

// The unit entry (0-based) of one output: the output's range selection picks the 1-based unit
// number in the record's table. -1 when the table holds no unit there (number 0 or out of range).
int32_t OutputUnitEntry(const devicelink::SensorAccessRecord& record, const devicelink::ChannelState& state,
                        int output);

// The texts of a panel from the channel's newest outputs (kPanelValues floats).
PanelTexts ComposePanelTexts(const devicelink::ChannelState& state, const devicelink::SensorAccessRecord& record,
                             const float* outputs, std::u16string_view noFixText);

}  // namespace monitor
