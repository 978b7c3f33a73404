#include "logger/analysis/ScreenDialogs.h"

#include "logger/analysis/CAnalyzeDetailsDlg.h"
#include "logger/analysis/CAnalyzeDlg.h"
#include "logger/analysis/CAnalyzeSetup1Dlg.h"
#include "logger/analysis/CCurveFitDlg.h"
#include "logger/analysis/CMethodDlg.h"
#include "logger/analysis/WaitCursor.h"

namespace analysis {

namespace {

// A dialog over the screen: no wait cursor may stay up over it.
bool RunsOk(CSkinnedDlg& dialog)
{
    WaitCursor::RestoreAll();
    return dialog.exec() == CSkinnedDlg::kResultOk;
}

}  // namespace

bool ScreenDialogs::ChooseCurveFit(CAnalyzeDlg& screen, const project::AnalysisSettings& current,
                                   CurveFitChoice& choice)
{
    CCurveFitDlg dialog(&screen, current);
    if (!RunsOk(dialog))
        return false;
    choice.curveModel = dialog.Model();
    choice.polynomialOrder = dialog.Order();
    choice.expVariant = dialog.Form();
    return true;
}

bool ScreenDialogs::ChooseIntegral(CAnalyzeDlg& screen, const project::AnalysisSettings& current, int& method)
{
    CIntegralDlg dialog(&screen, current.integralMethod);
    if (!RunsOk(dialog))
        return false;
    method = dialog.Method();
    return true;
}

bool ScreenDialogs::ChooseDerivative(CAnalyzeDlg& screen, const project::AnalysisSettings& current, int& method)
{
    CDerivativeDlg dialog(&screen, current.derivativeMethod);
    if (!RunsOk(dialog))
        return false;
    method = dialog.Method();
    return true;
}

bool ScreenDialogs::GraphSetup(CAnalyzeDlg& screen, project::DataSetRecord& record, bool& dataChanged)
{
    CAnalyzeSetup1Dlg dialog(screen, record);
    if (!RunsOk(dialog))
        return false;
    dataChanged = dialog.SelectionChanged();
    return true;
}

bool ScreenDialogs::EditMemo(CAnalyzeDlg& screen, project::NoteRecord& memo)
{
    WaitCursor::RestoreAll();
    return editNote_ && editNote_(&screen, &memo, nullptr, {});
}

bool ScreenDialogs::EditNote(CAnalyzeDlg& screen, project::GraphNote& note, QPoint at)
{
    WaitCursor::RestoreAll();
    return editNote_ && editNote_(&screen, nullptr, &note, at);
}

void ScreenDialogs::ShowDetails(CAnalyzeDlg& screen, const ResultLines& lines)
{
    const project::AnalysisSettings* settings = screen.Model().CurrentSettings();
    CAnalyzeDetailsDlg dialog(&screen, lines, settings ? settings->analysisType : kTypeNone);
    RunsOk(dialog);
}

}  // namespace analysis
