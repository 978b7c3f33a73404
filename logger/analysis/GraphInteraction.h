#pragma once

#include <cstdint>

#include <QObject>
#include <QPoint>

#include "logger/analysis/AnalysisHooks.h"
#include "logger/analysis/core/AnalysisLayout.h"

// The pointer, keys and view commands of the analysis screen. A press on another graph makes it
// current; on the current graph a press starts panning (pan button checked), resizing (the grip
// at the chart's bottom right, several graphs), moving a note (a press on one), or a selection.
// A selection held 200 ms or longer becomes the set's range (and the chart's zoom rectangle),
// a quicker one is a click that puts the cursor on the sample under it and selects its grid row.
// The right button (its context-menu event) puts a note of the user's at the data under it. Up
// and Down step the auto-scale pad, also while a control of the screen has the focus.
//
// Points are taken "graph-relative": the window row less the current graph's place in the
// stack, so that the chart and plot rectangles of the current graph apply as they stand.
namespace analysis {

class GraphInteraction : public QObject, public AnalysisInteraction {
    Q_OBJECT

public:
    static constexpr int kNoteHoldMs = 2000;

    void Attach(CAnalyzeDlg& screen) override;
    bool MousePress(CAnalyzeDlg& screen, QMouseEvent& event) override;
    bool MouseMove(CAnalyzeDlg& screen, QMouseEvent& event) override;
    bool MouseRelease(CAnalyzeDlg& screen, QMouseEvent& event) override;
    bool ContextMenu(CAnalyzeDlg& screen, QContextMenuEvent& event) override;
    bool KeyPress(CAnalyzeDlg& screen, QKeyEvent& event) override;
    void NoteTimer(CAnalyzeDlg& screen) override;
    void Zoom(CAnalyzeDlg& screen) override;
    void ToggleAutoScale(CAnalyzeDlg& screen) override;
    void PanClicked(CAnalyzeDlg& screen) override;
    void PaintOverlay(CAnalyzeDlg& screen, QPainter& painter) override;
    void Reset(CAnalyzeDlg& screen) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Where the current graph stands in the stack: window row = graph-relative row + this.
    static int PageOffset(const CAnalyzeDlg& screen);
    static bool PanChecked(const CAnalyzeDlg& screen);
    // The Y series' view into the graph's record, where it is saved with the project.
    static void StoreView(CAnalyzeDlg& screen);
    void DeleteNote(CAnalyzeDlg& screen, int note);
    void StoreSelection(CAnalyzeDlg& screen, const Rect& chart);
    void Click(CAnalyzeDlg& screen, int chartX);
    void StepPad(CAnalyzeDlg& screen, bool up);
    void ClearModes();

    CAnalyzeDlg* screen_ = nullptr;
    bool selecting_ = false;
    bool dragActive_ = false;
    bool panning_ = false;
    bool resizing_ = false;
    bool noteDragging_ = false;
    QPoint press_;        // graph-relative
    uint32_t pressTick_ = 0;
    int pressOffset_ = 0;
    QPoint last_;         // graph-relative, the last point of the drag in progress
    int barRow_ = 0;      // window row of the resize bar
    Rect selection_;      // window pixels
};

}  // namespace analysis
