#include <memory>

#include <gtest/gtest.h>

#include "logger/measure/core/RatePlan.h"
#include "logger/project/ExperimentRecords.h"

using namespace measure;

namespace {

PlanChannel Sensor(int32_t maxRate, int32_t valuesPerSample = 1)
{
    PlanChannel ch;
    ch.takesPart = true;
    ch.hasRecord = true;
    ch.maxRate = maxRate;
    ch.valuesPerSample = valuesPerSample;
    return ch;
}

class RatePlanTest : public ::testing::Test {
protected:
    RatePlanTest()
    {
        record->rate = 5;
        record->length = 30;
        record->stopCount = 1;
    }
    PlanOutcome Plan() { return PlanRates(*record, channels); }

    std::unique_ptr<project::DataSetRecord> record = std::make_unique<project::DataSetRecord>();
    PlanChannel channels[project::kChannelCount];
};

TEST_F(RatePlanTest, CommonPlanAtFiveHertzForThirtySeconds)
{
    channels[0] = Sensor(100);
    channels[1] = Sensor(100);
    Plan();
    EXPECT_EQ(record->perChannelRates, 0);
    EXPECT_EQ(record->period, 200000);
    EXPECT_EQ(record->rate, 5);
    EXPECT_EQ(record->length, 30);
    EXPECT_EQ(record->totalTarget, 150);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(record->targetCount[c], 150);
        EXPECT_EQ(record->channelRate[c], 5);
    }
}

TEST_F(RatePlanTest, FastCommonRateASlowSensorCannotFollowBecomesPerChannel)
{
    record->rate = 2000;
    record->length = 10;
    channels[0] = Sensor(500);
    channels[1] = Sensor(10000);
    Plan();
    EXPECT_EQ(record->perChannelRates, 1);
    EXPECT_EQ(record->channelRate[0], 500);
    EXPECT_EQ(record->channelPeriod[0], 2000);
    EXPECT_EQ(record->channelRate[1], 2000);
    EXPECT_EQ(record->channelPeriod[1], 500);
    EXPECT_EQ(record->period, 500);
    EXPECT_EQ(record->channelDivider[0], 4);
    EXPECT_EQ(record->channelDivider[1], 1);
    EXPECT_EQ(record->targetCount[0], 5000);
    EXPECT_EQ(record->targetCount[1], 20000);
    EXPECT_EQ(record->totalTarget, 20000);
}

TEST_F(RatePlanTest, PerChannelPeriodsFloorToTheGridAndShareABase)
{
    record->perChannelRates = 1;
    record->channelRate[0] = 300;
    record->channelRate[2] = 700;
    channels[0] = Sensor(10000);
    channels[2] = Sensor(10000);
    Plan();
    EXPECT_EQ(record->channelPeriod[0], 3300);
    EXPECT_EQ(record->channelPeriod[2], 1400);
    EXPECT_EQ(record->channelRate[0], 303);
    EXPECT_EQ(record->channelRate[2], 714);
    EXPECT_EQ(record->period, 100);
    EXPECT_EQ(record->rate, 10000);
    EXPECT_EQ(record->channelDivider[0], 33);
    EXPECT_EQ(record->channelDivider[2], 14);
}

// Flooring the period samples faster than asked: at the sensor's maximum that is too fast.
TEST_F(RatePlanTest, PeriodRoundsUpWhenFlooringWouldPassTheMaximum)
{
    struct Case {
        int32_t requested, maximum, period;
    };
    const Case cases[] = {{300, 300, 3400}, {300, 303, 3300}, {9000, 9000, 200}, {10000, 10000, 100},
                          {20000, 10000, 100}, {0, 100, 1000000}, {-5, 100, 1000000}, {700, 700, 1500}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.requested);
        const int32_t rate = ClampRate(c.requested, c.maximum);
        const int32_t period = PeriodFor(rate, c.maximum);
        EXPECT_EQ(period, c.period);
        EXPECT_EQ(period % kPeriodStep, 0);
        EXPECT_LE(kMicroseconds / period, c.maximum);
        EXPECT_GE(kMicroseconds / period, 1);
    }
}

