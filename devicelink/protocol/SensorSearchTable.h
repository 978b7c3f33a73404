#pragma once

#include "devicelink/protocol/Vocabulary.h"

#include <cstddef>
#include <cstdint>

// The recognition table sent with the block-write command: which search recipes exist and what
// is plugged in, so that the logger can recognise sensors itself. 524 bytes, little-endian.
namespace devicelink {

// The table holds this many recipes; a longer catalogue sends only its first ones.
inline constexpr int kSearchTableRecipes = 128;

// What the logger is told about a channel.
enum SearchChannelKind : uint8_t {
    kSearchNoSensor = 0,
    kSearchBareCable = 1,  // the model code is exactly "CABL"
    kSearchOtherSensor = 2,
};

struct SensorSearchTable {
    int32_t opened;                              // 1: built while the device is open
    int32_t recipes;                             // recipe count, at most kSearchTableRecipes
    uint8_t channelKind[kChannelCount];          // SearchChannelKind
    uint8_t address[kSearchTableRecipes];        // low bytes of each recipe's fields
    uint8_t byteCount[kSearchTableRecipes];
    uint8_t readType[kSearchTableRecipes];
    uint8_t registerAddress[kSearchTableRecipes];
};
static_assert(sizeof(SensorSearchTable) == 524);
static_assert(offsetof(SensorSearchTable, opened) == 0);
static_assert(offsetof(SensorSearchTable, recipes) == 4);
static_assert(offsetof(SensorSearchTable, channelKind) == 8);
static_assert(offsetof(SensorSearchTable, address) == 12);
static_assert(offsetof(SensorSearchTable, byteCount) == 140);
static_assert(offsetof(SensorSearchTable, readType) == 268);
static_assert(offsetof(SensorSearchTable, registerAddress) == 396);

inline constexpr int kSensorSearchTableBytes = int(sizeof(SensorSearchTable));

}  // namespace devicelink
