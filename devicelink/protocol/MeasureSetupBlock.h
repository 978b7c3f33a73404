#pragma once

#include "devicelink/protocol/Vocabulary.h"
#include "platform/Event.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <type_traits>

// The record that describes every request made of the logger's channels, sent byte for byte as
// the payload of the read, write and start commands, and the host-only stream descriptor.
namespace devicelink {

inline constexpr int kRegisterEntries = 8;
inline constexpr int kSetupEntries = kChannelCount * kRegisterEntries;  // [c][k] = 8 * c + k

inline constexpr int32_t kSetupMark = 0x50000001;

// Wire image, 964 bytes, little-endian. The event, values, times and counter fields are host
// addresses in the original layout; here they stay zero on the wire and the real pointers live in
// MeasureSetupHost.
struct MeasureSetupBlock {
    int32_t kind;
    uint8_t clock[kChannelCount];
    int32_t interval;                        // microseconds
    int32_t count;
    uint32_t event;                          // host side, zero on the wire
    int32_t perEvent;
    uint8_t enabled[kChannelCount];
    uint8_t readType[kChannelCount];
    int32_t byteCount[kChannelCount];
    int32_t address[kChannelCount];
    uint8_t entries[kChannelCount];
    uint8_t readRegister[kSetupEntries];
    int32_t readMask[kSetupEntries];
    int32_t writeType[kSetupEntries];        // -1 = no set-up write
    uint8_t writeLength[kSetupEntries];
    uint8_t writeRegister[kSetupEntries];
    int32_t writeData[kSetupEntries];
    int32_t delay[kSetupEntries];
    int32_t capacity[kChannelCount];
    uint32_t values[kChannelCount];          // host side, zero on the wire
    uint32_t times[kChannelCount];           // host side, zero on the wire
    uint32_t counter[kChannelCount];         // host side, zero on the wire
    uint8_t reserved1[128];
    int32_t channelInterval[kChannelCount];
    int32_t triggerWord;
    int32_t mark;
    uint8_t reserved2[72];
};

static_assert(std::is_standard_layout_v<MeasureSetupBlock>);
static_assert(std::is_trivially_copyable_v<MeasureSetupBlock>);
static_assert(sizeof(MeasureSetupBlock) == 964);
static_assert(offsetof(MeasureSetupBlock, kind) == 0);
static_assert(offsetof(MeasureSetupBlock, clock) == 4);
static_assert(offsetof(MeasureSetupBlock, interval) == 8);
static_assert(offsetof(MeasureSetupBlock, count) == 12);
static_assert(offsetof(MeasureSetupBlock, event) == 16);
static_assert(offsetof(MeasureSetupBlock, perEvent) == 20);
static_assert(offsetof(MeasureSetupBlock, enabled) == 24);
static_assert(offsetof(MeasureSetupBlock, readType) == 28);
static_assert(offsetof(MeasureSetupBlock, byteCount) == 32);
static_assert(offsetof(MeasureSetupBlock, address) == 48);
static_assert(offsetof(MeasureSetupBlock, entries) == 64);
static_assert(offsetof(MeasureSetupBlock, readRegister) == 68);
static_assert(offsetof(MeasureSetupBlock, readMask) == 100);
static_assert(offsetof(MeasureSetupBlock, writeType) == 228);
static_assert(offsetof(MeasureSetupBlock, writeLength) == 356);
static_assert(offsetof(MeasureSetupBlock, writeRegister) == 388);
static_assert(offsetof(MeasureSetupBlock, writeData) == 420);
static_assert(offsetof(MeasureSetupBlock, delay) == 548);
static_assert(offsetof(MeasureSetupBlock, capacity) == 676);
static_assert(offsetof(MeasureSetupBlock, values) == 692);
static_assert(offsetof(MeasureSetupBlock, times) == 708);
static_assert(offsetof(MeasureSetupBlock, counter) == 724);
static_assert(offsetof(MeasureSetupBlock, reserved1) == 740);
static_assert(offsetof(MeasureSetupBlock, channelInterval) == 868);
static_assert(offsetof(MeasureSetupBlock, triggerWord) == 884);
static_assert(offsetof(MeasureSetupBlock, mark) == 888);
static_assert(offsetof(MeasureSetupBlock, reserved2) == 892);

// The block as it goes on the wire: a copy with every host-address field cleared.
MeasureSetupBlock WireImage(const MeasureSetupBlock& block);

// Where the driver delivers a request's samples: per channel a raw value array, a time array
// (capacity[c] entries each) and a count that the driver publishes with release order after the
// entries are written; the consumer reads it with acquire order after the event.
struct MeasureSetupHost {
    platform::Event* event = nullptr;
    uint32_t* values[kChannelCount] = {};
    int32_t* times[kChannelCount] = {};
    std::atomic<int32_t>* counts[kChannelCount] = {};

    bool ChannelBound(int c) const { return values[c] && times[c] && counts[c]; }
};

// One request: the wire image and its host-side binding, filled together by the sensor object.
struct MeasureRequest {
    MeasureSetupBlock block{};
    MeasureSetupHost host;
};

// Host-only descriptor of a stream: the start command carries only the channel mask of enabled.
// Fields keep the order of the original 25 words (0 kind, 1 the value 1, 2 capacity, 3 event,
// 4 blocks per event, 5-8 enabled, 9-12 capacities, 13-16 values, 17-20 times, 21-24 counts);
// being host-only, the pointers are typed and the record has no fixed size.
struct StreamDescriptor {
    int32_t kind;
    int32_t one;
    int32_t capacity;
    platform::Event* event;
    int32_t blocksPerEvent;
    int32_t enabled[kChannelCount];
    int32_t channelCapacity[kChannelCount];
    uint32_t* values[kChannelCount];
    int32_t* times[kChannelCount];
    std::atomic<int32_t>* counts[kChannelCount];

    // Bit c set when channel c is enabled.
    uint32_t ChannelMask() const;
};

static_assert(std::is_standard_layout_v<StreamDescriptor>);
static_assert(std::is_trivially_copyable_v<StreamDescriptor>);
static_assert(offsetof(StreamDescriptor, kind) == 0);
static_assert(offsetof(StreamDescriptor, one) == 4);
static_assert(offsetof(StreamDescriptor, capacity) == 8);
static_assert(offsetof(StreamDescriptor, event) < offsetof(StreamDescriptor, blocksPerEvent));
static_assert(offsetof(StreamDescriptor, enabled) + 16 == offsetof(StreamDescriptor, channelCapacity));

inline constexpr int32_t kStreamCapacity = 0x100000;

}  // namespace devicelink
