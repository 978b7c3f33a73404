#pragma once

// What the help viewer and options dialog tests share: the widget application in the data
// directory (where the resource modules and the help pages are), the common services on an
// in-memory registry, and a root window in slot 0 that keeps the codes it is sent.

#include "tests/support/RecordingPage.h"
#include "tests/support/WidgetApp.h"

#include "platform/RegistryStore.h"
#include "uikit/common/CVRDCommonBase.h"

#include <QDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

namespace helptest {

using ::Spin;
using ::SpinUntil;

// A name for the test's own event, so that no suite running beside it shares the signal.
inline std::string UniqueEventName(const char* what)
{
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string("corvik-") + what + "-" + (test ? test->name() : "none") + "-" + std::to_string(::getpid());
}

class WidgetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        EnsureWidgetApp();
        QDir::setCurrent(QStringLiteral(CORVIK_DATA_DIR));
    }
    void SetUp() override
    {
        platform::SetProcessRegistry(&registry_);
        ASSERT_EQ(uikit::CVRDCommonBase::InitGlobals(StartServices()), 1);
        root_.resize(800, 600);
        uikit::CVRDCommonBase::SetScreen(uikit::kSlotRoot, &root_);
    }
    void TearDown() override
    {
        uikit::CVRDCommonBase::Shutdown();
        platform::SetProcessRegistry(nullptr);
    }
    // The common services the suite starts with: the program's unless it adds its own.
    virtual uikit::CommonServices StartServices() { return {}; }
    static QString DataPath(const QString& name) { return QStringLiteral(CORVIK_DATA_DIR "/") + name; }

    platform::MemoryRegistryStore registry_;
    RecordingPage root_;
};

}  // namespace helptest
