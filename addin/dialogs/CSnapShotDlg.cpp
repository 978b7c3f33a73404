#include "addin/dialogs/CSnapShotDlg.h"

#include <QCloseEvent>

namespace addin::dialogs {

namespace {

constexpr WindowLook kLook{CSnapShotDlg::kDialogId, "Snapshot", 640, 150, 5028, {42, 82, 160}, CSnapShotDlg::kTickMs};

}  // namespace

CSnapShotDlg::CSnapShotDlg(QWidget* parent) : ChannelWindow(kLook, parent)
{
    // The first look for sensors is the display thread's: a silent logger keeps it, not the host.
    StartDisplay(true);
    StartTicks();
}

void CSnapShotDlg::End()
{
    if (ending_)
        return;
    ending_ = true;
    StopTicks();
    StopDisplay();
    hide();
    deleteLater();
}

void CSnapShotDlg::reject()
{
    End();
}

void CSnapShotDlg::closeEvent(QCloseEvent* event)
{
    event->accept();
    End();
}

void CSnapShotDlg::TickHeld()
{
    link_ = WatchLink(device_);
}

bool CSnapShotDlg::TickDone()
{
    switch (link_) {
    case LinkEvent::Quiet:
        break;
    case LinkEvent::Changed:
        StopDisplay();
        StartDisplay(true);
        break;
    case LinkEvent::Lost:
        End();
        return false;
    }
    return true;
}

}  // namespace addin::dialogs
