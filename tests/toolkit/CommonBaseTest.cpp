#include "ToolkitTestSupport.h"

#include "logger/project/ExperimentRecords.h"
#include "uikit/chart/ChartSeries.h"
#include "uikit/common/ExperimentSource.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"
#include "uikit/registry/RegistryValues.h"
#include "uikit/resources/ResourceModule.h"

#include <QPointer>
#include <QWidget>

#include <cstring>
#include <vector>

namespace {

using uikit::CVRDCommonBase;
using platform::RegistryRoot;

using Page = toolkittest::RecordingPage;

// The measurement screen as the readers of its recording see it.
class MeasurementPage : public Page, public uikit::ExperimentSource {
public:
    project::ExperimentBlock* ExperimentData() override { return &block; }
    project::SampleArrays* SampleData() override { return samples; }
    project::ExperimentBlock block{};
    project::SampleArrays* samples = reinterpret_cast<project::SampleArrays*>(this);  // only compared
};

// A store whose writes all fail (a read-only configuration folder).
class ReadOnlyStore : public platform::MemoryRegistryStore {
protected:
    bool Put(RegistryRoot, const std::string&, const std::string&, const Value*) override { return false; }
};

using CommonBaseTest = toolkittest::CommonServicesTest;

TEST_F(CommonBaseTest, FirstStartCreatesFullScreenAsZeroAndTheSettingWaitsForTheNextStart)
{
    uint32_t value = 7;
    ASSERT_TRUE(registry_.ReadDword(RegistryRoot::LocalMachine, uikit::kPlovexKey, "FullScreen", value));
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(CVRDCommonBase::GetFullScreen(), 0);

    EXPECT_EQ(CVRDCommonBase::SetFullScreen(1), 1);
    EXPECT_EQ(CVRDCommonBase::GetFullScreen(), 0);
    CVRDCommonBase::Shutdown();
    ASSERT_EQ(CVRDCommonBase::InitGlobals(StartServices()), 1);
    EXPECT_EQ(CVRDCommonBase::GetFullScreen(), 1);
}

TEST_F(CommonBaseTest, SetFullScreenReportsAFailedWrite)
{
    ReadOnlyStore store;
    platform::SetProcessRegistry(&store);
    EXPECT_EQ(CVRDCommonBase::SetFullScreen(1), 0);
    EXPECT_EQ(CVRDCommonBase::RegWriteDword(RegistryRoot::CurrentUser, "ControlPanel\\BackLight", "BrightLevel", 3), 0);
    platform::SetProcessRegistry(&registry_);
}

TEST_F(CommonBaseTest, RegistryReadsAreBoundByTheCallersBuffer)
{
    registry_.WriteDword(RegistryRoot::CurrentUser, "ControlPanel\\BackLight", "BrightLevel", 0x11223344);
    registry_.WriteString(RegistryRoot::CurrentUser, "Software\\Trevasco", "CORVIKWORKPATH", u"abc");
    registry_.WriteBinary(RegistryRoot::CurrentUser, "Software\\Trevasco", "Blob", std::vector<uint8_t>(10, 0xAB));

    uint8_t buffer[16];
    struct Row {
        const char* key;
        const char* name;
        size_t size;
        int result;
    };
    const Row rows[] = {
        {"ControlPanel\\BackLight", "BrightLevel", 4, 1},
        {"ControlPanel\\BackLight", "BrightLevel", 2, 0},   // a 32-bit value into 2 bytes
        {"Software\\Trevasco", "CORVIKWORKPATH", 8, 1},     // "abc" and its terminator
        {"Software\\Trevasco", "CORVIKWORKPATH", 6, 0},
        {"Software\\Trevasco", "Blob", 16, 1},
        {"Software\\Trevasco", "Blob", 8, 0},
        {"Software\\Trevasco", "Missing", 16, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.name) + " into " + std::to_string(r.size));
        std::memset(buffer, 0xCD, sizeof buffer);
        EXPECT_EQ(CVRDCommonBase::RegReadValue(RegistryRoot::CurrentUser, r.key, r.name, buffer, r.size), r.result);
        // Nothing beyond the buffer, and nothing at all on failure.
        for (size_t i = r.result == 1 ? r.size : 0; i < sizeof buffer; ++i)
            ASSERT_EQ(buffer[i], 0xCD) << i;
    }
    uint32_t level = 0;
    ASSERT_EQ(CVRDCommonBase::RegReadValue(RegistryRoot::CurrentUser, "ControlPanel\\BackLight", "BrightLevel", &level,
                                           sizeof level),
              1);
    EXPECT_EQ(level, 0x11223344u);
}

