#include "platform/NamedEvent.h"

#include "platform/Event.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace platform;

TEST(NamedEvent, SignalSaturatesAtOnePending)
{
    const std::string name = "PowerManager/ReloadActivityTimeouts-test-" + std::to_string(::getpid());
    EXPECT_EQ(NamedEvent::SystemName("PowerManager/ReloadActivityTimeouts"), "/PowerManager_ReloadActivityTimeouts");
    NamedEvent::Unlink(name);
    NamedEvent signaller(name);
    NamedEvent waiter(name);  // another handle on the same event, as another process would hold
    ASSERT_TRUE(signaller.IsOpen());
    EXPECT_FALSE(waiter.Wait(10));
    EXPECT_TRUE(signaller.Signal());
    EXPECT_TRUE(signaller.Signal());
    EXPECT_TRUE(waiter.Wait(100));
    EXPECT_FALSE(waiter.Wait(10)) << "two signals before a wait leave one pending, as an auto-reset event";
    EXPECT_TRUE(signaller.Signal());
    EXPECT_TRUE(waiter.Wait(kInfinite));
    NamedEvent::Unlink(name);
}
