// The main menu offscreen over a recording root window and front screen, made by the common
// services through the factory the root window registers.
#include "logger/shell/CMainMenuDlg.h"

#include "logger/project/ExperimentRecords.h"
#include "platform/RegistryStore.h"
#include "tests/support/RecordingPage.h"
#include "tests/support/WidgetApp.h"
#include "uikit/button/CButtonST.h"
#include "uikit/common/CVRDCommonBase.h"
#include "uikit/common/ExperimentSource.h"
#include "uikit/events/ScreenMessages.h"

#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using shell::CMainMenuDlg;
using uikit::CVRDCommonBase;

// The measurement screen as far as the menu sees it: the current data set.
class Recording : public QWidget, public uikit::ExperimentSource {
public:
    explicit Recording(QWidget* parent) : QWidget(parent) { hide(); }
    project::ExperimentBlock* ExperimentData() override { return block.get(); }
    project::SampleArrays* SampleData() override { return nullptr; }
    std::unique_ptr<project::ExperimentBlock> block = std::make_unique<project::ExperimentBlock>();
};

class MainMenu : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        EnsureWidgetApp();
        QDir::setCurrent(QStringLiteral(CORVIK_DATA_DIR));
    }
    void SetUp() override
    {
        platform::SetProcessRegistry(&registry);
        uikit::CommonServices services;
        services.makeMainMenu = [this](QWidget*) -> QWidget* { return new CMainMenuDlg(&root); };
        ASSERT_EQ(CVRDCommonBase::InitGlobals(std::move(services)), 1);
        root.resize(800, 600);
        root.show();
        front = new RecordingPage(&root);
        front->setGeometry(0, 0, 800, 600);
        front->show();
        CVRDCommonBase::SetScreen(uikit::kSlotRoot, &root);
        CVRDCommonBase::SetFrontScreen(front);
        CVRDCommonBase::ShowMainMenu();
        menu = static_cast<CMainMenuDlg*>(CVRDCommonBase::GetMainMenu());
        ASSERT_NE(menu, nullptr);
        Settle();
    }
    void TearDown() override
    {
        CVRDCommonBase::Shutdown();
        platform::SetProcessRegistry(nullptr);
    }
    static void Settle() { Spin(20); }
    void Key(Qt::Key key, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            QTest::keyClick(menu, key);
        Settle();
    }
    bool Up() const { return CVRDCommonBase::IsMainMenuShown(); }

    platform::MemoryRegistryStore registry;
    RecordingPage root;
    RecordingPage* front = nullptr;
    CMainMenuDlg* menu = nullptr;
};

TEST_F(MainMenu, IsAStripOverTheBottomOfTheFrontScreenAndTakesTheKeys)
{
    EXPECT_EQ(menu->parentWidget(), &root);
    EXPECT_EQ(menu->geometry(), QRect(22, 460, 760, 130));
    EXPECT_TRUE(menu->isVisible());
    EXPECT_TRUE(menu->hasFocus());
    EXPECT_TRUE(menu->AutoHideRunning());
    EXPECT_FALSE(menu->Button(CMainMenuDlg::kAnalysisButtonId)->isEnabled()) << "no run recorded";
}

TEST_F(MainMenu, UpPostsTheProjectsCodeThenHidesAndTellsTheFrontScreen)
{
    Key(Qt::Key_Up);
    EXPECT_EQ(root.codes, std::vector<int>{uikit::WM_GOTO_PROJECTS});
    EXPECT_EQ(front->CodeCount(uikit::WM_SCREEN_HIDE), 1);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_FALSE(Up());
    EXPECT_FALSE(menu->AutoHideRunning()) << "timer 444 goes with the menu";
}

TEST_F(MainMenu, RightMovesOnlyWithARecordedRunInTheCurrentDataSet)
{
    // Nothing in slot 3, then a block with no data set chosen: nothing happens, the menu stays.
    Key(Qt::Key_Right);
    auto* recording = new Recording(&root);
    CVRDCommonBase::SetScreen(uikit::kSlotMeasurement, recording);
    recording->block->currentIndex = -1;
    Key(Qt::Key_Right);
    EXPECT_TRUE(root.codes.empty());
    EXPECT_TRUE(Up());

    recording->block->currentIndex = 2;
    recording->block->records[2].inUse = 1;
    Key(Qt::Key_Right);
    EXPECT_EQ(root.codes, std::vector<int>{uikit::WM_GOTO_ANALYSIS});
    EXPECT_FALSE(Up());
}

TEST_F(MainMenu, SixEscapesFlipTheHiddenSettingAndTwelveFlipItBack)
{
    Key(Qt::Key_Escape, 5);
    EXPECT_EQ(CVRDCommonBase::GetByteSetting(), 0);
    Key(Qt::Key_Escape);
    EXPECT_EQ(CVRDCommonBase::GetByteSetting(), 1);
    Key(Qt::Key_Escape, 6);
    EXPECT_EQ(CVRDCommonBase::GetByteSetting(), 0);
    EXPECT_TRUE(Up());
    EXPECT_TRUE(root.codes.empty());
}

TEST_F(MainMenu, TheFifthButtonPostsOnlyItsCode)
{
    menu->Button(1004)->click();
    Settle();
    EXPECT_EQ(root.codes, std::vector<int>{uikit::WM_MENU_BUTTON5});
    EXPECT_EQ(front->CodeCount(uikit::WM_SCREEN_HIDE), 0);
    EXPECT_FALSE(Up());
}

TEST_F(MainMenu, TimerHidesItAndClearsTheShownFlag)
{
    Key(Qt::Key_Enter);
    EXPECT_FALSE(Up());
    menu->SetAutoHideDelay(50);
    CVRDCommonBase::ShowMainMenu();
    ASSERT_TRUE(SpinUntil([&] { return Up(); }));
    ASSERT_TRUE(SpinUntil([&] { return !menu->isVisible(); }, 1000));
    EXPECT_FALSE(Up());
    EXPECT_FALSE(menu->AutoHideRunning());
    // Shown again right after a hide: the hide's late notice leaves it up.
    menu->SetAutoHideDelay(0);
    menu->Dismiss();
    CVRDCommonBase::ShowMainMenu();
    Settle();
    EXPECT_TRUE(menu->isVisible());
    EXPECT_TRUE(Up());
}

}  // namespace
