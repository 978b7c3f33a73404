// The root window's navigation and device-poll rules, the main menu's rules and the start-up's
// failure texts, without widgets.
#include "devicelink/catalogue/SensorCatalogue.h"
#include "devicelink/sensor/CNI2CSensor.h"
#include "logger/project/ExperimentRecords.h"
#include "logger/shell/core/DevicePollRule.h"
#include "logger/shell/core/MainMenuRules.h"
#include "logger/shell/core/ShellNavigation.h"
#include "logger/shell/core/ShellTexts.h"
#include "uikit/events/ScreenMessages.h"

#include "devicelink/link/LinkOpenFailure.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using shell::Screen;

struct NavigationCase {
    int code;
    Screen front;
    Screen returnScreen;
    Screen show;
    bool postShow;
    Screen hide;
    bool activateAnalysis;
};

TEST(ShellNavigation, EachCodeShowsItsTargetAndHidesTheScreenBefore)
{
    const NavigationCase cases[] = {
        {uikit::WM_GOTO_PROJECTS, Screen::Sensors, Screen::None, Screen::Projects, true, Screen::Sensors, false},
        {uikit::WM_GOTO_MEASUREMENT, Screen::Projects, Screen::None, Screen::Measurement, true, Screen::Projects, false},
        // Already in front: shown and told again, not hidden.
        {uikit::WM_GOTO_SENSORS, Screen::Sensors, Screen::None, Screen::Sensors, true, Screen::None, false},
        // The analysis screen binds its data instead of being told.
        {uikit::WM_GOTO_ANALYSIS, Screen::Measurement, Screen::None, Screen::Analysis, false, Screen::Measurement, true},
        {uikit::WM_SHOW_HTML, Screen::Sensors, Screen::None, Screen::Help, true, Screen::Sensors, false},
        {uikit::WM_HTML_BACK, Screen::Help, Screen::Projects, Screen::Projects, true, Screen::Help, false},
        // Without a return screen: the front screen goes, but never the root window.
        {uikit::WM_HTML_BACK, Screen::Help, Screen::None, Screen::None, false, Screen::Help, false},
        {uikit::WM_HTML_BACK, Screen::Root, Screen::None, Screen::None, false, Screen::None, false},
        // Nothing in front yet (the root window is).
        {uikit::WM_GOTO_SENSORS, Screen::Root, Screen::None, Screen::Sensors, true, Screen::None, false},
    };
    for (const NavigationCase& c : cases) {
        const shell::NavigationPlan plan = shell::PlanNavigation(c.code, c.front, c.returnScreen);
        SCOPED_TRACE(c.code);
        EXPECT_TRUE(plan.handled);
        EXPECT_TRUE(plan.stopFront);
        EXPECT_EQ(plan.show, c.show);
        EXPECT_EQ(plan.postShow, c.postShow);
        EXPECT_EQ(plan.hide, c.hide);
        EXPECT_EQ(plan.activateAnalysis, c.activateAnalysis);
    }
}

TEST(ShellNavigation, TheHelpRequestRemembersWhereItCameFromOnlyFromAnotherScreen)
{
    EXPECT_TRUE(shell::PlanNavigation(uikit::WM_SHOW_HTML, Screen::Projects, Screen::None).rememberReturn);
    EXPECT_FALSE(shell::PlanNavigation(uikit::WM_SHOW_HTML, Screen::Help, Screen::Projects).rememberReturn);
    EXPECT_FALSE(shell::PlanNavigation(uikit::WM_MENU_BUTTON5, Screen::Sensors, Screen::None).handled);
}

constexpr uint32_t kPresentNotReady = 0x00000001;
constexpr uint32_t kPresentReady = 0x00010001;

TEST(DevicePollRule, ANotReadySensorOpensOneBoxUntilItsReadyBitRises)
{
    shell::DevicePollRule rule;
    using shell::PollAction;
    // First sight of the sensor: the presence changed.
    EXPECT_EQ(rule.Decide(devicelink::kPollNotReady, kPresentNotReady, 0x0, 0x0).action, PollAction::AttachBox);
    rule.BoxRan(kPresentNotReady);
    // Detection left it present but unidentified: the same word again is no news.
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(rule.Decide(devicelink::kPollNotReady, kPresentNotReady, 0x1, 0x0).action, PollAction::Nothing);
    // Ready now: the poll alone reports nothing, the rule examines the channel again.
    const shell::PollDecision ready = rule.Decide(devicelink::kPollNoChange, kPresentReady, 0x1, 0x0);
    EXPECT_EQ(ready.action, PollAction::AttachBox);
    EXPECT_EQ(ready.redetect, 0x1u);
    rule.BoxRan(kPresentReady);
    EXPECT_EQ(rule.Decide(devicelink::kPollNoChange, kPresentReady, 0x1, 0x1).action, PollAction::Nothing);
}

TEST(DevicePollRule, OtherResults)
{
    shell::DevicePollRule rule;
    using shell::PollAction;
    EXPECT_EQ(rule.Decide(devicelink::kPollLinkLost, 0, 0, 0).action, PollAction::LoggerLost);
    EXPECT_EQ(rule.Decide(devicelink::kPollPlugged, kPresentReady, 0, 0).action, PollAction::AttachBox);
    EXPECT_EQ(rule.Decide(devicelink::kPollRemoved, 0, 0x1, 0x1).action, PollAction::RemovalBox);
    EXPECT_EQ(rule.Decide(devicelink::kPollNoChange, kPresentReady, 0x1, 0x1).action, PollAction::Nothing);
    rule.BoxRan(kPresentNotReady);
    // A ready bit that rises on a channel identified already needs no box.
    EXPECT_EQ(rule.Decide(devicelink::kPollNoChange, kPresentReady, 0x1, 0x1).action, PollAction::Nothing);
    // Another sensor plugged beside the one that is not ready: a box, though the word repeats.
    EXPECT_EQ(rule.Decide(devicelink::kPollNotReady, kPresentNotReady | 0x00020002, 0x1, 0x0).action,
              PollAction::AttachBox);
}

