#include "logger/measure/SetupDialogs.h"

#include "logger/measure/CSensorSetup1Dlg.h"
#include "logger/measure/SensorSetup2Dlg.h"
#include "uikit/common/CVRDCommonBase.h"

namespace measure {

int RunSetupDialog(QWidget* owner, const SetupRequest& request)
{
    devicelink::CNI2CSensor* sensor = uikit::CVRDCommonBase::GetSensor();
    if (!sensor)
        return kDialogCancel;
    int result = SetupDialogBase::kResultCancel;
    if (request.dialog == SetupDialog::FunctionGenerator) {
        SensorSetup2Dlg dialog(owner, *sensor);
        dialog.SetChannel(request.channel);
        result = dialog.exec();
    } else {
        CSensorSetup1Dlg dialog(owner, *sensor);
        if (request.dialog == SetupDialog::Calibration) {
            dialog.SetMode(SetupMode::Calibration);
            dialog.SetPoints(request.points);
        }
        result = dialog.exec();
    }
    return result == SetupDialogBase::kResultOk ? kDialogOk : kDialogCancel;
}

}  // namespace measure
