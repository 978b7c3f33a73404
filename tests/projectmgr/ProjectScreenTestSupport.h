#pragma once

// The project manager screen on the common services as the program starts them, with a stand-in
// for the measurement screen in slot 3 (its block, samples, working project and chart series),
// a recording root window in slot 0, and the user's answers scripted: what the message box, the
// file dialogs and the note dialog would have answered.

#include <QCoreApplication>
#include <QDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "devicelink/sensor/CNI2CSensor.h"
#include "logger/project/ProjectFile.h"
#include "logger/projectmgr/CProjectMgrDlg.h"
#include "platform/RegistryStore.h"
#include "ProjectMgrTestSupport.h"
#include "tests/support/ProjectTestSupport.h"
#include "tests/support/RecordingDeviceApi.h"
#include "tests/support/WidgetApp.h"
#include "uikit/chart/CNIXYChart.h"
#include "uikit/common/CVRDCommonBase.h"
#include "uikit/common/ExperimentSource.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"
#include "uikit/tree/CTreeCtrlEx.h"

namespace projectscreentest {

// A logger that counts how often it is asked for its firmware version.
class CountingDeviceApi : public corviktest::RecordingDeviceApi {
public:
    uint32_t GetFirmwareVersion() override
    {
        ++versionRequests;
        return corviktest::RecordingDeviceApi::GetFirmwareVersion();
    }
    int versionRequests = 0;
};

// What the measurement screen offers in slot 3 until it is built: the recording, the working
// project over it, and its chart's series refilled whenever a data set is loaded (values as the
// raw entries / 100, times as the raw milliseconds in seconds).
class StandInMeasurement : public QWidget, public uikit::ExperimentSource {
public:
    explicit StandInMeasurement(const std::string& folder)
        : project(*block, *samples, folder)
    {
        uikit::GetChartSeriesTable(chart.SeriesTable());
        chart.Create(this, 800, 415, 0xF0F0F0, QStringLiteral("tahoma"));
        project.SetLoadedHandler([this] {
            ++loads;
            ShowCurrentSet();
        });
        uikit::CVRDCommonBase::SetScreen(uikit::kSlotMeasurement, this);
    }
    project::ExperimentBlock* ExperimentData() override { return block.get(); }
    project::SampleArrays* SampleData() override { return samples.get(); }
    project::ProjectFile* WorkingProject() override { return &project; }
    bool SaveRunPicture(const std::string& path) override
    {
        chart.Redraw();
        const QImage* picture = chart.GetMemoryDC();
        return picture && chart.SaveBitmapFile(QString::fromStdString(path), picture, picture->width(),
                                               picture->height(), nullptr) == 1;
    }

    void ShowCurrentSet()
    {
        chart.FreeAllSeries();
        const project::DataSetRecord* record = project::RecordAt(*block, block->currentIndex);
        if (!record || record->inUse == 0)
            return;
        for (int c = 0; c < project::kChannelCount; ++c) {
            const int n = project::StoredEntryCount(*record, c);
            if (record->channelRecorded[c] != 1 || n == 0)
                continue;
            std::vector<float> values(static_cast<size_t>(n)), times(static_cast<size_t>(n));
            for (int i = 0; i < n; ++i) {
                values[size_t(i)] = float(samples->rawValues[c][i]) / 100.0f;
                times[size_t(i)] = float(samples->rawTimes[c][i]) * 0.001f;
            }
            chart.AllocSeries(c, n, 0x3134DE);
            chart.SetSeriesData(c, n, values.data(), times.data(), 0, -1, c, -1);
            chart.SetSeriesName(c, u"Time (s)", u"Voltage(V)");
            chart.ShowSeries(c, 1);
        }
    }