TEST(MainMenuKeys, NavigationKeysPostAndHideRightNeedsARun)
{
    shell::MainMenuKeys keys;
    using shell::MenuKey;
    struct Case {
        MenuKey key;
        bool runExists;
        int post;
        bool hide;
    };
    const Case cases[] = {
        {MenuKey::Up, false, uikit::WM_GOTO_PROJECTS, true},
        {MenuKey::Left, false, uikit::WM_GOTO_SENSORS, true},
        {MenuKey::Down, false, uikit::WM_GOTO_MEASUREMENT, true},
        {MenuKey::Right, false, 0, false},
        {MenuKey::Right, true, uikit::WM_GOTO_ANALYSIS, true},
        {MenuKey::Enter, false, 0, true},
        {MenuKey::Other, true, 0, false},
    };
    for (const Case& c : cases) {
        const shell::MenuKeyOutcome outcome = keys.OnKey(c.key, c.runExists);
        EXPECT_EQ(outcome.post, c.post);
        EXPECT_EQ(outcome.hide, c.hide);
        EXPECT_FALSE(outcome.toggled);
    }
}

TEST(MainMenuKeys, SixEscapesInARowFlipTheHiddenSetting)
{
    shell::MainMenuKeys keys;
    const auto escapes = [&keys](int n) {
        int flips = 0;
        for (int i = 0; i < n; ++i)
            flips += keys.OnKey(shell::MenuKey::Escape, false).toggled ? 1 : 0;
        return flips;
    };
    EXPECT_EQ(escapes(5), 0);
    EXPECT_EQ(keys.ToggleValue(), 0);
    EXPECT_EQ(escapes(1), 1);
    EXPECT_EQ(keys.ToggleValue(), 1);
    EXPECT_EQ(escapes(6), 1);
    EXPECT_EQ(keys.ToggleValue(), 0) << "twelve flip it back";
    // Another key breaks the row.
    escapes(5);
    keys.OnKey(shell::MenuKey::Other, false);
    EXPECT_EQ(escapes(5), 0);
    EXPECT_EQ(keys.ToggleValue(), 0);
}

TEST(MainMenuRules, TheCurrentRunIsLookedUpWithinTheBlock)
{
    auto block = std::make_unique<project::ExperimentBlock>();
    EXPECT_FALSE(shell::CurrentRunExists(nullptr));
    block->records[1].inUse = 1;
    for (int index : {-1, 4, 0x7FFFFFFF, 0}) {
        block->currentIndex = index;
        EXPECT_FALSE(shell::CurrentRunExists(block.get())) << index;
    }
    block->currentIndex = 1;
    EXPECT_TRUE(shell::CurrentRunExists(block.get()));
}

TEST(MainMenuRules, TheStripSitsOverTheBottomOfTheFrontScreen)
{
    const shell::MenuRect normal = shell::PlaceMainMenu(0, 0, 800, 600);
    EXPECT_EQ(normal.x, 22);
    EXPECT_EQ(normal.y, 460);
    EXPECT_EQ(normal.width, 760) << "the strip, not the whole screen";
    EXPECT_EQ(normal.height, 130);
    const shell::MenuRect wide = shell::PlaceMainMenu(0, 0, 1024, 768);
    EXPECT_EQ(wide.x, 132);
    EXPECT_EQ(wide.y, 628);
    EXPECT_EQ(shell::PlaceMainMenu(10, 20, 800, 200).y, 120) << "100 below the top of a low screen";
}

TEST(ShellTexts, EachCatalogueFailureHasItsReason)
{
    EXPECT_EQ(shell::CatalogueFailureTextId(0, 0), shell::kTextCatalogueUnreadable);
    EXPECT_EQ(shell::CatalogueFailureTextId(1, devicelink::kCatalogueDeviceNotOpen), shell::kTextNoLogger);
    EXPECT_EQ(shell::CatalogueFailureTextId(1, devicelink::kCatalogueVersionTooOld), shell::kTextCatalogueTooOld);
    EXPECT_EQ(shell::CatalogueFailureTextId(1, devicelink::kCatalogueFirmwareTooOld), shell::kTextFirmwareTooOld);
    EXPECT_EQ(shell::CatalogueFailureTextId(1, devicelink::kCatalogueListEmpty), shell::kTextCatalogueDamaged);
    // A logger that the link reached but could not have says why, on either transport.
    using devicelink::LinkOpenFailure;
    const int notOpen = devicelink::kCatalogueDeviceNotOpen;
    EXPECT_EQ(shell::CatalogueFailureTextId(1, notOpen, int(LinkOpenFailure::NoLogger)), shell::kTextNoLogger);
    EXPECT_EQ(shell::CatalogueFailureTextId(1, notOpen, int(LinkOpenFailure::InUse)), shell::kTextLoggerInUse);
    EXPECT_EQ(shell::CatalogueFailureTextId(1, notOpen, int(LinkOpenFailure::NoPermission)),
              shell::kTextLoggerNoPermission);
    EXPECT_EQ(shell::CatalogueFailureTextId(1, devicelink::kCatalogueVersionTooOld, int(LinkOpenFailure::InUse)),
              shell::kTextCatalogueTooOld);
}

}  // namespace
