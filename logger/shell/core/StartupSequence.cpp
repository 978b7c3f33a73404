#include "logger/shell/core/StartupSequence.h"

#include "uikit/events/ScreenMessages.h"

namespace shell {

void StartupSequence::Begin()
{
    if (State() == StartupState::Starting)
        Set(StartupState::Begun);
}

StartupAction StartupSequence::OnStep(int code, bool catalogueLoadFinished, bool screensExist)
{
    const StartupState state = State();
    switch (code) {
    case uikit::WM_STARTUP_BEGIN:
        // Only before the catalogue step: a late copy must not send start-up back.
        if (state == StartupState::Starting || state == StartupState::Begun)
            Set(StartupState::CataloguePending);
        return StartupAction::None;
    case uikit::WM_STARTUP_CATALOGUE:
        if (state != StartupState::CataloguePending)
            return StartupAction::None;
        if (!loadStarted_) {
            loadStarted_ = true;
            return StartupAction::StartCatalogueLoad;
        }
        return catalogueLoadFinished ? StartupAction::TakeCatalogue : StartupAction::None;
    case uikit::WM_STARTUP_SCREENS:
        return state == StartupState::ScreensPending ? StartupAction::CreateScreens : StartupAction::None;
    case uikit::WM_STARTUP_SHOW:
        if (state != StartupState::Done || !screensExist || shown_)
            return StartupAction::None;
        shown_ = true;
        return StartupAction::ShowFirstScreen;
    default:
        return StartupAction::None;
    }
}

void StartupSequence::CatalogueTaken(bool loaded)
{
    if (State() == StartupState::CataloguePending)
        Set(loaded ? StartupState::ScreensPending : StartupState::Failed);
}

void StartupSequence::ScreensCreated(bool created)
{
    if (State() == StartupState::ScreensPending)
        Set(created ? StartupState::Done : StartupState::Failed);
}

void StartupSequence::Fail()
{
    Set(StartupState::Failed);
}

void PaceStartup(const StartupSequence& sequence, const std::function<void(int code)>& post,
                 const std::function<bool(uint32_t ms)>& pause)
{
    bool begunPosted = false;
    while (true) {
        switch (sequence.State()) {
        case StartupState::Starting:
        case StartupState::Begun:
            if (!begunPosted) {
                post(uikit::WM_STARTUP_BEGIN);
                begunPosted = true;
                if (pause(StartupSequence::kBeginPauseMs))
                    return;
            } else if (pause(StartupSequence::kRecheckMs)) {
                return;
            }
            break;
        case StartupState::CataloguePending:
            post(uikit::WM_STARTUP_CATALOGUE);
            if (pause(StartupSequence::kRepeatPauseMs))
                return;
            break;
        case StartupState::ScreensPending:
            post(uikit::WM_STARTUP_SCREENS);
            if (pause(StartupSequence::kRepeatPauseMs))
                return;
            break;
        case StartupState::Done:
            post(uikit::WM_STARTUP_SHOW);
            return;
        case StartupState::Failed:
            return;
        }
    }
}

}  // namespace shell
