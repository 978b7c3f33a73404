#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

// The program's start-up, paced by a thread of its own: it posts the four start-up steps to the
// root window (begin, catalogue, screens, show), and the root window's reactions advance the
// state. Only the UI thread writes the state; the pacing thread only reads it, so a step that
// arrives twice (the thread posts the catalogue and screens steps again every 200 ms while their
// work is pending) finds the state moved on and does nothing.
//
// The catalogue is read on a worker: the root window starts it at the first catalogue step and
// takes its result at the first catalogue step after it finished, so the UI thread never waits on
// a logger that does not answer.
namespace shell {

enum class StartupState : int {
    Starting = 0,          // the root window is being made
    Begun = 1,             // the pacing thread runs; the begin step is on its way
    CataloguePending = 2,  // the catalogue is to be read
    ScreensPending = 3,    // the screens are to be made
    Done = 4,              // the screens exist; the show step comes next
    Failed = 5,            // start-up failed; the program is closing
};

// What the root window does for a step it was posted.
enum class StartupAction {
    None,               // a repeated or late step: nothing
    StartCatalogueLoad, // start reading the catalogue on the worker
    TakeCatalogue,      // the worker finished: join it and take its result
    CreateScreens,
    ShowFirstScreen,    // timers, key filter, the sensor monitor
};

class StartupSequence {
public:
    // The pacing: 1000 ms after the begin step, 200 ms between repeats of the other steps, and a
    // short look at the state while the begin step is unanswered.
    static constexpr uint32_t kBeginPauseMs = 1000;
    static constexpr uint32_t kRepeatPauseMs = 200;
    static constexpr uint32_t kRecheckMs = 10;

    StartupState State() const { return state_.load(std::memory_order_acquire); }

    // UI thread. The pacing thread is about to start.
    void Begin();
    // UI thread: the reaction to a step code (WM_STARTUP_*). `catalogueLoadFinished` tells whether
    // the worker started by StartCatalogueLoad has finished; `screensExist` whether the five
    // screens were made.
    StartupAction OnStep(int code, bool catalogueLoadFinished, bool screensExist);
    // UI thread: the outcome of TakeCatalogue and CreateScreens.
    void CatalogueTaken(bool loaded);
    void ScreensCreated(bool created);
    // UI thread: start-up ends without the screens (a failure, or a quit during start-up).
    void Fail();

    bool FirstScreenShown() const { return shown_; }

private:
    void Set(StartupState state) { state_.store(state, std::memory_order_release); }

    std::atomic<StartupState> state_{StartupState::Starting};
    bool loadStarted_ = false;
    bool shown_ = false;
};

// The pacing thread's body. `post` hands a step code to the root window; `pause(ms)` waits and
// returns true when the thread is to stop (it must wake at once when asked). Returns after the
// show step has been posted, on a failed start-up, or when stopped.
void PaceStartup(const StartupSequence& sequence, const std::function<void(int code)>& post,
                 const std::function<bool(uint32_t ms)>& pause);

// The start-up animation: ten frames, each paint shows the next, and the last one stays.
inline constexpr int kStartupFrameCount = 10;
inline int NextStartupFrame(int frame)
{
    return frame < kStartupFrameCount - 1 ? frame + 1 : kStartupFrameCount - 1;
}
// The PC-link animation: nine frames in a loop, frozen on the last once the transfer is done.
inline constexpr int kPcSyncFrameCount = 9;
inline int NextPcSyncFrame(int frame, bool done)
{
    return done ? kPcSyncFrameCount - 1 : (frame + 1) % kPcSyncFrameCount;
}

}  // namespace shell
