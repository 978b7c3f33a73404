#pragma once

// The codes that screens, workers and the root window post to each other. Each code is, as it
// stands, the type of the event that carries it (ScreenEvent.h); wParam and lParam are 0 unless
// a code says otherwise.
namespace uikit {

// Sensor check results, and switching an open message box.
inline constexpr int WM_DEVICE_FOUND = 0x1400;         // detection gave 1 (sensors identified)
inline constexpr int WM_DEVICE_NOT_FOUND = 0x1401;     // detection gave 0
inline constexpr int WM_DEVICE_CHECK_OTHER = 0x1402;   // detection gave anything else
inline constexpr int WM_DEVICE_CHECK_NOTICE = 0x1403;  // an open box becomes a notice
// Screens.
inline constexpr int WM_SCREEN_SHOW = 0x1501;  // just shown; the help viewer's page request rides along
inline constexpr int WM_SCREEN_HIDE = 0x1502;
inline constexpr int WM_SCREEN_REFRESH = 0x1601;  // after a device-change box
inline constexpr int WM_SCREEN_STOP = 0x1602;
inline constexpr int WM_KEY_ESCAPE = 0x1603;
inline constexpr int WM_CALIBRATION_RESET = 0x1604;
// Start-up steps of the root window, in the order they are posted: begin, catalogue, screens, show.
inline constexpr int WM_STARTUP_SHOW = 0x2400;
inline constexpr int WM_STARTUP_SCREENS = 0x2401;
inline constexpr int WM_STARTUP_CATALOGUE = 0x2402;
inline constexpr int WM_STARTUP_BEGIN = 0x2403;
inline constexpr int WM_STOP_DEVICE_POLL = 0x2501;
// Navigation, always posted to the root window (screen slot 0).
inline constexpr int WM_APP_QUIT = 0x3500;
inline constexpr int WM_GOTO_SENSORS = 0x3600;
inline constexpr int WM_GOTO_MEASUREMENT = 0x3601;
inline constexpr int WM_GOTO_ANALYSIS = 0x3602;
inline constexpr int WM_GOTO_PROJECTS = 0x3603;
inline constexpr int WM_MENU_BUTTON5 = 0x3605;
// Workers' wake-ups.
inline constexpr int WM_MONITOR_DATA = 0x4400;
inline constexpr int WM_ACQ_DATA = 0x4500;
inline constexpr int WM_SETUP_REFRESH = 0x4901;
inline constexpr int WM_PERIODIC_REDRAW = 0x5400;
// Help viewer.
inline constexpr int WM_SHOW_HTML = 0x6400;
inline constexpr int WM_HTML_BACK = 0x6410;
inline constexpr int WM_HTML_TITLE = 0x6520;  // the title travels as the event's text
// Project manager.
inline constexpr int WM_PROJECT_COMMAND = 0x7400;
inline constexpr int WM_TREE_LABEL_EDITED = 0x7500;  // the new label travels as the event's text
// PC-sync mode of the root window.
inline constexpr int WM_PCSYNC_ENTER = 0x9400;
inline constexpr int WM_PCSYNC_DONE = 0x9500;
inline constexpr int WM_PCSYNC_LEAVE = 0x9600;

inline constexpr int kFirstScreenMessage = WM_DEVICE_FOUND;
inline constexpr int kLastScreenMessage = WM_PCSYNC_LEAVE;

inline constexpr int kScreenMessageCodes[] = {
    WM_DEVICE_FOUND, WM_DEVICE_NOT_FOUND, WM_DEVICE_CHECK_OTHER, WM_DEVICE_CHECK_NOTICE, WM_SCREEN_SHOW,
    WM_SCREEN_HIDE, WM_SCREEN_REFRESH, WM_SCREEN_STOP, WM_KEY_ESCAPE, WM_CALIBRATION_RESET, WM_STARTUP_SHOW,
    WM_STARTUP_SCREENS, WM_STARTUP_CATALOGUE, WM_STARTUP_BEGIN, WM_STOP_DEVICE_POLL, WM_APP_QUIT,
    WM_GOTO_SENSORS, WM_GOTO_MEASUREMENT, WM_GOTO_ANALYSIS, WM_GOTO_PROJECTS, WM_MENU_BUTTON5, WM_MONITOR_DATA,
    WM_ACQ_DATA, WM_SETUP_REFRESH, WM_PERIODIC_REDRAW, WM_SHOW_HTML, WM_HTML_BACK, WM_HTML_TITLE,
    WM_PROJECT_COMMAND, WM_TREE_LABEL_EDITED, WM_PCSYNC_ENTER, WM_PCSYNC_DONE, WM_PCSYNC_LEAVE,
};

}  // namespace uikit
