#pragma once

#include <QPoint>

#include "logger/analysis/core/AnalysisEngine.h"
#include "logger/project/ExperimentRecords.h"

class QContextMenuEvent;
class QKeyEvent;
class QMouseEvent;
class QPainter;

// What the analysis screen leaves to the parts built beside it: the pointer, keys and view
// commands (which graph a press lands on, drag ranges, panning, the resize grip, notes, zoom and
// auto-scale), and the dialogs its commands open (curve-fit, integral and derivative choices, the
// graph set-up, the set's memo and notes, the details window). The screen owns one of each and
// calls them from its handlers. The screen installs the real ones (GraphInteraction,
// ScreenDialogs); the bases below do nothing, or take the set's stored choices without asking.
namespace analysis {

class CAnalyzeDlg;

class AnalysisInteraction {
public:
    virtual ~AnalysisInteraction() = default;

    // The screen has made its controls and hands itself over.
    virtual void Attach(CAnalyzeDlg&) {}
    // Each gets the screen's event first; true when it handled it.
    virtual bool MousePress(CAnalyzeDlg&, QMouseEvent&) { return false; }
    virtual bool MouseMove(CAnalyzeDlg&, QMouseEvent&) { return false; }
    virtual bool MouseRelease(CAnalyzeDlg&, QMouseEvent&) { return false; }
    virtual bool ContextMenu(CAnalyzeDlg&, QContextMenuEvent&) { return false; }
    // Keys that reach the screen (the shared key filter takes Enter, Escape and Left first).
    virtual bool KeyPress(CAnalyzeDlg&, QKeyEvent&) { return false; }
    // Timer kNoteTimer, started by the interaction when a note is grabbed.
    virtual void NoteTimer(CAnalyzeDlg&) {}
    // Buttons 1010 (zoom to the selection), 1014 (auto-scale) and 1127 (pan mode, a check button
    // whose state the interaction reads).
    virtual void Zoom(CAnalyzeDlg&) {}
    virtual void ToggleAutoScale(CAnalyzeDlg&) {}
    virtual void PanClicked(CAnalyzeDlg&) {}
    // Drawn over the graphs, under the clock: the resize bar, the selection's focus rectangle.
    virtual void PaintOverlay(CAnalyzeDlg&, QPainter&) {}
    // The screen was entered or laid out again: any drag in progress is over.
    virtual void Reset(CAnalyzeDlg&) {}
};

struct CurveFitChoice {
    int curveModel = 0;
    int polynomialOrder = 3;
    int expVariant = 0;
};

// The dialogs a command opens. Each returns true for OK with the choice filled in; false (Cancel)
// changes nothing. The defaults take the set's stored choices without asking, and open nothing
// that has no stored answer.
class AnalysisDialogs {
public:
    virtual ~AnalysisDialogs() = default;

    virtual bool ChooseCurveFit(CAnalyzeDlg&, const project::AnalysisSettings& current, CurveFitChoice& choice);
    virtual bool ChooseIntegral(CAnalyzeDlg&, const project::AnalysisSettings& current, int& method);
    virtual bool ChooseDerivative(CAnalyzeDlg&, const project::AnalysisSettings& current, int& method);
    // The graph set-up on the current data set: graph count, the sets' data selection, view
    // options. dataChanged: the current set's series changed, so its analysis starts again.
    virtual bool GraphSetup(CAnalyzeDlg&, project::DataSetRecord&, bool& /*dataChanged*/) { return false; }
    // The current set's memo, edited in place.
    virtual bool EditMemo(CAnalyzeDlg&, project::NoteRecord&) { return false; }
    // A note the user puts on the current graph: its text, size and weight, edited in place.
    // `at` is where it will stand in the screen.
    virtual bool EditNote(CAnalyzeDlg&, project::GraphNote&, QPoint /*at*/) { return false; }
    // The result lines of the last run (only called with at least one line).
    virtual void ShowDetails(CAnalyzeDlg&, const ResultLines&) {}
};

}  // namespace analysis
