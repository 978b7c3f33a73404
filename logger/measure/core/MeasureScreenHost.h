#pragma once

#include <cstdint>
#include <string>

#include "uikit/msgbox/MessageBoxKind.h"

// What the measurement screen's widget does for its controller. Everything but PostWakeUp is
// called on the screen's (UI) thread.
namespace measure {

class MeasureScreenHost {
public:
    virtual ~MeasureScreenHost() = default;

    // The program's message box of a uikit::MessageBoxKind with two language-module texts (0:
    // none); 1 for OK, 2 otherwise.
    virtual int ShowMessage(int type, int textId, int secondTextId) = 0;
    // A language-module text.
    virtual std::u16string Text(int id) = 0;
    // Window timers by their numeric id (the trigger test is 1222).
    virtual void StartTimer(int id, int intervalMs) = 0;
    virtual void KillTimer(int id) = 0;
    // Called on the acquisition worker's thread: post the wake-up (0x4500) carrying `generation`
    // to the screen, which hands it to MeasureController::OnWakeUp.
    virtual void PostWakeUp(uint32_t generation) = 0;
    // The chart's picture changed: repaint, then call MeasureController::OnPainted.
    virtual void Invalidate() = 0;
    // Run state, toggles or data sets changed: rebuild the buttons and the run combo.
    virtual void ControlsChanged() = 0;
    // The last data set is gone: back to the sensor monitor (0x3600 to the root window).
    virtual void GoToSensorScreen() = 0;
};

}  // namespace measure
