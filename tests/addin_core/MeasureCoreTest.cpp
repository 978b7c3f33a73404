// The measurement window's rules without the window: what a start may be, the sample stores,
// the sheet's rows and the run from start to stop.
#include "FakeDialogDevice.h"

#include "addin/dialogs/core/MeasureRules.h"
#include "addin/dialogs/core/MeasureSession.h"
#include "addin/dialogs/core/SheetRows.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace addincore;

class MeasureCore : public ::testing::Test {
protected:
    void SetUp() override
    {
        table_[0] = Sensor(u"Temperature", u"°C");
        table_[1].state = device::kEntryAbsent;
        table_[2].state = device::kEntryAbsent;
        table_[3].state = device::kEntryAbsent;
    }
    MeasureSettings Settings(int32_t rate, int32_t duration, uint32_t mask = 1)
    {
        MeasureSettings s;
        s.rate = rate;
        s.duration = duration;
        s.mask = mask;
        return s;
    }

    FakeDialogDevice device_;
    RecordingSheet sheet_;
    device::SensorTableEntry table_[device::kTableChannels] = {};
};

// A rate above 1000 a second has no whole-millisecond period: refused before anything starts.
TEST_F(MeasureCore, OnlyRatesFromOneToAThousandStart)
{
    struct Case {
        int32_t rate;
        int32_t duration;
        uint32_t mask;
        StartOutcome outcome;
    };
    const Case cases[] = {
        {0, 30, 1, StartOutcome::Incomplete},       {5, 0, 1, StartOutcome::Incomplete},
        {5, 30, 0, StartOutcome::Incomplete},       {5, 30, 2, StartOutcome::Incomplete},  // channel B is empty
        {1001, 30, 1, StartOutcome::RateOutOfRange}, {-4, 30, 1, StartOutcome::RateOutOfRange},
        {1000, 1, 1, StartOutcome::Started},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "rate " << c.rate << " duration " << c.duration << " mask " << c.mask);
        MeasureSession session(device_, sheet_);
        const int starts = device_.starts;
        EXPECT_EQ(session.Start(Settings(c.rate, c.duration, c.mask), table_), c.outcome);
        EXPECT_EQ(device_.starts - starts, c.outcome == StartOutcome::Started ? 1 : 0);
        if (c.outcome != StartOutcome::Started) {
            EXPECT_EQ(sheet_.clears, 0);
        }
        session.Stop();
    }
    EXPECT_EQ(device_.startedPeriodUs, 1000);
    EXPECT_EQ(PeriodMs(3), 333);
}

// The stores hold a fixed number of floats: a run longer than that stops when they are full,
// and nothing is written past them.
TEST_F(MeasureCore, StopsWhenTheStoresAreFull)
{
    MeasureSession session(device_, sheet_, 250);
    ASSERT_EQ(session.Start(Settings(1000, 3600), table_), StartOutcome::Started);
    TickOutcome outcome = TickOutcome::Measuring;
    for (int tick = 0; tick < 10 && outcome == TickOutcome::Measuring; ++tick) {
        device_.Deliver(0, 100, 100 * tick);
        outcome = session.Tick();
    }
    EXPECT_EQ(outcome, TickOutcome::Finished);
    EXPECT_FALSE(session.Running());
    EXPECT_EQ(device_.stops, 1);
    EXPECT_EQ(session.Samples(0), 250);
    const std::vector<double> numbers = sheet_.Numbers();
    ASSERT_EQ(numbers.size(), 250u);
    EXPECT_EQ(numbers.back(), 250.0);
}

// Number, time and four channels of four quantities: 18 columns, the last one filled too.
TEST_F(MeasureCore, RowsHoldEveryQuantityOfFourChannels)
{
    for (int c = 0; c < device::kTableChannels; ++c)
        table_[c] = Sensor(u"Weather", u"x", 4, c);
    const ColumnPlan plan = PlanColumns(table_, 0xF);
    ASSERT_EQ(plan.columns, 18);
    SampleIntake intake;
    const int32_t quantities[device::kTableChannels] = {4, 4, 4, 4};
    ASSERT_TRUE(intake.Begin(0xF, quantities, 10));
    for (int c = 0; c < device::kTableChannels; ++c) {
        const float values[8] = {1.5f, 2.5f, 3.5f, 4.5f + c, 5.5f, 6.5f, 7.5f, 8.25f + c};
        const float times[8] = {0.0f, 0.0f, 0.0f, 0.0f, 0.1234f, 0.1234f, 0.1234f, 0.1234f};
        ASSERT_EQ(intake.Append(c, values, times, 8), 8);
    }
    const RowBlock block = BuildRows(intake, plan, 0, 2);
    ASSERT_EQ(block.columns, 18);
    EXPECT_EQ(block.firstRow, kFirstSampleRow);
    EXPECT_EQ(block.At(1, kNumberColumn), 2.0);
    EXPECT_NEAR(block.At(1, kTimeColumn), 0.123, 1e-9);
    EXPECT_TRUE(block.Filled(1, 17));
    EXPECT_NEAR(block.At(1, 17), 11.25, 1e-9);  // channel D, quantity 4, 3 decimals
    EXPECT_NEAR(block.At(0, 5), 4.0, 1e-9);     // channel A, quantity 4, no decimals: cut
    const std::vector<HeadingCell> headings = HeadingCells(table_, plan);
    ASSERT_EQ(headings.size(), 18u);
    EXPECT_EQ(headings.back().column, 17);
}

// The button's stop takes what came after the last tick before the logger is stopped.
TEST_F(MeasureCore, StopWritesWhatArrivedSinceTheLastTick)
{
    MeasureSession session(device_, sheet_);
    ASSERT_EQ(session.Start(Settings(5, 30), table_), StartOutcome::Started);
    device_.Deliver(0, 5);
    ASSERT_EQ(session.Tick(), TickOutcome::Measuring);
    device_.Deliver(0, 3, 5);
    session.Stop();
    EXPECT_EQ(device_.stops, 1);
    const std::vector<double> numbers = sheet_.Numbers();
    ASSERT_EQ(numbers.size(), 8u);
    for (size_t i = 0; i < numbers.size(); ++i)
        EXPECT_EQ(numbers[i], double(i + 1));
    EXPECT_EQ(session.ElapsedSeconds(), 1);  // the newest sample at 1.4 s
}

// A change of sensors stops the run and asks for a detection, which the tick itself never runs.
TEST_F(MeasureCore, ALinkChangeStopsTheRunWithoutDetectingOnTheTick)
{
    MeasureSession session(device_, sheet_);
    ASSERT_EQ(session.Start(Settings(5, 30), table_), StartOutcome::Started);
    device_.linked = 1;
    EXPECT_EQ(session.Tick(), TickOutcome::Redetect);
    EXPECT_FALSE(session.Running());
    EXPECT_TRUE(device_.detectThreads.empty());
    device_.lastError = kErrorNotConnected;
    EXPECT_EQ(session.Tick(), TickOutcome::Cancel);
}

}  // namespace
