#pragma once

// The measurement screen offscreen, on the common services, the real device layer and sensor
// object against the simulated logger run in-process. The test plays the root window: it owns
// the page the screen lives on, shows the screen as the root does and runs the root's device poll;
// the user's answers to message boxes are scripted.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "devicelink/sensor/CNI2CSensor.h"
#include "logger/measure/CMeasurmentDlg.h"
#include "logger/measure/CMeasurSetup1Dlg.h"
#include "logger/notes/CNoteDlg.h"
#include "logger/project/WorkingCopySession.h"
#include "platform/RegistryStore.h"
#include "tests/measure/MeasureTestSupport.h"
#include "tests/support/DevsimFixture.h"
#include "tests/support/LinkHelpers.h"
#include "tests/support/RecordingPage.h"
#include "tests/support/SensorDetection.h"
#include "tests/support/WidgetApp.h"
#include "uikit/button/CButtonST.h"
#include "uikit/common/CVRDCommonBase.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"

namespace measurescreentest {

using measure::CMeasurmentDlg;
using measure::CMeasurSetup1Dlg;
using uikit::CVRDCommonBase;

struct Shown {
    int type = 0;
    QString first;
    QString second;
};

// Runs `act` on the first modal dialog of type Dialog once it is up; gives up after a while.
template <class Dialog>
void WhenModal(std::function<void(Dialog&)> act)
{
    auto* poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, tries, act] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(*dialog);
        } else if (++*tries > 500) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(5);
}

class MeasureScreen : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        EnsureWidgetApp();
        QDir::setCurrent(QStringLiteral(CORVIK_DATA_DIR));
    }

    void Begin(devsim::DeviceOptions options = {})
    {
        sim = std::make_unique<devsim::testing::InProcessDevsim>(options);
        std::string error;
        ASSERT_TRUE(sim->Start(error)) << error;
        sim->PointDriverHere();
        platform::SetProcessRegistry(&registry);
        ASSERT_EQ(CVRDCommonBase::InitGlobals(), 1);
        sensor = CVRDCommonBase::GetSensor();
        ASSERT_NE(sensor, nullptr);
        const QString catalogue = CVRDCommonBase::GetDataDirectory() + QStringLiteral("/sensor_korean.xml");
        ASSERT_EQ(sensor->LoadSensorXml(catalogue.toStdString()), 1);
        ASSERT_EQ(sensor->LoadCatalogue(), 1);

        folder = std::filesystem::temp_directory_path() /
                 ("corvik-measure-screen-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(folder);
        const project::WorkingCopyStart start = project::ProcessWorkingCopy().Begin(
            folder.string(), (folder / "user").string(), project::LocalProjectTime());
        ASSERT_EQ(start.status, project::WorkingCopyStatus::Ready);

        // The user's answers are scripted; notes are edited in the program's note dialog.
        shell::ScreenServices services;
        services.present = [this](QWidget*, int type, const QString& first, const QString& second) {
            shown.push_back({type, first, second});
            return answer;
        };
        services.editNote = notes::EditNoteRecord;
        root = std::make_unique<RecordingPage>();
        root->resize(CMeasurmentDlg::kWidth, CMeasurmentDlg::kHeight);
        root->show();
        CVRDCommonBase::SetScreen(uikit::kSlotRoot, root.get());
        screen = new CMeasurmentDlg(root.get(), services);
    }
    void TearDown() override
    {
        delete screen;
        root.reset();
        CVRDCommonBase::Shutdown();   // the sensor object closes the device
        platform::SetProcessRegistry(nullptr);
        if (sim)
            sim->Stop();
        project::ProcessWorkingCopy().End();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    // Plugs kit sensors and identifies them, as the root window's poll and detection would.
    void Plug(std::initializer_list<std::pair<int, const char*>> sensors)
    {
        uint32_t wanted = 0;
        for (const auto& [c, model] : sensors) {
            sim->Command("plug " + std::to_string(c) + " " + model);
            wanted |= 1u << c;
        }
        Detect(wanted);
    }
    void Detect(uint32_t wanted) { ASSERT_TRUE(corviktest::DetectPluggedSensors(*sensor, wanted)); }
    // As the root window shows a screen.
    void Show()
    {
        screen->show();
        screen->raise();
        uikit::PostScreenMessage(screen, uikit::WM_SCREEN_SHOW);
        ASSERT_TRUE(SpinUntil([&] { return CVRDCommonBase::GetFrontScreen() == screen; }));
    }
    // Clicks the toggles so that exactly `channels` are on.
    void SwitchOn(std::initializer_list<int> channels)
    {
        for (int c = 0; c < 4; ++c) {
            const bool wanted = std::find(channels.begin(), channels.end(), c) != channels.end();
            if (Controller().ChannelOn(c) != wanted)
                Button(CMeasurmentDlg::kChannelA + c).click();
            ASSERT_EQ(Controller().ChannelOn(c), wanted) << c;
        }
    }
    // Opens the set-up dialog with its button, lets `fill` enter values and presses OK.
    void EnterSetUp(const std::function<void(CMeasurSetup1Dlg&)>& fill)
    {
        bool opened = false;
        WhenModal<CMeasurSetup1Dlg>([&](CMeasurSetup1Dlg& dialog) {
            opened = true;
            fill(dialog);
            dialog.OkButton().click();
        });
        Button(CMeasurmentDlg::kMeasureSetup).click();
        ASSERT_TRUE(opened);
    }
    // A timed run's rate in Hz and length in seconds, entered in the set-up dialog.
    void SetRateAndLength(int rate, int length)
    {
        EnterSetUp([&](CMeasurSetup1Dlg& d) {
            d.Edit(CMeasurSetup1Dlg::kRate).setText(QString::number(rate));
            d.Edit(CMeasurSetup1Dlg::kLength).setText(QString::number(length));
        });
    }
    bool WaitIdle(int timeoutMs)
    {
        return SpinUntil([&] { return Controller().IsIdle(); }, timeoutMs);
    }
    void ExpectArraysAsDelivered(int c)
    {
        const devicelink::MeasureSetupHost& h = sensor->acquisitionRequest().host;
        const project::SampleArrays& samples = *screen->SampleData();
        const int32_t n = Run().sampleCount[c];
        for (int32_t i = 0; i < n; ++i) {
            ASSERT_EQ(samples.rawValues[c][i], h.values[c][i]) << c << " " << i;
            ASSERT_EQ(samples.rawTimes[c][i], h.times[c][i]) << c << " " << i;
        }
    }
    bool Told(int textId) const
    {
        const QString text = CVRDCommonBase::LoadText(textId);
        return std::any_of(shown.begin(), shown.end(), [&](const Shown& s) { return s.first == text; });
    }

    measure::MeasureController& Controller() { return screen->Controller(); }
    project::DataSetRecord& Run() { return *screen->GetCurrentRun(); }
    uikit::CButtonST& Button(int id) { return *screen->Button(id); }
    int Used(int series) { return screen->Chart().Series(series)->used; }

    static inline int counter = 0;
    std::unique_ptr<devsim::testing::InProcessDevsim> sim;
    platform::MemoryRegistryStore registry;
    devicelink::CNI2CSensor* sensor = nullptr;
    std::filesystem::path folder;
    std::unique_ptr<RecordingPage> root;
    CMeasurmentDlg* screen = nullptr;
    std::vector<Shown> shown;
    int answer = 1;
};

using measuretest::BytesOf;

}  // namespace measurescreentest
