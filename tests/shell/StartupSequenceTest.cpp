// The start-up's pacing and the root window's reactions to its steps, without widgets.
#include "logger/shell/core/StartupSequence.h"

#include "platform/Event.h"
#include "platform/WorkerThread.h"
#include "uikit/events/ScreenMessages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using shell::StartupAction;
using shell::StartupSequence;
using shell::StartupState;

constexpr int kBegin = uikit::WM_STARTUP_BEGIN;
constexpr int kCatalogue = uikit::WM_STARTUP_CATALOGUE;
constexpr int kScreens = uikit::WM_STARTUP_SCREENS;
constexpr int kShow = uikit::WM_STARTUP_SHOW;

TEST(StartupSequence, ThePacingPostsTheFourStepsInOrderAtThePartsPace)
{
    // The UI's reactions run as each step is posted; the catalogue takes one repeat to load.
    StartupSequence sequence;
    sequence.Begin();
    std::vector<int> posted;
    std::vector<uint32_t> pauses;
    std::vector<StartupAction> actions;
    bool loaded = false;
    const auto post = [&](int code) {
        posted.push_back(code);
        const StartupAction action = sequence.OnStep(code, loaded, loaded);
        actions.push_back(action);
        if (action == StartupAction::StartCatalogueLoad)
            loaded = true;
        else if (action == StartupAction::TakeCatalogue)
            sequence.CatalogueTaken(true);
        else if (action == StartupAction::CreateScreens)
            sequence.ScreensCreated(true);
    };
    shell::PaceStartup(sequence, post, [&](uint32_t ms) {
        pauses.push_back(ms);
        return false;
    });
    EXPECT_EQ(posted, (std::vector<int>{kBegin, kCatalogue, kCatalogue, kScreens, kShow}));
    EXPECT_EQ(pauses, (std::vector<uint32_t>{1000, 200, 200, 200}));
    EXPECT_EQ(actions, (std::vector<StartupAction>{StartupAction::None, StartupAction::StartCatalogueLoad,
                                                   StartupAction::TakeCatalogue, StartupAction::CreateScreens,
                                                   StartupAction::ShowFirstScreen}));
    EXPECT_EQ(sequence.State(), StartupState::Done);
    EXPECT_TRUE(sequence.FirstScreenShown());
}

TEST(StartupSequence, RepeatedLateAndEarlyStepsDoNothing)
{
    StartupSequence sequence;
    sequence.Begin();
    EXPECT_EQ(sequence.OnStep(kShow, true, true), StartupAction::None) << "show before the screens";
    EXPECT_EQ(sequence.OnStep(kScreens, true, true), StartupAction::None);
    EXPECT_EQ(sequence.OnStep(kCatalogue, true, true), StartupAction::None);
    sequence.OnStep(kBegin, false, false);
    ASSERT_EQ(sequence.State(), StartupState::CataloguePending);
    EXPECT_EQ(sequence.OnStep(kCatalogue, false, false), StartupAction::StartCatalogueLoad);
    EXPECT_EQ(sequence.OnStep(kCatalogue, false, false), StartupAction::None) << "still loading";
    sequence.CatalogueTaken(true);
    // A late begin must not send start-up back to the catalogue.
    sequence.OnStep(kBegin, true, false);
    EXPECT_EQ(sequence.State(), StartupState::ScreensPending);
    EXPECT_EQ(sequence.OnStep(kCatalogue, true, false), StartupAction::None);
    EXPECT_EQ(sequence.OnStep(kScreens, true, false), StartupAction::CreateScreens);
    sequence.ScreensCreated(true);
    EXPECT_EQ(sequence.OnStep(kShow, true, false), StartupAction::None) << "the screens went";
    EXPECT_EQ(sequence.OnStep(kShow, true, true), StartupAction::ShowFirstScreen);
    EXPECT_EQ(sequence.OnStep(kShow, true, true), StartupAction::None) << "shown once";
}

TEST(StartupSequence, AFailureEndsThePacingAndEveryLaterStep)
{
    StartupSequence sequence;
    sequence.Begin();
    sequence.OnStep(kBegin, false, false);
    sequence.OnStep(kCatalogue, false, false);
    sequence.CatalogueTaken(false);
    EXPECT_EQ(sequence.State(), StartupState::Failed);
    for (int code : {kBegin, kCatalogue, kScreens, kShow})
        EXPECT_EQ(sequence.OnStep(code, true, true), StartupAction::None);
    EXPECT_EQ(sequence.State(), StartupState::Failed);
    std::vector<int> posted;
    shell::PaceStartup(sequence, [&](int code) { posted.push_back(code); }, [](uint32_t) { return false; });
    EXPECT_TRUE(posted.empty());
}

TEST(StartupSequence, AStopWakesThePacingOutOfItsPauseAtOnce)
{
    StartupSequence sequence;
    sequence.Begin();
    platform::Event wake(platform::Event::Kind::ManualReset);
    platform::Event begun(platform::Event::Kind::ManualReset);
    std::vector<bool> woken;   // per pause: ended by the stop rather than by its time
    platform::WorkerThread thread;
    ASSERT_TRUE(thread.Start([&](const std::atomic<bool>&) {
        shell::PaceStartup(sequence, [&](int) { begun.Set(); }, [&](uint32_t ms) {
            woken.push_back(wake.Wait(ms));
            // A pacing that paused on after the stop would never end: fail its start-up instead.
            if (std::count(woken.begin(), woken.end(), true) > 3) {
                sequence.OnStep(kCatalogue, false, false);
                sequence.CatalogueTaken(false);
            }
            return woken.back();
        });
    }));
    ASSERT_TRUE(begun.Wait(10000));
    wake.Set();
    thread.Join();
    // Whichever pause the stop found, the stop ended it, and the pacing with it.
    ASSERT_FALSE(woken.empty());
    EXPECT_TRUE(woken.back());
    EXPECT_EQ(std::count(woken.begin(), woken.end(), true), 1);
}

TEST(StartupSequence, AnimationFrames)
{
    EXPECT_EQ(shell::NextStartupFrame(0), 1);
    EXPECT_EQ(shell::NextStartupFrame(8), 9);
    EXPECT_EQ(shell::NextStartupFrame(9), 9) << "the last frame stays";
    EXPECT_EQ(shell::NextPcSyncFrame(7, false), 8);
    EXPECT_EQ(shell::NextPcSyncFrame(8, false), 0);
    EXPECT_EQ(shell::NextPcSyncFrame(3, true), 8) << "frozen once the transfer is done";
}

}  // namespace
