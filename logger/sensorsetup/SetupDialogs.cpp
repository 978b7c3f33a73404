#include "logger/sensorsetup/SetupDialogs.h"

#include "logger/sensorsetup/CSensorSetup1Dlg.h"
#include "logger/sensorsetup/SensorSetup2Dlg.h"
#include "uikit/common/CVRDCommonBase.h"

namespace sensorsetup {

int RunSetupDialog(QWidget* owner, const monitor::SetupRequest& request)
{
    devicelink::CNI2CSensor* sensor = uikit::CVRDCommonBase::GetSensor();
    if (!sensor)
        return monitor::kDialogCancel;
    int result = SetupDialogBase::kResultCancel;
    if (request.dialog == monitor::SetupDialog::FunctionGenerator) {
        SensorSetup2Dlg dialog(owner, *sensor);
        dialog.SetChannel(request.channel);
        result = dialog.exec();
    } else {
        CSensorSetup1Dlg dialog(owner, *sensor);
        if (request.dialog == monitor::SetupDialog::Calibration) {
            dialog.SetMode(SetupMode::Calibration);
            dialog.SetPoints(request.points);
        }
        result = dialog.exec();
    }
    return result == SetupDialogBase::kResultOk ? monitor::kDialogOk : monitor::kDialogCancel;
}

}  // namespace sensorsetup
