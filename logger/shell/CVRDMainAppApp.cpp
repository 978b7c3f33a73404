#include "logger/shell/CVRDMainAppApp.h"

#include "logger/shell/CVRDMainAppDlg.h"

#include <QApplication>
#include <QTimer>

namespace shell {

std::unique_ptr<CVRDMainAppDlg> CVRDMainAppApp::Launch()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    QCoreApplication::setApplicationName(QStringLiteral("PlovexLogger"));
    // The program ends when the root window has taken everything down, never because a window
    // closed.
    QApplication::setQuitOnLastWindowClosed(false);

    auto root = std::make_unique<CVRDMainAppDlg>();
    root->show();
    QTimer::singleShot(0, root.get(), &CVRDMainAppDlg::Start);
    return root;
}

int CVRDMainAppApp::Run()
{
    const std::unique_ptr<CVRDMainAppDlg> root = Launch();
    QObject::connect(root.get(), &CVRDMainAppDlg::finished, qApp, [](int code) { QCoreApplication::exit(code); });
    return QApplication::exec();
}

}  // namespace shell