    std::unique_ptr<project::ExperimentBlock> block = std::make_unique<project::ExperimentBlock>();
    std::unique_ptr<project::SampleArrays> samples = std::make_unique<project::SampleArrays>();
    project::ProjectFile project;
    uikit::CNIXYChart chart;
    int loads = 0;
};

// The root window: keeps the codes and texts posted to slot 0.
class RootPage : public QWidget {
public:
    RootPage() { uikit::CVRDCommonBase::SetScreen(uikit::kSlotRoot, this); }
    bool event(QEvent* e) override
    {
        if (const uikit::ScreenEvent* m = uikit::AsScreenEvent(e)) {
            posted.push_back({m->code(), m->text()});
            return true;
        }
        return QWidget::event(e);
    }
    struct Posted {
        int code;
        QString text;
    };
    std::vector<Posted> posted;
};

struct Shown {
    int type;
    QString first;
    QString second;
};

class ProjectScreenTest : public ::testing::Test {
protected:
    using Dlg = projectmgr::CProjectMgrDlg;

    static void SetUpTestSuite()
    {
        EnsureWidgetApp();
        QDir::setCurrent(QStringLiteral(CORVIK_DATA_DIR));
    }

    void SetUp() override
    {
        platform::SetProcessRegistry(&registry_);
        uikit::CommonServices common;
        common.makeSensor = [this] { return std::make_unique<devicelink::CNI2CSensor>(api); };
        ASSERT_EQ(uikit::CVRDCommonBase::InitGlobals(std::move(common)), 1);
        shell::ScreenServices services;
        services.present = [this](QWidget*, int type, const QString& first, const QString& second) {
            shown.push_back({type, first, second});
            return answer;
        };
        services.chooseFile = [this](QWidget*, const shell::FileRequest& request) {
            requests.push_back(request);
            return chosen;
        };
        services.editNote = [this](QWidget* owner, project::NoteRecord& note) {
            return editNote && editNote(owner, note);
        };
        services.runOptions = [this](QWidget* owner) {
            if (runOptions)
                runOptions(owner);
        };
        root = std::make_unique<RootPage>();
        measurement = std::make_unique<StandInMeasurement>(folder.Path().string());
        screen = std::make_unique<Dlg>(root.get(), services);
    }

    void TearDown() override
    {
        screen.reset();
        measurement.reset();
        root.reset();
        uikit::CVRDCommonBase::Shutdown();
        platform::SetProcessRegistry(nullptr);
    }

    // The lesson of the core tests recorded on the stand-in, then the screen shown.
    void RecordLessonAndShow()
    {
        projectmgrtest::RecordLesson(Block(), *measurement->samples, Project());
        Show();
    }
    void Show()
    {
        uikit::PostScreenMessage(screen.get(), uikit::WM_SCREEN_SHOW);
        Settle();
    }
    static void Settle()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    project::ExperimentBlock& Block() { return *measurement->block; }
    project::ProjectFile& Project() { return measurement->project; }
    std::vector<uint8_t> Working() const { return projecttest::ReadBytes(measurement->project.WorkingPath()); }
    static QString Text(int id) { return uikit::CVRDCommonBase::LoadText(id, 256); }
    bool WasTold(int firstId) const
    {
        for (const Shown& s : shown) {
            if (s.first == Text(firstId))
                return true;
        }
        return false;
    }
    QTreeWidgetItem* Item(const projectmgr::ItemKey& key) const { return screen->Tree().FindItem(key.Pack()); }

    projecttest::TempFolder folder;
    projecttest::TempFolder elsewhere;
    platform::MemoryRegistryStore registry_;
    CountingDeviceApi api;
    std::unique_ptr<RootPage> root;
    std::unique_ptr<StandInMeasurement> measurement;
    std::unique_ptr<Dlg> screen;

    int answer = 1;
    std::vector<Shown> shown;
    QString chosen;
    std::vector<shell::FileRequest> requests;
    // The note and options dialogs; empty: neither opens.
    shell::NoteEditor editNote;
    shell::OptionsDialog runOptions;
};

}  // namespace projectscreentest
