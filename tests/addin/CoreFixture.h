#pragma once

#include "AddInTestSupport.h"
#include "tests/support/DevsimFixture.h"
#include "tests/support/LinkHelpers.h"

#include "addin/AddInDialogs.h"
#include "addin/AddInLifetime.h"
#include "addin/device/CorvikApi.h"
#include "addin/WorkbookSession.h"

// The add-in's parts linked into the test, which is their host, against the simulated logger
// with a temperature probe on channel A.
namespace addintest {

class CoreDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetDataFolder(BuildShare());
        std::string error;
        ASSERT_TRUE(sim_.Start(error)) << error;
        sim_.PointDriverHere();
        ASSERT_TRUE(sim_.Plug(0, "N2H constant value=21.5"));
    }
    void TearDown() override
    {
        addin::ShutDown(true);
        addin::device::CorvikApiClose();
        addin::InstallDialogs(nullptr);
        sim_.Stop();
    }
    static std::string Catalogue() { return (BuildShare() / "sensor_korean.xml").string(); }

    xlhost::Host host_;
    devsim::testing::InProcessDevsim sim_;
};

}  // namespace addintest
