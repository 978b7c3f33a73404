#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "devicelink/catalogue/SensorCatalogue.h"
#include "devicelink/protocol/Vocabulary.h"
#include "devicelink/sensor/ChannelState.h"

// What the measurement screen reads of a channel's state and its catalogue record. Both may come
// from a project file: every count and index is bounded here.
namespace measure {

inline constexpr int kSeriesPerSubValue = 4;   // series = channel + 4 x sub-value
inline constexpr int kMaxSubValues = 4;

// The colour (0x00BBGGRR) of a recorded series 0..15, channel + 4 x sub-value; channel c's own
// colour is that of series c.
uint32_t SeriesColour(int series);
// Raw entries a sample: the record's register count within 1..8.
int32_t ValuesPerSample(const devicelink::SensorAccessRecord* record);
// The sensor's sub-values (outputs) within 1..4.
int32_t SubValueCount(const devicelink::ChannelState& state, const devicelink::SensorAccessRecord* record);
// Kinds whose conversion delivers events, not one value per sample.
bool IsEventKind(int32_t conversionKind);
// Kinds a measurement cannot record (GPS text, and the bare cable).
bool IsRecordableKind(int32_t conversionKind);
// The unit entry (0-based) of an output: the output's unit choice in the record's table.
int32_t UnitEntryOf(const devicelink::SensorAccessRecord& record, const devicelink::ChannelState& state,
                    int output);
// The maximum rate of the sampling entry the state selects; 0 when none is given.
int32_t MaxRateOf(const devicelink::SensorAccessRecord& record, const devicelink::ChannelState& state);
int32_t DefaultRateOf(const devicelink::SensorAccessRecord& record, const devicelink::ChannelState& state);

std::u16string_view UnitText(const devicelink::SensorAccessRecord& record, int32_t unitEntry);
std::u16string_view OutputName(const devicelink::SensorAccessRecord& record, int output);
std::u16string_view ChannelName(const devicelink::ChannelState& state);
// Gate sensors: the photogate models.
bool IsPhotogate(const devicelink::ChannelState& state);
// The drop counter, whose register set-up is repeated before every run.
bool NeedsSetupBeforeRun(const devicelink::ChannelState& state);

}  // namespace measure
