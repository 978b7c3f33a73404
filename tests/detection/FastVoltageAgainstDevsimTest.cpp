#include "tests/support/DevsimFixture.h"
#include "tests/support/LinkHelpers.h"
#include "tests/support/TestCatalogue.h"

#include "devicelink/conversion/ConversionState.h"
#include "devicelink/sensor/CNI2CSensor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using corviktest::WaitUntil;

constexpr int kProbe = 2;  // the classroom's voltage probe on its 4.5 V sine

// The classroom logger: detection measures the probe's fast-path offset while its sine moves.
class FastVoltageAgainstDevsim : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        sim_ = devsim::testing::ScenarioDevsim("classroom.ini", error);
        ASSERT_TRUE(sim_) << error;
        ASSERT_TRUE(sim_->Start(error)) << error;
        sim_->PointDriverHere();
        sensor_ = std::make_unique<devicelink::CNI2CSensor>();
        ASSERT_EQ(sensor_->LoadSensorXml(corviktest::ProjectCataloguePath()), 1);
        ASSERT_EQ(sensor_->LoadCatalogue(), 1);
    }
    void TearDown() override
    {
        sensor_.reset();
        if (sim_)
            sim_->Stop();
    }

    void Detect()
    {
        int32_t poll = -1;
        ASSERT_TRUE(WaitUntil([&] { return (poll = sensor_->PollSensorState()) == devicelink::kPollPlugged; }, 2000))
            << poll;
        std::u16string text;
        sensor_->DetectSensors(text);
        ASSERT_EQ(sensor_->connected(kProbe), 1);
        ASSERT_EQ(sensor_->GetAdcMode(kProbe), 2);
    }

    // The mean of a run of the probe alone at `rate` per second, through the fast path above
    // 1000 per second as the measurement screen sets it up.
    double RunMean(int32_t rate)
    {
        constexpr int32_t kCount = 200;
        devicelink::ChannelState& state = sensor_->channel(kProbe);
        state.adcFlag = rate > 1000 ? 1 : 0;
        devicelink::AcquisitionPlan plan;
        plan.selection[kProbe] = plan.channelFlags[kProbe] = 1;
        plan.interval = 1000000 / rate;
        plan.lengthSeconds = 1;
        plan.count = kCount;
        sensor_->StartAcquisition(plan);
        const auto& host = sensor_->acquisitionRequest().host;
        const auto count = [&] { return host.counts[kProbe]->load(std::memory_order_acquire); };
        EXPECT_TRUE(WaitUntil([&] { return count() >= kCount; }, 8000)) << count();
        sensor_->StopAcquisition();
        const int32_t n = count();
        if (n <= 0)
            return NAN;
        std::vector<float> values(static_cast<size_t>(n)), times(static_cast<size_t>(n));
        int32_t produced = 0;
        devicelink::ResetConversionState();
        sensor_->ConvertChannelData(kProbe, 0, n, reinterpret_cast<const int32_t*>(host.values[kProbe]),
                                    host.times[kProbe], values.data(), times.data(), 0,
                                    sensor_->FindSensorRecord(&state), &state, &produced);
        EXPECT_EQ(produced, n);
        double sum = 0.0;
        for (int32_t i = 0; i < produced; ++i)
            sum += values[size_t(i)];
        return produced > 0 ? sum / produced : NAN;
    }

    std::unique_ptr<devsim::testing::InProcessDevsim> sim_;
    std::unique_ptr<devicelink::CNI2CSensor> sensor_;
};

// The offset is measured on the moving sine; the runs are then compared on a steady level, so
// that what differs between them is the fast path's correction alone.
TEST_F(FastVoltageAgainstDevsim, FastRunsAgreeWithANormalRunAfterDetectionOnAMovingSignal)
{
    Detect();
    sim_->Command("signal 2 constant value=1.5");
    ASSERT_TRUE(WaitUntil([&] {
        float values[devicelink::kMaxOutputs] = {};
        return sensor_->ReadCurrentValue(kProbe, values) == 1 && std::fabs(values[0] - 1.5f) < 0.01f;
    }, 2000));
    const double normal = RunMean(1000);
    EXPECT_NEAR(normal, 1.5, 0.01);
    for (const int32_t rate : {2000, 10000}) {
        SCOPED_TRACE(rate);
        EXPECT_NEAR(RunMean(rate), normal, 0.01) << "ADC offset " << sensor_->channel(kProbe).adcOffset;
    }
}

}  // namespace
