// The sensor monitor screen, offscreen, on the real device layer and sensor object against the
// simulated logger run in-process. The test plays the root window: it creates the page, shows it
// with WM_SCREEN_SHOW, and runs the status poll and the device-change box as the root does.
#include <string>
#include <vector>

#include <QDir>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include "devicelink/sensor/CNI2CSensor.h"
#include "logger/monitor/CSensorDlg.h"
#include "platform/RegistryStore.h"
#include "platform/Text.h"
#include "tests/support/CommonServicesOnDevsim.h"
#include "tests/support/DevsimFixture.h"
#include "tests/support/LinkHelpers.h"
#include "tests/support/PaintWatch.h"
#include "tests/toolkit/ToolkitTestSupport.h"
#include "tools/devsim/Scenario.h"
#include "uikit/button/CButtonST.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"
#include "uikit/paint/SkinPaint.h"

using monitor::CSensorDlg;
using monitor::MonitorState;
using toolkittest::Spin;
using toolkittest::SpinUntil;
using uikit::CVRDCommonBase;

namespace {

// Counts the pixels near a colour (0x00BBGGRR) in a rectangle of the picture.
int PixelsOf(const QImage& image, uint32_t colour, const QRect& area)
{
    const QColor wanted = uikit::ColorFromRef(colour);
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - wanted.red()) < 40 && std::abs(c.green() - wanted.green()) < 40 &&
                std::abs(c.blue() - wanted.blue()) < 40)
                ++count;
        }
    }
    return count;
}

// The pixels of the no-sensor notice in its strip.
int StripPixels(const QImage& image)
{
    return PixelsOf(image, 0x1482E6, QRect(0, 450, 800, 60));
}

class MonitorScreen : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        EnsureWidgetApp();
        QDir::setCurrent(QStringLiteral(CORVIK_DATA_DIR));
    }

    // `scenario` names a file of resources/devsim, or nothing for a logger without sensors.
    void Begin(const std::string& scenario)
    {
        devsim::Scenario s;
        std::string error;
        sim = devsim::testing::ScenarioDevsim(scenario, error, &s);
        ASSERT_TRUE(sim) << error;
        ASSERT_TRUE(sim->Start(error)) << error;
        sim->PointDriverHere();
        platform::SetProcessRegistry(&registry);
        sensor = corviktest::StartServicesWithCatalogue();
        ASSERT_NE(sensor, nullptr);
        uint32_t plugged = 0;
        for (int c = 0; c < 4; ++c)
            plugged |= s.channels[c] ? 1u << c : 0u;
        if (plugged != 0)
            Detect(plugged);

        root = std::make_unique<toolkittest::RecordingPage>();
        root->resize(800, 600);
        root->show();
        CVRDCommonBase::SetScreen(uikit::kSlotRoot, root.get());
        monitor = new CSensorDlg(root.get());
    }
    void TearDown() override
    {
        delete monitor;
        root.reset();
        CVRDCommonBase::Shutdown();  // the sensor object closes the device
        platform::SetProcessRegistry(nullptr);
        if (sim)
            sim->Stop();
    }

    // Waits until the channels of `wanted` are present and ready, and identifies them.
    void Detect(uint32_t wanted) { ASSERT_TRUE(corviktest::DetectPluggedSensors(*sensor, wanted)); }
    // As the root window shows a screen.
    void Show()
    {
        monitor->show();
        monitor->raise();
        CVRDCommonBase::SetFrontScreen(monitor);
        uikit::PostScreenMessage(monitor, uikit::WM_SCREEN_SHOW);
    }
    bool WaitForPasses(uint64_t passes, int timeoutMs = 3000)
    {
        return SpinUntil([&] { return monitor->Monitor().PassCount() >= passes; }, timeoutMs);
    }
    // The root window's device poll: on a change the front activity stops, the device-change box
    // runs detection, and the front screen is told to refresh. False when no change came.
    bool PollAsTheRootDoes(int timeoutMs)
    {
        int32_t result = devicelink::kPollNoChange;
        const bool changed = SpinUntil([&] {
            result = sensor->PollSensorState();
            return result == devicelink::kPollPlugged || result == devicelink::kPollRemoved ||
                   result == devicelink::kPollNotReady;
        }, timeoutMs);
        if (!changed)
            return false;
        // A sensor that is present but not ready yet is asked again at the next poll.
        if (result == devicelink::kPollNotReady)
            return PollAsTheRootDoes(timeoutMs);
        monitor->StopMonitor();
        CVRDCommonBase::RunMessageBox(root.get(), result == devicelink::kPollRemoved ? 1 : 0);
        uikit::PostScreenMessage(monitor, uikit::WM_SCREEN_REFRESH);
        return true;
    }
    std::vector<int> ShownChannels() const
    {
        const monitor::SlotMap& map = monitor->Monitor().Pass().Slots();
        return std::vector<int>(map.channel.begin(), map.channel.begin() + map.count);
    }
    QString PanelText(int channel) const
    {
        const monitor::PanelTexts& t = monitor->Monitor().Pass().Panel(channel).texts;
        return QString::fromStdU16String(t.lines == 1 ? t.single : t.values[0]);
    }
    void SavePicture(const char* name)
    {
        const QString folder = QStringLiteral(CORVIK_BINARY_DIR "/pictures");
        QDir().mkpath(folder);
        ASSERT_TRUE(monitor->grab().save(folder + QLatin1Char('/') + QLatin1String(name)));
    }

    std::unique_ptr<devsim::testing::InProcessDevsim> sim;
    platform::MemoryRegistryStore registry;
    devicelink::CNI2CSensor* sensor = nullptr;
    std::unique_ptr<toolkittest::RecordingPage> root;
    CSensorDlg* monitor = nullptr;
};

