// CorvikFirmwareUpgrade: writes new firmware into the Corvik logger. Its texts
// (CorvikUpgradeString.xml) and pictures are in the data folder: the current directory, else the
// one beside the executable (an installed copy or a build), which then becomes the current one.
#include "firmware/CCorvikFirmwareUpgradeDlg.h"

#include "devicelink/link/DeviceApi.h"
#include "uikit/resources/DataFolder.h"
#include "uikit/resources/FallbackTexts.h"

#include <QApplication>
#include <QNetworkProxyFactory>

#include <cstdio>
#include <utility>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The download goes the way the system's proxy settings say.
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    const uikit::DataFolderSearch data = uikit::EnterDataFolder(QString::fromLatin1(uikit::kFirmwareDataMarker));
    firmware::CCorvikFirmwareUpgradeDlg::Options options;
    if (!data.Found()) {
        // The tool's own texts are in the folder that was not found: the built-in English.
        options.dataNotice = uikit::FallbackText(uikit::kTextDataFolderMissing) + QStringLiteral("\n\n") +
                             uikit::DataFolderSearchReport(data, uikit::FallbackText(uikit::kTextDataFileMissing),
                                                           uikit::FallbackText(uikit::kTextDataFolderLooked));
        std::fprintf(stderr, "CorvikFirmwareUpgrade: %s\n", options.dataNotice.toLocal8Bit().constData());
    }
    {
        firmware::CCorvikFirmwareUpgradeDlg dialog(firmware::FlatUpgradeDevice(), std::move(options));
        dialog.exec();
    }
    DevClose();
    return 0;
}