// Every planned rate within 1 Hz and each channel's maximum, whatever was asked.
TEST_F(RatePlanTest, EveryPlannedRateLiesWithinItsMaximum)
{
    const int32_t requests[] = {-100, 0, 1, 7, 299, 300, 333, 999, 1001, 4999, 10000, 10001, 1 << 30};
    const int32_t maxima[] = {50, 300, 1000, 9000, 0};
    for (int32_t perChannel : {0, 1}) {
        for (int32_t requested : requests) {
            for (int32_t maximum : maxima) {
                SCOPED_TRACE(testing::Message() << perChannel << " " << requested << " " << maximum);
                auto r = std::make_unique<project::DataSetRecord>();
                r->rate = requested;
                r->perChannelRates = perChannel;
                r->length = 5;
                r->stopCount = 1;
                PlanChannel chs[project::kChannelCount];
                chs[0] = Sensor(maximum);
                chs[1] = Sensor(10000, 3);
                for (int c = 0; c < 2; ++c)
                    r->channelRate[c] = requested;
                PlanRates(*r, chs);
                const int32_t limit0 = maximum > 0 ? maximum : kMaxRate;
                const int32_t rate0 = r->perChannelRates == 1 ? r->channelRate[0] : r->rate;
                const int32_t rate1 = r->perChannelRates == 1 ? r->channelRate[1] : r->rate;
                EXPECT_GE(rate0, 1);
                EXPECT_LE(rate0, limit0);
                EXPECT_GE(rate1, 1);
                EXPECT_LE(rate1, kMaxRate);
                EXPECT_GE(r->period, kPeriodStep);
            }
        }
    }
}

// The cap takes the channel whose store fills first, which need not be the fastest.
TEST_F(RatePlanTest, LengthCapFitsEveryChannelsStore)
{
    record->perChannelRates = 1;
    record->length = 1000;
    record->channelRate[0] = 1000;   // 1 entry a sample: 1,000 entries a second
    record->channelRate[1] = 500;    // 8 entries a sample: 4,000 entries a second
    channels[0] = Sensor(10000, 1);
    channels[1] = Sensor(10000, 8);
    Plan();
    EXPECT_EQ(record->length, 0x100000 / (500 * 8));
    for (int c = 0; c < 2; ++c)
        EXPECT_LE(int64_t(record->targetCount[c]) * channels[c].valuesPerSample, 0x100000);
}

TEST_F(RatePlanTest, RepeatedAndContinuousRunsFitTheirStore)
{
    struct Case {
        int32_t stopCount, length, expectedLength, expectedStop;
    };
    // 10 kHz, 2 entries a sample: 20,000 entries a second.
    const Case cases[] = {{1, 100, 52, 1}, {4, 100, 13, 4}, {0, 100, 52, 0}, {100, 100, 1, 52}, {-3, 10, 10, 1},
                          {500, 1, 1, 52}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stopCount);
        auto r = std::make_unique<project::DataSetRecord>();
        r->rate = 10000;
        r->length = c.length;
        r->stopCount = c.stopCount;
        PlanChannel chs[project::kChannelCount];
        chs[3] = Sensor(10000, 2);
        PlanRates(*r, chs);
        EXPECT_EQ(r->length, c.expectedLength);
        EXPECT_EQ(r->stopCount, c.expectedStop);
        EXPECT_LE(int64_t(r->targetCount[3]) * 2 * RepeatsOf(*r), 0x100000);
    }
}

TEST_F(RatePlanTest, ZeroLengthsTakeTheirDefaults)
{
    channels[0] = Sensor(100);
    record->length = 0;
    Plan();
    EXPECT_EQ(record->length, 1);
    record->length = 0;
    record->perChannelRates = 1;
    record->channelRate[0] = 10;
    Plan();
    EXPECT_EQ(record->length, 10);
    EXPECT_EQ(record->targetCount[0], 100);
}

TEST_F(RatePlanTest, NonTimedModesPlanOneCommonRateAndStoredModesAreBounded)
{
    channels[0] = Sensor(10000);
    record->mode = 1;
    record->perChannelRates = 1;
    record->rate = 1;
    record->length = 25;
    Plan();
    EXPECT_EQ(record->perChannelRates, 0);
    EXPECT_EQ(record->rate, 1);
    EXPECT_EQ(record->targetCount[0], 25);
    record->mode = 77;
    Plan();
    EXPECT_EQ(record->mode, 0);
}

