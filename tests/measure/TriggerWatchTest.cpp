#include <vector>

#include <gtest/gtest.h>

#include "logger/measure/core/TriggerWatch.h"

using namespace measure;

namespace {

// One watched channel (A) with the given trigger; each read gives the next of `reads`.
TriggerWatch::Result LastOf(int32_t kind, float level, const std::vector<float>& reads)
{
    TriggerWatch::Channel channels[project::kChannelCount];
    channels[0].watched = true;
    channels[0].kind = kind;
    channels[0].level = level;
    TriggerWatch watch;
    watch.Arm(channels, kind >= 3);
    TriggerWatch::Result result = TriggerWatch::Result::Waiting;
    for (float value : reads) {
        result = watch.Check([value](int, float* values) {
            values[0] = value;
            return true;
        });
    }
    return result;
}

// A reading exactly at the level fires; one just short of it does not. A photogate fires on a
// step of exactly 500 between two reads.
TEST(TriggerWatchTest, ReadingsExactlyAtTheLevelOrStepFire)
{
    using R = TriggerWatch::Result;
    const struct {
        const char* name;
        int32_t kind;
        float level;
        std::vector<float> reads;
        R result;
    } cases[] = {
        {"rising, at the level", 1, 50.0f, {50.0f}, R::Fired},
        {"rising, just below", 1, 50.0f, {49.99f}, R::Waiting},
        {"falling, at the level", 2, 50.0f, {50.0f}, R::Fired},
        {"falling, just above", 2, 50.0f, {50.01f}, R::Waiting},
        {"gate blocked by 500", 3, 0.0f, {2000.0f, 1500.0f}, R::Fired},
        {"gate blocked by 499", 3, 0.0f, {2000.0f, 1501.0f}, R::Waiting},
        {"gate opened by 500", 4, 0.0f, {1500.0f, 2000.0f}, R::Fired},
        {"gate opened by 499", 4, 0.0f, {1501.0f, 2000.0f}, R::Waiting},
        {"either way, down 500", 5, 0.0f, {2000.0f, 1500.0f}, R::Fired},
        {"either way, up 500", 5, 0.0f, {1500.0f, 2000.0f}, R::Fired},
        {"either way, up 499", 5, 0.0f, {1501.0f, 2000.0f}, R::Waiting},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LastOf(c.kind, c.level, c.reads), c.result) << c.name;
}

}  // namespace
