#pragma once

// The program's root window as the program starts it, offscreen, in a data folder of the test's
// own (the built one's files linked, so that the working copy and its lock are the test's), with
// the common services on an in-memory registry. The message box is answered for the user: the
// texts are kept, and the device-change boxes run as the test says (the real box by default).

#include "tests/support/DevsimFixture.h"
#include "tests/support/ProjectTestSupport.h"
#include "tests/support/WidgetApp.h"

#include "devicelink/sensor/CNI2CSensor.h"
#include "logger/shell/CVRDMainAppDlg.h"
#include "platform/RegistryStore.h"
#include "uikit/common/CVRDCommonBase.h"
#include "uikit/events/ScreenEvent.h"

#include <QDir>
#include <QObject>
#include <QString>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace shelltest {

namespace fs = std::filesystem;

// Keeps the screen codes an object receives, in order, and lets them pass.
class CodeWatch : public QObject {
public:
    explicit CodeWatch(QObject* watched) { watched->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (const uikit::ScreenEvent* message = uikit::AsScreenEvent(event)) {
            codes.push_back(message->code());
            texts.push_back(message->text());
        }
        return false;
    }
    int Count(int code) const { return int(std::count(codes.begin(), codes.end(), code)); }
    std::vector<int> codes;
    std::vector<QString> texts;
};

struct Shown {
    int type = 0;
    QString first;
    QString second;
};

class RootWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureWidgetApp(); }

    void SetUp() override
    {
        platform::SetProcessRegistry(&registry);
        ::setenv("XDG_DATA_HOME", folder.File("user").c_str(), 1);
    }
    void TearDown() override
    {
        root.reset();
        if (sim)
            sim->Stop();
        platform::SetProcessRegistry(nullptr);
        QDir::setCurrent(QStringLiteral(CORVIK_DATA_DIR));
    }

    // The simulated logger with the sensors of a scenario of resources/devsim (none: an empty one).
    void StartLogger(const std::string& scenario = {})
    {
        std::string error;
        sim = devsim::testing::ScenarioDevsim(scenario, error);
        ASSERT_TRUE(sim) << error;
        ASSERT_TRUE(sim->Start(error)) << error;
        sim->PointDriverHere();
    }
    // The program in a data folder of its own holding the built one's files but `leaveOut`, after
    // `prepare` had its say on the folder.
    void StartProgram(const std::set<std::string>& leaveOut = {},
                      const std::function<void(const fs::path&)>& prepare = {})
    {
        const fs::path data = folder.Path() / ("data" + std::to_string(++starts));
        dataFolder = data;
        fs::create_directories(data);
        for (const fs::directory_entry& entry : fs::directory_iterator(CORVIK_DATA_DIR)) {
            const std::string name = entry.path().filename().string();
            if (leaveOut.count(name) == 0 && name.rfind("temp_project", 0) != 0)
                fs::create_symlink(entry.path(), data / name);
        }
        if (prepare)
            prepare(data);
        QDir::setCurrent(QString::fromStdString(data.string()));
        shell::CVRDMainAppDlg::Services services;
        services.present = [this](QWidget* owner, int type, const QString& first, const QString& second) {
            shown.push_back({type, first, second});
            if (type > 1)
                return 1;
            return deviceBox ? deviceBox(type) : uikit::CVRDCommonBase::RunMessageBox(owner, type, first, second);
        };
        services.pollMs = pollMs;
        root = std::make_unique<shell::CVRDMainAppDlg>(nullptr, services);
        rootCodes = std::make_unique<CodeWatch>(root.get());
        QObject::connect(root.get(), &shell::CVRDMainAppDlg::finished, [this](int code) { exitCodes.push_back(code); });
        root->SetCommonServices(common);
        root->show();
        root->Start();
    }
    // Start-up done and the sensor monitor up, or the program ended.
    bool WaitForStartUp(int timeoutMs = 10000)
    {
        return SpinUntil([&] {
            return root->IsFinished() ||
                   (root->StartupStateNow() == shell::StartupState::Done && root->Screens().sensors &&
                    root->Screens().sensors->isVisible());
        }, timeoutMs);
    }
    bool ShownType(int type) const
    {
        return std::any_of(shown.begin(), shown.end(), [type](const Shown& s) { return s.type == type; });
    }
    static QString Text(int id) { return uikit::CVRDCommonBase::LoadText(id, 256); }

    projecttest::TempFolder folder;
    platform::MemoryRegistryStore registry;
    std::unique_ptr<devsim::testing::InProcessDevsim> sim;
    std::unique_ptr<shell::CVRDMainAppDlg> root;
    // What the program starts its common services with (the program's own unless a test says).
    uikit::CommonServices common;
    std::unique_ptr<CodeWatch> rootCodes;
    int starts = 0;
    fs::path dataFolder;
    std::vector<int> exitCodes;
    std::vector<Shown> shown;
    // How a device-change box runs (the program's box when empty); its result.
    std::function<int(int type)> deviceBox;
    // The device poll's period for the programs started from now on (0: the program's).
    int pollMs = 0;
};

}  // namespace shelltest
