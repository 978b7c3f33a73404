#include "logger/shell/core/ShellNavigation.h"

#include "uikit/events/ScreenMessages.h"

namespace shell {

namespace {

// The screen that was in front goes, unless it is the target itself or the root window.
Screen Leaving(Screen front, Screen target)
{
    return front == target || front == Screen::Root ? Screen::None : front;
}

}  // namespace

NavigationPlan PlanNavigation(int code, Screen front, Screen returnScreen)
{
    NavigationPlan plan;
    Screen target = Screen::None;
    switch (code) {
    case uikit::WM_GOTO_SENSORS: target = Screen::Sensors; break;
    case uikit::WM_GOTO_MEASUREMENT: target = Screen::Measurement; break;
    case uikit::WM_GOTO_PROJECTS: target = Screen::Projects; break;
    case uikit::WM_GOTO_ANALYSIS:
        plan.activateAnalysis = true;
        target = Screen::Analysis;
        break;
    case uikit::WM_SHOW_HTML:
        // A page opened from the help viewer itself keeps the way back to the screen before it.
        plan.rememberReturn = front != Screen::Help;
        target = Screen::Help;
        break;
    case uikit::WM_HTML_BACK:
        plan.handled = true;
        plan.stopFront = true;
        if (returnScreen == Screen::None) {
            plan.hide = front == Screen::Root ? Screen::None : front;
            return plan;
        }
        plan.show = returnScreen;
        plan.postShow = true;
        plan.hide = Leaving(front, returnScreen);
        return plan;
    default:
        return plan;
    }
    plan.handled = true;
    plan.stopFront = true;
    plan.show = target;
    // The analysis screen is bound by its activation, not told by a message.
    plan.postShow = target != Screen::Analysis;
    plan.hide = Leaving(front, target);
    return plan;
}

}  // namespace shell
