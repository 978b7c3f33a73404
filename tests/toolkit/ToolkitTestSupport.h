#pragma once

// What the toolkit suites share: the widget application in the data directory (where the
// resource modules are found), the process's registry in memory, a sensor object on a scripted
// fake logger, and waiting while the event loop runs.

#include "tests/support/RecordingDeviceApi.h"
#include "tests/support/RecordingPage.h"
#include "tests/support/WidgetApp.h"

#include "devicelink/sensor/CNI2CSensor.h"
#include "platform/RegistryStore.h"
#include "platform/Text.h"
#include "uikit/common/CVRDCommonBase.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/msgbox/CMessageBoxDlg.h"

#include <QCoreApplication>
#include <QDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace toolkittest {

using ::RecordingPage;
using ::Spin;
using ::SpinUntil;

// The common services started as the root window starts them, on a fake logger.
class CommonServicesTest : public ::testing::Test {
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
    }
    void TearDown() override
    {
        uikit::CVRDCommonBase::Shutdown();
        platform::SetProcessRegistry(nullptr);
    }
    // What a suite adds to the services the common state starts with.
    virtual void AddServices(uikit::CommonServices&) {}
    // The sensor object on the fake logger, with the suite's additions.
    uikit::CommonServices StartServices()
    {
        uikit::CommonServices services;
        services.makeSensor = [this] { return std::make_unique<devicelink::CNI2CSensor>(api_); };
        AddServices(services);
        return services;
    }
    // The common state started again with the suite's services changed (a new sensor object).
    void Restart(const std::function<void(uikit::CommonServices&)>& change)
    {
        uikit::CommonServices services = StartServices();
        change(services);
        uikit::CVRDCommonBase::Shutdown();
        ASSERT_EQ(uikit::CVRDCommonBase::InitGlobals(std::move(services)), 1);
    }
    devicelink::CNI2CSensor& Sensor() { return *uikit::CVRDCommonBase::GetSensor(); }
    // Channel c as detection leaves an identified sensor.
    void Connect(int c, const char16_t* name)
    {
        Sensor().connected(c) = 1;
        Sensor().lastPresence(c) = 1;
        platform::CopyToField(Sensor().channel(c).name, name);
    }

    platform::MemoryRegistryStore registry_;
    corviktest::RecordingDeviceApi api_;
};

}  // namespace toolkittest
