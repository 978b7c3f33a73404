#pragma once

#include "addin/AddInDialogs.h"

#include <QPointer>

// The add-in's windows as QDialogs, opened only where the host runs a QApplication on the
// calling thread; elsewhere every call answers as the plain AddInDialogs does.
namespace addin::dialogs {

class CAnalyzeDetail;
class CMeasureDlg;
class CSnapShotDlg;

class WindowDialogs : public AddInDialogs {
public:
    ~WindowDialogs() override;

    bool SnapshotDialogExists() const override;
    bool CloseSnapshotDialog() override;
    void ShowSnapshotDialog(intptr_t parentWindow) override;
    int RunMeasureDialog() override;
    void ShowAnalysisDetail(const std::vector<std::u16string>& lines) override;
    int RunCurveSelect(CurveChoice& choice) override;
    int RunIntegralModel(int32_t& method) override;
    int RunDerivativeModel(int32_t& method) override;
    void DestroyAll() override;

    // A QApplication runs on this thread.
    static bool CanShowWindows();

private:
    // The snapshot window has three owners (the workbook functions, itself, the shut-down); the
    // guarded pointer lets each end it without deleting it twice.
    QPointer<CSnapShotDlg> snapshot_;
    QPointer<CAnalyzeDetail> detail_;
    QPointer<CMeasureDlg> measure_;
};

}  // namespace addin::dialogs
