#include "tools/devsim/Scenario.h"

#include <gtest/gtest.h>

namespace {

using namespace devsim;

TEST(Scenario, ShippedClassroomLoads)
{
    Scenario s;
    std::string error;
    ASSERT_TRUE(LoadScenario(CORVIK_DEVSIM_SCENARIOS "/classroom.ini", s, error)) << error;
    int plugged = 0;
    for (const auto& c : s.channels)
        plugged += c.has_value();
    EXPECT_EQ(plugged, 4);
    SimDevice device(s.device);
    for (int c = 0; c < 4; ++c)
        ASSERT_TRUE(device.Plug(c, *s.channels[c], error)) << error;
    EXPECT_EQ(device.StatusWord(), 0x000F000Fu);
}

TEST(Scenario, SectionsEventsAndFaults)
{
    const char* text = "# test\n"
                       "[device]\n"
                       "firmware-version = 20200101\n"
                       "delivery = sets\n"
                       "sequence = 0x10\n"
                       "[channel 2]\n"
                       "sensor = voltage code=RZ12\n"
                       "signal = ramp start=-5 slope=0.5\n"
                       "[events]\n"
                       "at 2.5 plug 1 photogate pulses period=2\n"
                       "at 1 pull 2\n"
                       "[faults]\n"
                       "0x10000011 drop times 2\n"
                       "268435495 delay 4000 always\n";
    Scenario s;
    std::string error;
    ASSERT_TRUE(ParseScenario(text, s, error)) << error;
    EXPECT_EQ(s.device.firmwareVersion, 20200101);
    EXPECT_EQ(s.device.delivery, Delivery::Sets);
    EXPECT_EQ(s.device.sequence, 16);
    ASSERT_TRUE(s.channels[2]);
    EXPECT_EQ(s.channels[2]->options.at("code"), "RZ12");
    EXPECT_EQ(s.channels[2]->signal.kind, SignalKind::Ramp);
    EXPECT_DOUBLE_EQ(s.channels[2]->signal.slope, 0.5);
    ASSERT_EQ(s.events.size(), 2u);
    EXPECT_EQ(s.events[0].command, "plug 1 photogate pulses period=2");
    ASSERT_EQ(s.faults.size(), 2u);
    EXPECT_EQ(s.faults[0].remaining, 2);
    EXPECT_EQ(s.faults[1].code, 0x10000027u);
    EXPECT_EQ(s.faults[1].argument, 4000);
    EXPECT_EQ(s.faults[1].remaining, -1);
}

TEST(Scenario, ErrorsNameTheLine)
{
    const auto fails = [](const char* text, const char* where) {
        Scenario s;
        std::string error;
        EXPECT_FALSE(ParseScenario(text, s, error)) << text;
        EXPECT_NE(error.find(where), std::string::npos) << error;
    };
    fails("[device]\ncolour = red\n", "line 2");
    fails("[channel 4]\n", "line 1");
    fails("[device]\ndelivery = smoke\n", "line 2");
    fails("[faults]\n0x10000011 explode\n", "line 2");
    fails("[events]\nsoon pull 1\n", "line 2");
    fails("[events]\nat 3 plug 1 kettle\n", "line 2");
    fails("[events]\nat 3 explode\n", "line 2");
    fails("[channel 0]\nsensor = kettle\n", "channel 0");
}

TEST(Scenario, FaultPlanIsUsedUp)
{
    FaultPlan plan;
    Fault f;
    std::string error;
    ASSERT_TRUE(ParseFault("0x10000011 split 20 times 2", f, error)) << error;
    plan.Add(f);
    EXPECT_FALSE(plan.Take(0x10000012));
    EXPECT_EQ(plan.Take(0x10000011)->argument, 20);
    EXPECT_TRUE(plan.Take(0x10000011));
    EXPECT_FALSE(plan.Take(0x10000011));
    EXPECT_FALSE(ParseFault("0x10000011 drop twice", f, error));
}

}  // namespace