TEST_F(RatePlanTest, ChannelsWithoutRecordsAndChannelsNotTakingPart)
{
    // A missing record asks for no limit beyond the plan's own.
    PlanChannel unknown;
    unknown.takesPart = true;
    channels[1] = unknown;
    record->rate = 20000;
    Plan();
    EXPECT_EQ(record->rate, 10000);
    // Garbage rates of channels that do not take part overflow nothing.
    auto r = std::make_unique<project::DataSetRecord>();
    r->perChannelRates = 1;
    r->length = 1000;
    r->channelRate[0] = 100;
    r->channelRate[2] = INT32_MAX;
    r->channelPeriod[2] = -7;
    PlanChannel chs[project::kChannelCount];
    chs[0] = Sensor(100);
    PlanRates(*r, chs);
    EXPECT_GE(r->targetCount[2], 0);
    EXPECT_LE(r->targetCount[2], 0x100000);
}

TEST_F(RatePlanTest, NoChannelTakingPartLeavesTheSetUp)
{
    record->rate = 1234;
    record->length = 0;
    Plan();
    EXPECT_EQ(record->rate, 1234);
    EXPECT_EQ(record->length, 0);
}

TEST_F(RatePlanTest, SpecialSensorAndHighSpeedFlags)
{
    record->rate = 2000;
    channels[0] = Sensor(10000);
    channels[0].conversionKind = 21;
    channels[0].firstConversion = 1;
    channels[1] = Sensor(10000);
    channels[1].sensorFamily = 6;
    channels[1].highSpeedCapable = 1;
    channels[2] = Sensor(10000);
    channels[2].sensorFamily = 6;
    channels[2].highSpeedCapable = 0;
    const PlanOutcome out = Plan();
    EXPECT_EQ(record->specialSensor, 1);
    EXPECT_EQ(record->channelSpecial[0], 1);
    EXPECT_EQ(ToDeviceState(record->channels[0]).adcFlag, 1);
    EXPECT_EQ(ToDeviceState(record->channels[1]).adcFlag, 1);
    EXPECT_EQ(out.liveHighSpeed[1], LiveHighSpeed::Set);
    EXPECT_EQ(ToDeviceState(record->channels[2]).adcFlag, 0);
    EXPECT_EQ(out.liveHighSpeed[2], LiveHighSpeed::Clear);
    EXPECT_EQ(out.liveHighSpeed[3], LiveHighSpeed::Keep);

    record->rate = 100;
    const PlanOutcome slow = Plan();
    EXPECT_EQ(ToDeviceState(record->channels[1]).adcFlag, 0);
    EXPECT_EQ(slow.liveHighSpeed[1], LiveHighSpeed::Clear);
    EXPECT_EQ(slow.liveHighSpeed[0], LiveHighSpeed::Keep);
}

// 1000 Hz is the last rate of the ordinary path: the switch to per-channel rates and the
// high-speed flag both begin above it.
TEST_F(RatePlanTest, TheThousandHertzBoundary)
{
    const struct {
        int32_t requested, slowest, perChannel;
    } switches[] = {{1000, 500, 0}, {1001, 500, 1}, {2000, 1000, 1}, {2000, 1001, 0}};
    for (const auto& c : switches) {
        SCOPED_TRACE(testing::Message() << c.requested << " Hz asked, slowest " << c.slowest);
        auto r = std::make_unique<project::DataSetRecord>();
        r->rate = c.requested;
        r->length = 10;
        PlanChannel chs[project::kChannelCount];
        chs[0] = Sensor(c.slowest);
        chs[1] = Sensor(10000);
        PlanRates(*r, chs);
        EXPECT_EQ(r->perChannelRates, c.perChannel);
    }

    const struct {
        int32_t requested, planned, flag;
        LiveHighSpeed live;
    } flags[] = {{1000, 1000, 0, LiveHighSpeed::Clear}, {1001, 1111, 1, LiveHighSpeed::Set}};
    for (const auto& c : flags) {
        SCOPED_TRACE(c.requested);
        auto r = std::make_unique<project::DataSetRecord>();
        r->rate = c.requested;
        r->length = 10;
        PlanChannel chs[project::kChannelCount];
        chs[0] = Sensor(10000);
        chs[1] = Sensor(10000);
        chs[1].sensorFamily = 6;
        chs[1].highSpeedCapable = 1;
        const PlanOutcome out = PlanRates(*r, chs);
        EXPECT_EQ(r->rate, c.planned);
        EXPECT_EQ(ToDeviceState(r->channels[0]).adcFlag, c.flag);
        EXPECT_EQ(ToDeviceState(r->channels[1]).adcFlag, c.flag);
        EXPECT_EQ(out.liveHighSpeed[1], c.live);
    }
}

}  // namespace
