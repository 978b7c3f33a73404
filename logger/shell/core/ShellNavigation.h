#pragma once

// How the root window moves between its screens on the navigation codes the screens and the main
// menu post to it. The root window carries out the plan: it stops what the front screen runs,
// shows the target and makes it the front screen at once (so a second request right after the
// first finds the right screen in front), tells it, and hides the screen that was in front.
namespace shell {

enum class Screen { None, Root, Help, Sensors, Measurement, Analysis, Projects };

struct NavigationPlan {
    bool handled = false;           // the code is a navigation code and the plan applies
    bool stopFront = false;         // stop the front activity first
    bool rememberReturn = false;    // the help viewer's return screen becomes the front screen
    bool activateAnalysis = false;  // the analysis screen binds its data before it is shown
    Screen show = Screen::None;     // shown and made the front screen
    bool postShow = false;          // WM_SCREEN_SHOW to it (for the help viewer with the request)
    Screen hide = Screen::None;     // hidden after the target is shown
};

// `front` is the screen in front now, `returnScreen` the one remembered when the help viewer
// was opened (None when none).
NavigationPlan PlanNavigation(int code, Screen front, Screen returnScreen);

}  // namespace shell
