// FireEvent and FireEvent2 as another process finds them: by name among the program's exports.

#include "HelpOptionsTestSupport.h"

#include "logger/EventExports.h"
#include "platform/NamedEvent.h"
#include "platform/Text.h"

#include <dlfcn.h>

namespace {

using FireFunction = int (*)(const char16_t*);

TEST(EventExports, BothExportsWakeAWaiterOnTheirNameAndRefuseNone)
{
    for (const char* symbol : {"FireEvent", "FireEvent2"}) {
        SCOPED_TRACE(symbol);
        const auto fire = reinterpret_cast<FireFunction>(dlsym(RTLD_DEFAULT, symbol));
        ASSERT_NE(fire, nullptr) << "not exported under its C name";
        const std::string name = helptest::UniqueEventName(symbol);
        platform::NamedEvent::Unlink(name);
        platform::NamedEvent waiter(name);
        ASSERT_TRUE(waiter.IsOpen());
        EXPECT_NE(fire(platform::Utf8ToUtf16(name).c_str()), 0);
        EXPECT_TRUE(waiter.Wait(500));
        EXPECT_FALSE(waiter.Wait(20));
        EXPECT_EQ(fire(nullptr), 0);
        EXPECT_EQ(fire(std::u16string(platform::kMaxEventNameUnits + 1, u'n').c_str()), 0);
        platform::NamedEvent::Unlink(name);
    }
}

}  // namespace
