#pragma once

#include <QString>

// How a screen opens a page in the help viewer: post WM_SHOW_HTML with the page's address as the
// text to the root window (screen slot 0), which shows the viewer with it.
//
//     shell::OpenHelpPage(shell::HelpPagePath(shell::kQuickStartGuidePage));
namespace shell {

inline constexpr char kQuickStartGuidePage[] = "Quick Start Guide.html";

// "<data directory>/Sensors/<page>".
QString HelpPagePath(const QString& page);
// 1 when the request was posted, 0 without a root window.
int OpenHelpPage(const QString& address);

}  // namespace shell
