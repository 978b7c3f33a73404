#pragma once

#include <cstddef>
#include <cstdint>

namespace devicelink {
struct ChannelState;
struct SensorAccessRecord;
}  // namespace devicelink

// The add-in's description of the sensor on each channel, as detection leaves it for the
// workbook functions and the dialogs. Texts are UTF-16 and zero-terminated.
namespace addin::device {

inline constexpr int kTableChannels = 4;
inline constexpr int kEntryTextLength = 64;
inline constexpr int kMaxQuantities = 4;
inline constexpr int kMaxQuantityUnits = 4;

enum EntryState : int32_t { kEntryUnknown = 0, kEntryAbsent = 1, kEntryPresent = 2 };

struct SensorTableEntry {
    int32_t state;                                 // EntryState
    char16_t sensorCode[kEntryTextLength];         // the model code; "CABL" for a bare cable
    char16_t infoPageName[kEntryTextLength];       // information page, without extension
    char16_t sensorName[kEntryTextLength];         // shown in headers and detection alerts
    int32_t quantityCount;                         // quantities the sensor measures, 0..4
    int32_t unitCounts[kMaxQuantities];            // units offered per quantity
    char16_t quantityNames[kMaxQuantities][kEntryTextLength];
    int32_t decimals[kMaxQuantities][kMaxQuantityUnits];
    char16_t unitTexts[kMaxQuantities][kMaxQuantityUnits][kEntryTextLength];
    float unitMinimum[kMaxQuantities][kMaxQuantityUnits];
    float unitMaximum[kMaxQuantities][kMaxQuantityUnits];
    int32_t maximumRate;                           // samples per second
    char16_t infoPageFile[kEntryTextLength];       // the page's file name, with ".html"
    int32_t outputSelector;                        // which output of a multi-output conversion shows
    int32_t channelOption;                         // the channel's ADC (high-speed) flag
    int32_t minimumReadingTime;                    // microseconds
};

static_assert(sizeof(SensorTableEntry) == 3304);
static_assert(offsetof(SensorTableEntry, quantityCount) == 388);
static_assert(offsetof(SensorTableEntry, quantityNames) == 408);
static_assert(offsetof(SensorTableEntry, decimals) == 920);
static_assert(offsetof(SensorTableEntry, unitTexts) == 984);
static_assert(offsetof(SensorTableEntry, unitMinimum) == 3032);
static_assert(offsetof(SensorTableEntry, maximumRate) == 3160);
static_assert(offsetof(SensorTableEntry, infoPageFile) == 3164);
static_assert(offsetof(SensorTableEntry, minimumReadingTime) == 3300);

// Every field from the channel's state and its access record; the state field is left alone.
void FillTableEntry(SensorTableEntry& entry, const devicelink::ChannelState& state,
                    const devicelink::SensorAccessRecord& record);
// The output selector of a channel by its conversion kind.
int32_t OutputSelectorOf(const devicelink::ChannelState& state);

// The unit shown for a quantity: the add-in never changes a unit choice, so it is the first.
inline constexpr int kShownUnit = 0;

}  // namespace addin::device