TEST_F(CommonBaseTest, OnlySlotsZeroToFiveAct)
{
    Page root, projects, stray;
    CVRDCommonBase::SetScreen(0, &root);
    CVRDCommonBase::SetScreen(1, &projects);
    CVRDCommonBase::SetScreen(6, &stray);
    CVRDCommonBase::SetScreen(-1, &stray);
    EXPECT_EQ(CVRDCommonBase::GetScreen(6), nullptr);
    EXPECT_EQ(CVRDCommonBase::GetScreen(-1), nullptr);
    for (int index : {2, 5, 6, -1, 100})
        EXPECT_EQ(CVRDCommonBase::PostToScreen(index, uikit::WM_SCREEN_SHOW), 0) << index;
    EXPECT_EQ(CVRDCommonBase::PostToScreen(0, uikit::WM_GOTO_ANALYSIS), 1);
    EXPECT_EQ(CVRDCommonBase::PostToScreen(1, uikit::WM_SCREEN_SHOW), 1);
    ASSERT_TRUE(toolkittest::SpinUntil([&] { return !root.codes.empty() && !projects.codes.empty(); }));
    EXPECT_EQ(root.codes, std::vector<int>{uikit::WM_GOTO_ANALYSIS});
    EXPECT_TRUE(stray.codes.empty());

    // A screen that is deleted leaves its slot empty, not dangling.
    {
        Page shortLived;
        CVRDCommonBase::SetScreen(4, &shortLived);
    }
    EXPECT_EQ(CVRDCommonBase::GetScreen(4), nullptr);
    EXPECT_EQ(CVRDCommonBase::PostToScreen(4, uikit::WM_SCREEN_SHOW), 0);
}

TEST_F(CommonBaseTest, FrontScreenIsHiddenWithItsMessage)
{
    Page front;
    front.show();
    CVRDCommonBase::SetFrontScreen(&front);
    CVRDCommonBase::HideFrontScreen();
    EXPECT_FALSE(front.isVisible());
    ASSERT_TRUE(toolkittest::SpinUntil([&] { return !front.codes.empty(); }));
    EXPECT_EQ(front.codes[0], uikit::WM_SCREEN_HIDE);
}

TEST_F(CommonBaseTest, RecordingIsReachedThroughSlotThreeOnly)
{
    EXPECT_EQ(CVRDCommonBase::GetExperimentBlock(), nullptr);
    Page plain;
    CVRDCommonBase::SetScreen(3, &plain);
    EXPECT_EQ(CVRDCommonBase::GetExperimentSource(), nullptr);
    EXPECT_EQ(CVRDCommonBase::GetSampleArrays(), nullptr);
    MeasurementPage measurement;
    CVRDCommonBase::SetScreen(4, &measurement);
    EXPECT_EQ(CVRDCommonBase::GetExperimentBlock(), nullptr);
    CVRDCommonBase::SetScreen(3, &measurement);
    EXPECT_EQ(CVRDCommonBase::GetExperimentBlock(), &measurement.block);
    EXPECT_EQ(CVRDCommonBase::GetSampleArrays(), measurement.samples);
}

