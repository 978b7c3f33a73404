#pragma once

#include <functional>

#include "logger/analysis/AnalysisHooks.h"

class QWidget;

// The dialogs the analysis screen's commands open: the curve-fit, integral and derivative
// choices, the graph set-up and the details window, each modal over the screen. Notes are edited
// by the program's note editor, which the shell hands in (SetNoteEditor); without one, nothing
// opens and nothing changes.
namespace analysis {

class ScreenDialogs : public AnalysisDialogs {
public:
    // Edits a note record, else a note on a chart standing at `at` in the owner; true for OK.
    using NoteEditor =
        std::function<bool(QWidget* owner, logger::NoteRecord* note, logger::GraphNote* chartNote, QPoint at)>;
    static void SetNoteEditor(NoteEditor editor);

    bool ChooseCurveFit(CAnalyzeDlg& screen, const logger::AnalysisSettings& current, CurveFitChoice& choice) override;
    bool ChooseIntegral(CAnalyzeDlg& screen, const logger::AnalysisSettings& current, int& method) override;
    bool ChooseDerivative(CAnalyzeDlg& screen, const logger::AnalysisSettings& current, int& method) override;
    bool GraphSetup(CAnalyzeDlg& screen, logger::DataSetRecord& record, bool& dataChanged) override;
    bool EditMemo(CAnalyzeDlg& screen, logger::NoteRecord& memo) override;
    bool EditNote(CAnalyzeDlg& screen, logger::GraphNote& note, QPoint at) override;
    void ShowDetails(CAnalyzeDlg& screen, const ResultLines& lines) override;
};

}  // namespace analysis
