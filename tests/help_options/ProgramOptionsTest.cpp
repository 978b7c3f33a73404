#include "FakeClockSetter.h"

#include "logger/shell/core/ProgramOptions.h"

#include "platform/NamedEvent.h"
#include "platform/RegistryStore.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

namespace {

using platform::RegistryRoot;
using shell::LocalDateTime;

using helptest::FakeClockSetter;

// An event of this test's own, so that no other suite running beside it sees the signal.
std::string EventName(const char* what)
{
    return std::string("corvik-options-test-") + what + "-" + std::to_string(::getpid());
}

class ProgramOptionsTest : public ::testing::Test {
protected:
    void SetUp() override { platform::NamedEvent::Unlink(eventName_); }
    void TearDown() override { platform::NamedEvent::Unlink(eventName_); }

    shell::ProgramOptionsModel Model()
    {
        return shell::ProgramOptionsModel(registry_, clock_, platform::Utf8ToUtf16(eventName_));
    }
    uint32_t StoredLevel()
    {
        uint32_t level = 0;
        return registry_.ReadDword(RegistryRoot::CurrentUser, shell::kBackLightKey, shell::kBrightLevelValue, level)
                   ? level
                   : 0;
    }

    const std::string eventName_ = EventName(
        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    platform::MemoryRegistryStore registry_;
    FakeClockSetter clock_;
};

TEST_F(ProgramOptionsTest, BackLightEntryFollowsTheStoredLevel)
{
    struct Case {
        bool stored;
        uint32_t level;
        int entry;
    };
    for (const Case& c : {Case{false, 0, 1}, Case{true, 1, 0}, Case{true, 4, 3}, Case{true, 0, -1}, Case{true, 5, -1}}) {
        registry_.DeleteValue(RegistryRoot::CurrentUser, shell::kBackLightKey, shell::kBrightLevelValue);
        if (c.stored)
            registry_.WriteDword(RegistryRoot::CurrentUser, shell::kBackLightKey, shell::kBrightLevelValue, c.level);
        EXPECT_EQ(Model().InitialBackLightEntry(), c.entry) << "stored " << c.stored << " level " << c.level;
    }
    // A value of another type cannot be read as a level.
    registry_.WriteString(RegistryRoot::CurrentUser, shell::kBackLightKey, shell::kBrightLevelValue, u"3");
    EXPECT_EQ(Model().InitialBackLightEntry(), shell::kDefaultBackLightEntry);
}

TEST_F(ProgramOptionsTest, AcceptWritesTheSelectedLevelAndLeavesAnUnknownOneAlone)
{
    auto model = Model();
    EXPECT_TRUE(model.Accept({}, false, model.InitialBackLightEntry()).brightLevelWritten);
    EXPECT_EQ(StoredLevel(), 2u);

    registry_.WriteDword(RegistryRoot::CurrentUser, shell::kBackLightKey, shell::kBrightLevelValue, 9);
    const shell::OptionsOutcome outcome = model.Accept({}, false, model.InitialBackLightEntry());
    EXPECT_FALSE(outcome.brightLevelWritten);
    EXPECT_EQ(StoredLevel(), 9u);
}

TEST_F(ProgramOptionsTest, TheClockIsSetOnlyWhenAPickerWasEdited)
{
    auto model = Model();
    const LocalDateTime shown{2026, 3, 14, 9, 26, 53, 589};
    shell::OptionsOutcome outcome = model.Accept(shown, false, 1);
    EXPECT_FALSE(outcome.clockChanged);
    EXPECT_TRUE(clock_.calls.empty()) << "an unchanged dialog must not put the clock back";

    outcome = model.Accept(shown, true, 1);
    EXPECT_TRUE(outcome.clockChanged);
    EXPECT_EQ(outcome.clockError, 0);
    ASSERT_EQ(clock_.calls.size(), 1u);
    const LocalDateTime& set = clock_.calls[0];
    EXPECT_EQ(set.year, 2026);
    EXPECT_EQ(set.month, 3);
    EXPECT_EQ(set.day, 14);
    EXPECT_EQ(set.hour, 9);
    EXPECT_EQ(set.minute, 26);
    EXPECT_EQ(set.second, 53);
    EXPECT_EQ(set.millisecond, 0);

    clock_.result = EPERM;
    outcome = model.Accept(shown, true, 1);
    EXPECT_EQ(outcome.clockError, EPERM);
    EXPECT_TRUE(outcome.brightLevelWritten) << "the other settings still apply";
    EXPECT_TRUE(outcome.eventSignalled);
}

TEST_F(ProgramOptionsTest, AcceptSignalsItsOwnEvent)
{
    platform::NamedEvent waiter(eventName_);
    ASSERT_TRUE(waiter.IsOpen());
    EXPECT_TRUE(Model().Accept({}, false, 1).eventSignalled);
    EXPECT_TRUE(waiter.Wait(200));

    shell::ProgramOptionsModel unnamed(registry_, clock_, u"");
    EXPECT_FALSE(unnamed.Accept({}, false, 1).eventSignalled);
}

TEST(SystemClockSetter, RefusesADayTheMonthDoesNotHave)
{
    // Refused before the clock is touched, so this runs without the right to set it.
    EXPECT_EQ(shell::SystemClockSetter().SetLocalTime({2026, 2, 30, 12, 0, 0, 0}), EINVAL);
    EXPECT_EQ(shell::SystemClockSetter().SetLocalTime({2026, 13, 1, 12, 0, 0, 0}), EINVAL);
}

}  // namespace
