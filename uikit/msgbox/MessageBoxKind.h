#pragma once

// The kinds of the program's message box, by which every screen and core asks for one. Constants
// only, so that widget-free cores can name the box they ask their screen for.
namespace uikit {

enum MessageBoxKind : int {
    // The device-change notices: detection runs on a worker while the box is up, then the box
    // turns into one of the four reports below.
    kBoxTypeDeviceAttached = 0,
    kBoxTypeDeviceRemoved = 1,
    // The reports of a detection, each closing by itself.
    kBoxTypeSensorsIdentified = 2,   // the channel list
    kBoxTypeCheckCables = 3,
    kBoxTypeNothingDetected = 4,     // the detection's own text
    kBoxTypeCheckLogger = 5,
    // A screen's own boxes with the caller's two texts.
    kBoxTypeNotice = 6,              // OK; closes by itself after 5 seconds
    kBoxTypeQuestion = 7,            // OK and Cancel; closes by itself after 5 seconds
    kBoxTypeTwoButtons = 8,          // OK and Cancel, no text; waits for a button
    kBoxTypeWaitingNotice = 9,       // OK; stays until it is pressed (a reason the user must read)
};
inline constexpr int kBoxTypeCount = 10;

}  // namespace uikit
