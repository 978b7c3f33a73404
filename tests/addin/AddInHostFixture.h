#pragma once

#include "AddInTestSupport.h"
#include "tests/support/DevsimFixture.h"
#include "tests/support/LinkHelpers.h"

#include <memory>

// The real libVRDExcelAddInApp.so in a stand-in host, with the simulated logger in-process.
namespace addintest {

// A port of 127.0.0.1 nothing listens on: the driver finds no logger there.
inline uint16_t ClosedPort()
{
    devsim::testing::InProcessDevsim probe;
    std::string error;
    if (!probe.Start(error))
        return 1;
    const uint16_t port = probe.Port();
    probe.Stop();
    return port;
}

class AddInHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetDataFolder(BuildShare());
        // Never the logger's own port: a test without the simulated logger finds none.
        devsim::testing::PointDriverAt(ClosedPort());
        host_ = std::make_unique<xlhost::Host>();
        std::string error;
        ASSERT_TRUE(host_->LoadAddIn(CORVIK_ADDIN_LIBRARY, error)) << error;
    }
    void TearDown() override
    {
        if (host_->AddIn()) {
            Command("xlAutoClose");
            host_->UnloadAddIn();
        }
        // Every host allocation went back, nothing was freed twice, no call came from another thread.
        EXPECT_EQ(host_->Ledger().Live(), 0u);
        EXPECT_EQ(host_->Ledger().BadFrees(), 0u);
        EXPECT_EQ(host_->ForeignThreadCalls(), 0u);
    }

    int Command(const char* name) { return host_->AddIn()->Command(name).value_or(-999); }
    int Call(const char* name, const std::vector<int>& arguments = {})
    {
        return host_->AddIn()->Call(name, arguments).value_or(-999);
    }
    HostOperand* CallOperands(const char* name, const std::vector<HostOperand*>& arguments)
    {
        return host_->AddIn()->CallOperands(name, arguments).value_or(nullptr);
    }
    std::vector<std::string> Alerts() const { return AlertTexts(*host_); }
    std::string Text(int32_t row, int32_t column) const { return CellText(*host_, row, column); }
    std::optional<double> Number(int32_t row, int32_t column) const { return host_->Cells().NumberAt(row, column); }

    std::unique_ptr<xlhost::Host> host_;
};

// With the simulated logger: a temperature probe on channel A, the others empty unless a test
// plugs more.
class AddInDeviceTest : public AddInHostTest {
protected:
    void SetUp() override
    {
        AddInHostTest::SetUp();
        std::string error;
        ASSERT_TRUE(sim_.Start(error)) << error;
        sim_.PointDriverHere();
        ASSERT_TRUE(sim_.Plug(0, "N2H constant value=21.5"));
    }
    void TearDown() override
    {
        AddInHostTest::TearDown();  // closes the add-in's device before the logger goes
        sim_.Stop();
    }
    // Opens the device and detects the sensors, as a workbook does first.
    void OpenAndDetect()
    {
        ASSERT_EQ(Call("PvExcelInit"), 1);
        ASSERT_EQ(Call("PvExcelSensorDetection", {100, 1}), 1);
    }

    devsim::testing::InProcessDevsim sim_;
};

}  // namespace addintest
