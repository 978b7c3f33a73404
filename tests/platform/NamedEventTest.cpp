#include "platform/NamedEvent.h"

#include "platform/Event.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

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

namespace {

std::u16string UniqueEventName(const char* what)
{
    return platform::AsciiToUtf16(std::string("corvik-test-") + what + "-" + std::to_string(::getpid()));
}

}  // namespace

TEST(FireNamedEvent, WakesExactlyOneOfTwoWaiters)
{
    const std::u16string name = UniqueEventName("fire-one");
    const std::string utf8 = Utf16ToUtf8(name);
    NamedEvent::Unlink(utf8);
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 2; ++i) {
        waiters.emplace_back([&] {
            NamedEvent event(utf8);
            if (event.Wait(1500))
                ++woken;
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(FireNamedEvent(name.c_str()), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(woken.load(), 1);
    EXPECT_EQ(FireNamedEvent(name), 1);  // and the other one
    for (auto& t : waiters)
        t.join();
    EXPECT_EQ(woken.load(), 2);
    NamedEvent::Unlink(utf8);
}

TEST(FireNamedEvent, RefusesNamesItCannotUse)
{
    EXPECT_EQ(FireNamedEvent(static_cast<const char16_t*>(nullptr)), 0);
    EXPECT_EQ(FireNamedEvent(u""), 0);
    EXPECT_EQ(FireNamedEvent(std::u16string(kMaxEventNameUnits + 1, u'a')), 0);
    // Within the unit limit, but too long for the system once written as UTF-8.
    EXPECT_EQ(FireNamedEvent(std::u16string(kMaxEventSystemNameBytes / 3 + 1, u'\uAC00')), 0);
    // A name without a terminator is read no further than the limit (the sanitizer build would
    // report a read past the buffer).
    auto unterminated = std::make_unique<char16_t[]>(kMaxEventNameUnits + 1);
    std::fill_n(unterminated.get(), kMaxEventNameUnits + 1, u'b');
    EXPECT_EQ(FireNamedEvent(unterminated.get()), 0);
}

TEST(FireNamedEvent, TakesTheLongestNameAndNonAsciiNames)
{
    std::u16string longest = UniqueEventName("longest");
    longest.resize(kMaxEventSystemNameBytes, u'c');
    for (const std::u16string& name : {longest, UniqueEventName("fire") + u"-\uC2E0\uD638"}) {
        const std::string utf8 = Utf16ToUtf8(name);
        NamedEvent::Unlink(utf8);
        NamedEvent waiter(utf8);
        ASSERT_TRUE(waiter.IsOpen());
        EXPECT_EQ(FireNamedEvent(name.c_str()), 1);
        EXPECT_TRUE(waiter.Wait(100));
        NamedEvent::Unlink(utf8);
    }
}
