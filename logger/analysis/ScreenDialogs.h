#pragma once

#include <utility>

#include "logger/analysis/AnalysisHooks.h"
#include "logger/shell/ScreenServices.h"

// The dialogs the analysis screen's commands open: the curve-fit, integral and derivative
// choices, the graph set-up and the details window, each modal over the screen. Notes are edited
// by the program's note dialog, which the screen's services hand in; without one, nothing opens
// and nothing changes.
namespace analysis {

class ScreenDialogs : public AnalysisDialogs {
public:
    explicit ScreenDialogs(shell::ChartNoteEditor editNote) : editNote_(std::move(editNote)) {}

    bool ChooseCurveFit(CAnalyzeDlg& screen, const project::AnalysisSettings& current, CurveFitChoice& choice) override;
    bool ChooseIntegral(CAnalyzeDlg& screen, const project::AnalysisSettings& current, int& method) override;
    bool ChooseDerivative(CAnalyzeDlg& screen, const project::AnalysisSettings& current, int& method) override;
    bool GraphSetup(CAnalyzeDlg& screen, project::DataSetRecord& record, bool& dataChanged) override;
    bool EditMemo(CAnalyzeDlg& screen, project::NoteRecord& memo) override;
    bool EditNote(CAnalyzeDlg& screen, project::GraphNote& note, QPoint at) override;
    void ShowDetails(CAnalyzeDlg& screen, const ResultLines& lines) override;

private:
    shell::ChartNoteEditor editNote_;
};

}  // namespace analysis
