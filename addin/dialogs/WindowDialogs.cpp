#include "addin/dialogs/WindowDialogs.h"

#include "addin/dialogs/AddInPictures.h"
#include "addin/dialogs/AnalysisOptionDlgs.h"
#include "addin/dialogs/CAnalyzeDetail.h"
#include "addin/dialogs/CMeasureDlg.h"
#include "addin/dialogs/CSnapShotDlg.h"

#include <QApplication>
#include <QThread>

namespace addin::dialogs {

namespace {

template <typename Dialog>
int RunModelChoice(int32_t& method)
{
    Dialog dialog;
    const int result = dialog.exec();
    method = dialog.Model();
    return result == kDialogOk ? kDialogOk : kDialogCancel;
}

}  // namespace

WindowDialogs::~WindowDialogs()
{
    DestroyAll();
}

bool WindowDialogs::CanShowWindows()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

bool WindowDialogs::SnapshotDialogExists() const
{
    return snapshot_ && !snapshot_->Ending();
}

bool WindowDialogs::CloseSnapshotDialog()
{
    if (!SnapshotDialogExists())
        return false;
    snapshot_->End();
    snapshot_.clear();
    return true;
}

void WindowDialogs::ShowSnapshotDialog(intptr_t parentWindow)
{
    if (!CanShowWindows())
        return;
    if (!SnapshotDialogExists()) {
        QWidget* parent = parentWindow ? QWidget::find(WId(parentWindow)) : nullptr;
        snapshot_ = new CSnapShotDlg(parent);
    }
    snapshot_->show();
    snapshot_->raise();
}

int WindowDialogs::RunMeasureDialog()
{
    if (!CanShowWindows())
        return AddInDialogs::RunMeasureDialog();
    CMeasureDlg dialog;
    measure_ = &dialog;
    const int result = dialog.exec();
    return result == kDialogOk ? kDialogOk : kDialogCancel;
}

void WindowDialogs::ShowAnalysisDetail(const std::vector<std::u16string>& lines)
{
    if (!CanShowWindows())
        return;
    delete detail_.data();
    detail_ = new CAnalyzeDetail(nullptr, lines);
    detail_->show();
}

int WindowDialogs::RunCurveSelect(CurveChoice& choice)
{
    if (!CanShowWindows())
        return AddInDialogs::RunCurveSelect(choice);
    CCurveSelectdlg dialog;
    const int result = dialog.exec();
    choice.curve = dialog.Choice();
    choice.orderIndex = dialog.OrderIndex();
    choice.exponentialModel = dialog.ModelIndex();
    return result == kDialogOk ? kDialogOk : kDialogCancel;
}

int WindowDialogs::RunIntegralModel(int32_t& method)
{
    if (!CanShowWindows())
        return AddInDialogs::RunIntegralModel(method);
    return RunModelChoice<CIntegnaldlg>(method);
}

int WindowDialogs::RunDerivativeModel(int32_t& method)
{
    if (!CanShowWindows())
        return AddInDialogs::RunDerivativeModel(method);
    return RunModelChoice<CDerivativedlg>(method);
}

void WindowDialogs::DestroyAll()
{
    if (!QCoreApplication::instance()) {
        // The host's application ended before the library goes: no window can be deleted now,
        // but the snapshot window's display thread still ends before the library and the device
        // layer it reads through do.
        if (snapshot_)
            snapshot_->StopDisplay();
        return;
    }
    // The library may be unloaded right after this: nothing of its windows is left for later.
    if (snapshot_) {
        snapshot_->End();
        delete snapshot_.data();
    }
    delete detail_.data();
    // A measurement window still running its own loop ends it; its caller deletes it.
    if (measure_)
        measure_->reject();
    ReleaseAddInPictures();
}

}  // namespace addin::dialogs
