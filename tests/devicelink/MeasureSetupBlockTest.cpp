#include "devicelink/protocol/MeasureSetupBlock.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace devicelink;

TEST(MeasureSetupBlock, WireImageClearsHostAddressesOnly)
{
    MeasureSetupBlock block{};
    block.kind = kind::kTimed;
    block.event = 0x1234;
    block.values[2] = 0xDEAD;
    block.times[1] = 0xBEEF;
    block.counter[3] = 0xF00D;
    block.readMask[8 * 3 + 7] = 0x0FFF;
    block.mark = kSetupMark;
    const MeasureSetupBlock wire = WireImage(block);

    uint8_t bytes[sizeof(MeasureSetupBlock)];
    std::memcpy(bytes, &wire, sizeof bytes);
    for (size_t at : {size_t(16), size_t(692 + 8), size_t(708 + 4), size_t(724 + 12)}) {
        uint32_t word;
        std::memcpy(&word, bytes + at, 4);
        EXPECT_EQ(word, 0u) << at;
    }
    int32_t mask;
    std::memcpy(&mask, bytes + 100 + 4 * 31, 4);
    EXPECT_EQ(mask, 0x0FFF);
    EXPECT_EQ(wire.mark, kSetupMark);
    EXPECT_EQ(wire.kind, kind::kTimed);
}

TEST(StreamDescriptor, MaskTakesOnlyChannelsMarkedOne)
{
    StreamDescriptor d{};
    d.enabled[0] = 1;
    d.enabled[2] = 1;
    d.enabled[3] = 2;
    EXPECT_EQ(d.ChannelMask(), 0x5u);
}