TEST_F(MonitorScreen, TheClassroomIsShownAndAStopEndsEveryPass)
{
    Begin("classroom.ini");
    Show();
    ASSERT_TRUE(WaitForPasses(2, 10000));
    EXPECT_EQ(ShownChannels(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_TRUE(monitor->SetupButton().isEnabled());
    EXPECT_TRUE(monitor->CalibrationButton().isEnabled());
    for (int c = 0; c < 4; ++c)
        EXPECT_FALSE(PanelText(c).isEmpty()) << c;

    // A wake-up the thread posted is still queued when the root stops the monitor.
    uikit::PostScreenMessage(monitor, uikit::WM_MONITOR_DATA, qint64(monitor->Monitor().Generation()));
    const uint64_t passes = monitor->Monitor().PassCount();
    const QString before = PanelText(1);
    // The stop ends the logger's run and the waiting thread before it returns.
    monitor->StopMonitor();
    EXPECT_EQ(sensor->IsRunning(), 0);
    EXPECT_FALSE(monitor->Monitor().WaiterRunning());
    Spin(400);
    EXPECT_EQ(monitor->Monitor().PassCount(), passes);
    EXPECT_EQ(PanelText(1), before);
}

TEST_F(MonitorScreen, PlugAndPullReachThePanelsThroughThePollAndDetection)
{
    Begin("classroom.ini");
    Show();
    ASSERT_TRUE(WaitForPasses(1));

    sim->Command("pull 2");
    ASSERT_TRUE(PollAsTheRootDoes(3000));
    uint64_t passes = monitor->Monitor().PassCount();
    ASSERT_TRUE(SpinUntil([&] { return monitor->Monitor().PassCount() > passes && ShownChannels().size() == 3; },
                          3000));
    EXPECT_EQ(ShownChannels(), (std::vector<int>{0, 1, 3}));

    sim->Command("plug 2 N56");
    ASSERT_TRUE(PollAsTheRootDoes(3000));
    passes = monitor->Monitor().PassCount();
    ASSERT_TRUE(SpinUntil([&] { return monitor->Monitor().PassCount() > passes && ShownChannels().size() == 4; },
                          3000));
    EXPECT_EQ(ShownChannels(), (std::vector<int>{0, 1, 2, 3}));
    const monitor::PanelTexts& vector = monitor->Monitor().Pass().Panel(2).texts;
    EXPECT_EQ(vector.lines, 4);  // the three components and their length
    EXPECT_FALSE(vector.values[3].empty());
}

TEST_F(MonitorScreen, WithoutASensorTheSetupButtonsAreOffAndTheStripBlinks)
{
    Begin("");
    Show();
    ASSERT_TRUE(SpinUntil([&] { return monitor->Monitor().State() == MonitorState::WaitingForSensor; }, 1000));
    EXPECT_FALSE(monitor->SetupButton().isEnabled());
    EXPECT_FALSE(monitor->CalibrationButton().isEnabled());

    // The strip is drawn on the page itself, and only the timer flips it: painting twice shows
    // the same phase.
    ASSERT_TRUE(SpinUntil([&] { return monitor->Monitor().BlinkOn(); }, 1000));
    const QImage on = monitor->grab().toImage();
    EXPECT_GT(StripPixels(on), 200);
    if (monitor->Monitor().BlinkOn()) {
        EXPECT_EQ(StripPixels(monitor->grab().toImage()), StripPixels(on));
    }
    ASSERT_TRUE(SpinUntil([&] { return !monitor->Monitor().BlinkOn(); }, 1000));
    EXPECT_EQ(StripPixels(monitor->grab().toImage()), 0);
    ASSERT_TRUE(SpinUntil([&] { return monitor->Monitor().BlinkOn(); }, 1000));
    SavePicture("monitor_no_sensor.png");
}

TEST_F(MonitorScreen, InServiceModeAPassRepaintsEveryPanel)
{
    Begin("classroom.ini");
    CVRDCommonBase::SetByteSetting(1);
    Show();
    ASSERT_TRUE(WaitForPasses(1));
    Spin(50);
    PaintWatch watch;
    monitor->installEventFilter(&watch);
    const uint64_t passes = monitor->Monitor().PassCount();
    ASSERT_TRUE(WaitForPasses(passes + 1));
    Spin(50);
    monitor->removeEventFilter(&watch);
    for (const monitor::Edges& r : monitor::kPanelRects) {
        EXPECT_TRUE(watch.painted.contains(uikit::RectFromEdges(r.left, r.top, r.right, r.bottom)))
            << r.left << "," << r.top;
    }
    CVRDCommonBase::SetByteSetting(0);
}

TEST_F(MonitorScreen, EscapeFromTheKeyFilterPausesAndResumes)
{
    Begin("classroom.ini");
    Show();
    ASSERT_TRUE(WaitForPasses(1));
    uikit::PostScreenMessage(monitor, uikit::WM_KEY_ESCAPE);
    ASSERT_TRUE(SpinUntil([&] { return monitor->Monitor().Paused(); }, 1000));
    EXPECT_EQ(sensor->IsRunning(), 0);
    EXPECT_FALSE(monitor->SetupButton().isEnabled());
    uikit::PostScreenMessage(monitor, uikit::WM_KEY_ESCAPE);
    ASSERT_TRUE(SpinUntil([&] { return monitor->Monitor().State() == MonitorState::Running; }, 1000));
    EXPECT_EQ(sensor->IsRunning(), 1);
    EXPECT_TRUE(monitor->SetupButton().isEnabled());
}

TEST_F(MonitorScreen, TheSavingIndicatorIsDrawnInServiceModeOnly)
{
    Begin("");
    Show();
    const QRect indicator(200, 35, 110, 20);
    const uint32_t colour = 0xDE3431;
    QTest::keyClick(monitor, Qt::Key_Up);
    EXPECT_FALSE(monitor->FileSavingShown());
    CVRDCommonBase::SetByteSetting(1);
    QTest::keyClick(monitor, Qt::Key_Up);
    EXPECT_TRUE(monitor->FileSavingShown());
    EXPECT_GT(PixelsOf(monitor->grab().toImage(), colour, indicator), 20);
    QTest::keyClick(monitor, Qt::Key_Up);
    EXPECT_FALSE(monitor->FileSavingShown());
    EXPECT_EQ(PixelsOf(monitor->grab().toImage(), colour, indicator), 0);
    CVRDCommonBase::SetByteSetting(0);
}

TEST_F(MonitorScreen, ANameStripOpensTheSensorsPageAndNothingOutsideTheSensorsFolder)
{
    Begin("classroom.ini");
    Show();
    ASSERT_TRUE(WaitForPasses(1));
    QTest::mouseClick(monitor, Qt::LeftButton, {}, QPoint(150, 80));
    Spin(20);
    ASSERT_EQ(root->codes.size(), 1u);
    EXPECT_EQ(root->codes[0], uikit::WM_SHOW_HTML);
    const QString expected = QDir(CVRDCommonBase::GetDataDirectory()).filePath(QStringLiteral("Sensors/N2H.html"));
    EXPECT_EQ(QDir::cleanPath(root->texts[0]), QDir::cleanPath(expected));

    // An adapter's memory names a page outside the folder.
    platform::CopyToField(sensor->channel(1).infoFile, u"../sensor_korean.xml");
    QTest::mouseClick(monitor, Qt::LeftButton, {}, QPoint(550, 80));
    // Pressed on one panel, released on another.
    QTest::mousePress(monitor, Qt::LeftButton, {}, QPoint(150, 80));
    QTest::mouseRelease(monitor, Qt::LeftButton, {}, QPoint(150, 360));
    Spin(20);
    EXPECT_EQ(root->codes.size(), 1u);
}

TEST_F(MonitorScreen, TheSetupButtonStopsTheLoggerWhileItsDialogIsOpen)
{
    Begin("classroom.ini");
    int runningDuringDialog = -1;
    bool waiterDuringDialog = true;
    monitor->SetSetupDialogRunner([&](const monitor::SetupRequest&) {
        runningDuringDialog = sensor->IsRunning();
        waiterDuringDialog = monitor->Monitor().WaiterRunning();
        return monitor::kDialogCancel;
    });
    Show();
    ASSERT_TRUE(WaitForPasses(1));
    monitor->SetupButton().click();
    EXPECT_EQ(runningDuringDialog, 0);
    EXPECT_FALSE(waiterDuringDialog);
    EXPECT_EQ(sensor->IsRunning(), 1);
    const uint64_t passes = monitor->Monitor().PassCount();
    EXPECT_TRUE(WaitForPasses(passes + 1));
}

TEST_F(MonitorScreen, PictureOfFourSensors)
{
    // The heaviest conversions side by side: position, humidity, pressure, the three-axis vector.
    Begin("");
    for (const char* plug : {"plug 0 N24", "plug 1 R97", "plug 2 N11", "plug 3 N56"})
        sim->Command(plug);
    Detect(0xF);
    for (int c = 0; c < 4; ++c)
        ASSERT_EQ(sensor->connected(c), 1) << c;
    Show();
    ASSERT_TRUE(WaitForPasses(3));
    Spin(100);
    EXPECT_EQ(ShownChannels(), (std::vector<int>{0, 1, 2, 3}));
    SavePicture("monitor_four_sensors.png");
}

}  // namespace
