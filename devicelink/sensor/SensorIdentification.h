#pragma once

#include "devicelink/catalogue/SensorCatalogue.h"
#include "devicelink/protocol/SensorSearchTable.h"
#include "devicelink/sensor/ChannelState.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// What identifying a sensor decides without talking to the device: the recognition table the
// logger receives, value windows, the settings a file entry or an adapter resets, the conversion
// kind a model code or an adapter's kind byte gives, the adapter's calibration tables in the
// memory image, and the summary text. The sensor object's detection strings these together with
// its device reads.
namespace devicelink {

uint8_t SearchChannelKindOf(int32_t connected, std::u16string_view modelCode);

// Refreshes the table from the recipes (the first kSearchTableRecipes) and the channels. Entries beyond the
// recipe count keep what an earlier upload left there.
void FillSensorSearchTable(SensorSearchTable& table, std::span<const SensorSearchRecipe> recipes,
                           const int32_t connected[kChannelCount], const ChannelState channels[kChannelCount]);

// The first window of the recipe that holds `value`, bounds included and compared as unsigned
// 32-bit numbers; -1 when none does.
int FindValueWindow(const SensorSearchRecipe& recipe, uint32_t value);

// The settings a newly identified sensor starts from: identification word low half -1, unit
// choices and selected output 0, zero offsets 0, gain 1.0, the given time unit, time factor 1.0,
// the further calibration values 0, ADC flag 0.
void ResetIdentifiedChannel(ChannelState& state, float timeUnit);
inline constexpr float kDefaultTimeUnit = 0.001f;  // device milliseconds shown as seconds

// The colour sensor's four gains (its calibration block, as floats) back to 1.0.
void ResetColourGains(ChannelState& state);

// 1 for the families that keep their calibration in their own memory (2, 4, 6), else 0.
int32_t CalibrationModeOfFamily(int32_t family);

// The conversion kind the sensor model code gives, with the extra settings some models need
// (colour gains, reference pressure); models the table does not name keep their kind.
void ApplyModelConversion(ChannelState& state);

// The output names shown for the channel's conversion kind, and their count.
void ApplyOutputNames(ChannelState& state);

// The conversion kind an adapter's kind byte names.
int32_t ConversionKindOfAdapterByte(int32_t kindByte);

// An adapter's calibration as its memory holds it.
struct AdapterTables {
    uint8_t kind = 0;                 // location 0x13
    float firstValues[7] = {};        // 0x14..0x2C
    uint16_t firstRaws[8] = {};       // 0x30..0x3E
    uint8_t secondKind = 0;           // 0x41
    float secondValues[7] = {};       // 0x44..0x5C
    uint16_t secondRaws[8] = {};      // 0x60..0x6E
};
// Adapters other than the thermocouple are given this identification word (see
// ApplyOtherAdapterDefaults).
inline constexpr int32_t kAdapterIdentificationWord = 529;

// Whether the tables hold a calibration the user set: any point of the second table.
bool AdapterHasUserCalibration(const AdapterTables& tables);
void ExchangeAdapterTables(AdapterTables& tables);

// The tables into the channel's memory image where the conversion record reads them: the
// sensor-memory layout (kinds as int32 at 0 and 64, values from 4 and 68, 16-bit raws from 32 and
// 96) for sensors calibrated in memory, else the plain layout (values from 0, raws as int32 from
// 32, second values from 64 as T0, T1 and the further words, second raws as int32 from 96). The
// second kind byte also becomes the channel's adapter kind.
void StoreAdapterTables(ChannelState& state, const AdapterTables& tables);

// Adapter sensors other than the thermocouple: the logger reads them as one 32-bit word
// (identification word 529, conversion kind 10, record byte count 4, first read mask -1), as the
// adapters of the kit are built. Kept exactly so; the models' own rules below refine the kind.
void ApplyOtherAdapterDefaults(ChannelState& state, SensorAccessRecord& record);

// The rules by adapter model code after the tables are read ("RE3E", "R7JE", "R55V", "R53E",
// "R97E"); true when the code is a weather station whose calibration words follow ("R99").
// A unit position the unit list does not reach leaves the record's unit unchanged.
bool ApplyAdapterModelRules(ChannelState& state, SensorAccessRecord& record, const std::vector<UnitRecord>& units);

// One answer of the weather station's calibration read: the word index in the highest byte, the
// value in the low half (words 3..5 unsigned). False, with nothing stored, for an index beyond
// the block.
bool StoreWeatherWord(ChannelState& state, uint32_t answer);
// The station's factory words when calibration word 3 is still 0.
void ApplyWeatherDefaultsIfEmpty(ChannelState& state);
inline constexpr int32_t kWeatherDefaults[kCalibrationWords] = {9251,  -1304, -14339, 33685, 25075, 27554,
                                                                 5498,  72,    -32768, -11075, 2432};

// The summary of one examined channel: its full name, followed by a comma when identified;
// "N/A," for a match whose file entry or adapter read failed.
void AppendChannelName(std::u16string& text, std::u16string_view fullName, bool withComma);
inline constexpr std::u16string_view kNotAvailable = u"N/A,";

// A code that "contains" the text anywhere / begins with it / equals it.
bool CodeContains(const ChannelState& state, std::u16string_view text);

}  // namespace devicelink
