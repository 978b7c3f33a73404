#pragma once

// The language texts of the help viewer and the options dialog.
namespace shell {

// Given by the options dialog's layout.
inline constexpr int kTextOptionsHeading = 2105;
inline constexpr int kTextSmallButtonCaption = 2111;
inline constexpr int kTextFullScreen = 2243;
// Our own.
inline constexpr int kTextPageNotFound = 3010;  // title and heading of the page shown for a missing one
inline constexpr int kTextPageMissing = 3011;   // the line above the missing page's path
inline constexpr int kTextClockNotSet = 3012;   // the machine refused the new date and time
inline constexpr int kTextLinkRefused = 3241;   // a help link leads out of the help pages (text 2: where)
inline constexpr int kTextLinkOutside = 3242;   // a web link went to the desktop's browser (text 2: the address)

}  // namespace shell
