#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "devicelink/sensor/ChannelState.h"
#include "logger/analysis/core/AnalysisPointer.h"
#include "logger/analysis/core/GateEvents.h"
#include "platform/Text.h"

namespace {

using namespace analysis;

TEST(PointerRules, AQuickPressIsAClickAndTheTickMayWrap)
{
    EXPECT_TRUE(HeldForDrag(1000, 1250));
    EXPECT_TRUE(HeldForDrag(1000, 1200));
    EXPECT_FALSE(HeldForDrag(1000, 1100));
    EXPECT_TRUE(HeldForDrag(0xFFFFFF00u, 0x00000010u));   // 272 ms across the wrap
    EXPECT_FALSE(HeldForDrag(0xFFFFFFF0u, 0x00000010u));  // 32 ms across the wrap
}

// Fault: a press below the last graph still re-ran and reset the set.
TEST(PointerRules, APressLandsOnAGraphOnlyWhereOneIs)
{
    EXPECT_EQ(GraphAtRow(400, 0, 246, 2), 1);
    EXPECT_EQ(GraphAtRow(200, 0, 246, 2), 0);
    EXPECT_EQ(GraphAtRow(700, 0, 246, 2), -1);
    EXPECT_EQ(GraphAtRow(400, 0, 246, 1), -1);
    EXPECT_EQ(GraphAtRow(50, 0, 246, 2), -1);    // the button band
    EXPECT_EQ(GraphAtRow(400, 246, 246, 3), 2);
}

TEST(PointerRules, ThePadStepsBetweenItsEnds)
{
    EXPECT_FLOAT_EQ(RaisedPad(1.0f), 1.05f);
    EXPECT_FLOAT_EQ(LoweredPad(1.0f), 0.95f);
    EXPECT_FLOAT_EQ(RaisedPad(3.0f), 3.0f);
    EXPECT_FLOAT_EQ(RaisedPad(2.99f), 3.0f);
    EXPECT_FLOAT_EQ(LoweredPad(0.05f), 0.05f);
    EXPECT_FLOAT_EQ(LoweredPad(0.07f), 0.05f);
    EXPECT_FLOAT_EQ(RaisedPad(NAN), 0.1f);
    EXPECT_FLOAT_EQ(LoweredPad(40.0f), 2.95f);
}

// Fault: the events went into other outputs' series, with no bound at their 1000 points.
TEST(GateEventsTest, EventsAreTimedFromTheirPredecessorAndBoundedAtAThousand)
{
    // Blocked at first, then open and blocked in turn; 1000 itself neither blocks nor opens.
    const std::vector<float> values = {500, 500, 2000, 900, 1000, 2000, 1000, 400, 2000, 800};
    std::vector<float> times(values.size());
    for (size_t k = 0; k < times.size(); ++k)
        times[k] = 0.5f * float(k);
    const GateEvents few = FindGateEvents(values.data(), times.data(), int(values.size()));
    ASSERT_EQ(few.Count(), 3);
    EXPECT_FLOAT_EQ(few.times[0], 1.5f);
    EXPECT_FLOAT_EQ(few.gaps[0], 0.0f);
    EXPECT_FLOAT_EQ(few.gaps[1], 3.5f - 1.5f);
    EXPECT_FLOAT_EQ(few.gaps[2], 4.5f - 3.5f);

    std::vector<float> many(3000), manyTimes(3000);
    for (int k = 0; k < 3000; ++k) {
        many[size_t(k)] = k % 2 == 0 ? 2000.0f : 100.0f;
        manyTimes[size_t(k)] = 0.01f * float(k);
    }
    EXPECT_EQ(FindGateEvents(many.data(), manyTimes.data(), 3000).Count(), kMaxGateEvents);
    EXPECT_EQ(FindGateEvents(nullptr, manyTimes.data(), 3000).Count(), 0);
}

// Fault: the grid asked the live sensor while the engine used the data set's copy, and read a Y
// slot of -1.
TEST(GateEventsTest, TheDataSetsOwnCopyNamesAGateChannel)
{
    auto record = std::make_unique<project::DataSetRecord>();
    std::memset(record.get(), 0, sizeof *record);
    devicelink::ChannelState state;
    std::memset(&state, 0, sizeof state);
    platform::CopyToField(state.modelCode, u"R7JE");
    record->channels[2] = project::ToStateImage(state);
    EXPECT_TRUE(IsGateChannel(*record, 2));
    EXPECT_FALSE(IsGateChannel(*record, 1));
    EXPECT_FALSE(IsGateChannel(*record, -1));
    EXPECT_FALSE(IsGateChannel(*record, 4));
}

}  // namespace
