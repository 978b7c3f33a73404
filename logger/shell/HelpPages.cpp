#include "logger/shell/HelpPages.h"

#include "uikit/common/CVRDCommonBase.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"

#include <QDir>
#include <QWidget>

namespace shell {

QString HelpPagePath(const QString& page)
{
    return QDir(uikit::CVRDCommonBase::GetDataDirectory()).filePath(QStringLiteral("Sensors/") + page);
}

int OpenHelpPage(const QString& address)
{
    QWidget* root = uikit::CVRDCommonBase::GetScreen(uikit::kSlotRoot);
    return root && uikit::PostScreenMessage(root, uikit::WM_SHOW_HTML, 0, 0, address) ? 1 : 0;
}

}  // namespace shell
