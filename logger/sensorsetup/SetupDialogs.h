#pragma once

#include "logger/monitor/core/MonitorSetup.h"

class QWidget;

// How the screens open the set-up dialogs: modal over `owner`, kDialogOk or kDialogCancel.
// Without a sensor object nothing opens (kDialogCancel).
namespace sensorsetup {

// The sensor monitor's requests: channel set-up, calibration with its points, or the function
// generator's own dialog.
int RunSetupDialog(QWidget* owner, const monitor::SetupRequest& request);

}  // namespace sensorsetup
