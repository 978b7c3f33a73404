#include "logger/shell/CVRDMainAppApp.h"

#include "logger/shell/CVRDMainAppDlg.h"

#include <QApplication>
#include <QTimer>

namespace shell {

int CVRDMainAppApp::Run()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    QCoreApplication::setApplicationName(QStringLiteral("PlovexLogger"));
    // The program ends when the root window has taken everything down, never because a window
    // closed.
    QApplication::setQuitOnLastWindowClosed(false);

    CVRDMainAppDlg root;
    QObject::connect(&root, &CVRDMainAppDlg::finished, qApp, [](int code) { QCoreApplication::exit(code); });
    root.show();
    QTimer::singleShot(0, &root, &CVRDMainAppDlg::Start);
    return QApplication::exec();
}

}  // namespace shell