TEST_F(CommonBaseTest, ServicesLiveFromInitGlobalsToShutdown)
{
    EXPECT_NE(CVRDCommonBase::GetWorkBuffer(), nullptr);
    EXPECT_NE(CVRDCommonBase::GetWorkBuffer2(), CVRDCommonBase::GetWorkBuffer());
    EXPECT_EQ(CVRDCommonBase::GetDataDirectory(), QDir::currentPath());
    EXPECT_NE(CVRDCommonBase::GetLanguageModule(), nullptr);
    EXPECT_NE(CVRDCommonBase::GetBitmapModule(), nullptr);
    EXPECT_FALSE(CVRDCommonBase::LoadText(2034, 32).isEmpty());
    devicelink::CNI2CSensor* sensor = CVRDCommonBase::GetSensor();
    ASSERT_NE(sensor, nullptr);
    EXPECT_EQ(CVRDCommonBase::GetSensor(), sensor);  // one per process
    CVRDCommonBase::SetByteSetting(0x1FF);
    EXPECT_EQ(CVRDCommonBase::GetByteSetting(), 0xFF);

    uikit::ChartSeries* table[uikit::kChartSeriesCount] = {};
    EXPECT_EQ(CVRDCommonBase::GetBlockTable(table), 1);
    EXPECT_EQ(table[7], uikit::SharedChartSeries(7));

    CVRDCommonBase::Shutdown();
    EXPECT_FALSE(CVRDCommonBase::IsInitialised());
    EXPECT_EQ(CVRDCommonBase::GetWorkBuffer(), nullptr);
    EXPECT_FALSE(uikit::LanguageModule().IsLoaded());
    EXPECT_EQ(api_.closes, 1);  // the sensor object went, and closed the device
}

TEST_F(CommonBaseTest, ShutdownLeavesTheSharedSeriesAsNew)
{
    uikit::ChartSeries* table[uikit::kChartSeriesCount] = {};
    CVRDCommonBase::GetBlockTable(table);
    ASSERT_TRUE(uikit::AllocateSeriesBuffers(*table[5], 1000));
    table[5]->used = 300;
    table[5]->colour = 0x00FF00;
    table[5]->state = 3;
    table[5]->name[0] = u'P';
    table[20]->hasData = 1;

    CVRDCommonBase::Shutdown();
    ASSERT_EQ(CVRDCommonBase::InitGlobals(StartServices()), 1);
    for (uikit::ChartSeries* s : table) {
        EXPECT_FALSE(s->HasBuffers());
        EXPECT_EQ(s->used, 0);
        EXPECT_EQ(s->colour, 0u);
        EXPECT_EQ(s->state, 0);
        EXPECT_EQ(s->hasData, 0);
        EXPECT_EQ(s->name[0], u'\0');
    }
}

TEST_F(CommonBaseTest, StartUpWithoutMemoryForTheWorkBuffersFails)
{
    CVRDCommonBase::Shutdown();
    int calls = 0;
    uikit::CommonServices services = StartServices();
    services.allocateWorkBuffer = [&calls](size_t) -> std::unique_ptr<float[]> {
        return ++calls == 1 ? std::make_unique<float[]>(16) : nullptr;
    };
    EXPECT_EQ(CVRDCommonBase::InitGlobals(services), 0);
    EXPECT_FALSE(CVRDCommonBase::IsInitialised());
    EXPECT_EQ(CVRDCommonBase::GetWorkBuffer(), nullptr);  // none half-made
    EXPECT_FALSE(CVRDCommonBase::LoadText(uikit::kTextNoMemory).isEmpty());  // what the user is told
    EXPECT_EQ(CVRDCommonBase::InitGlobals(StartServices()), 1);
}

TEST_F(CommonBaseTest, NoSensorObjectWhenItCannotBeMade)
{
    Restart([](uikit::CommonServices& services) {
        services.makeSensor = []() -> std::unique_ptr<devicelink::CNI2CSensor> { throw std::bad_alloc(); };
    });
    EXPECT_EQ(CVRDCommonBase::GetSensor(), nullptr);
    EXPECT_EQ(CVRDCommonBase::ResetChannelStates(), 0);
}

}  // namespace
