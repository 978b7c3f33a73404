// The host program of the add-in's suites is a Qt program, as the stand-in host is: its main
// thread is the host thread and runs the event loop that work from other threads comes by.
#include "tests/support/WidgetApp.h"

#include <gtest/gtest.h>

namespace {

class QtHostEnvironment : public ::testing::Environment {
public:
    void SetUp() override { EnsureWidgetApp(); }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new QtHostEnvironment);

}  // namespace
