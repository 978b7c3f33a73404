// CorvikFirmwareUpgrade: writes new firmware into the Corvik logger. Start it from the data
// folder, which holds its texts (CorvikUpgradeString.xml) and its pictures.
#include "firmware/CCorvikFirmwareUpgradeDlg.h"

#include "devicelink/link/DeviceApi.h"

#include <QApplication>
#include <QNetworkProxyFactory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The download goes the way the system's proxy settings say.
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    {
        firmware::CCorvikFirmwareUpgradeDlg dialog(firmware::FlatUpgradeDevice(), {});
        dialog.exec();
    }
    DevClose();
    return 0;
}
