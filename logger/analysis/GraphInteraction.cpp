#include "logger/analysis/GraphInteraction.h"

#include <algorithm>
#include <cstring>

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "logger/analysis/CAnalyzeDlg.h"
#include "logger/analysis/core/AnalysisPointer.h"
#include "platform/Clock.h"
#include "uikit/button/CButtonST.h"
#include "uikit/paint/SkinPaint.h"
#include "uikit/table/CMyTableCtrl.h"

namespace analysis {

namespace {

constexpr uint32_t kResizeBarColour = 0x808080;
constexpr int kResizeBarHalf = 2;
constexpr int kSelectionMargin = 3;

QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

bool IsScreenKey(int key)
{
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Escape || key == Qt::Key_Return ||
           key == Qt::Key_Enter;
}

}  // namespace

void GraphInteraction::Attach(CAnalyzeDlg& screen)
{
    screen_ = &screen;
    // The keys come here before the controls have them: the set combo would take Up and Down
    // for itself, the grid would scroll.
    for (QWidget* child : screen.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->installEventFilter(this);
}

bool GraphInteraction::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && screen_ && screen_->HasData() && !QApplication::activeModalWidget()) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (IsScreenKey(key->key()) && KeyPress(*screen_, *key))
            return true;
    }
    return QObject::eventFilter(watched, event);
}

int GraphInteraction::PageOffset(const CAnalyzeDlg& screen)
{
    return screen.GraphHeight() * screen.CurrentGraph() - screen.ScrollPosition();
}

bool GraphInteraction::PanChecked(const CAnalyzeDlg& screen)
{
    const uikit::CButtonST* pan = screen.Button(CAnalyzeDlg::kPan);
    return pan && pan->GetCheck() == 1;
}

void GraphInteraction::StoreView(CAnalyzeDlg& screen)
{
    project::AnalysisGraphRecord* graph = screen.Model().CurrentGraphRecord();
    if (!graph || !project::IsDataSeries(graph->ySeries))
        return;
    screen.CurrentChart().GetSeriesTransform(graph->ySeries, graph->viewXOffset, graph->viewYOffset,
                                             graph->viewXScale, graph->viewYScale);
}

void GraphInteraction::ClearModes()
{
    selecting_ = false;
    dragActive_ = false;
    panning_ = false;
    resizing_ = false;
    noteDragging_ = false;
}

bool GraphInteraction::MousePress(CAnalyzeDlg& screen, QMouseEvent& event)
{
    // The right button acts through its context-menu event alone, which comes once per click.
    if (event.button() == Qt::RightButton)
        return true;
    if (event.button() != Qt::LeftButton)
        return false;
    const QPoint at = event.position().toPoint();
    const project::DataSetRecord& record = *screen.Record();
    const int graph =
        GraphAtRow(at.y(), screen.ScrollPosition(), screen.GraphHeight(), project::GraphCountOf(record));
    // Over the button band or below the last graph there is no graph to act on.
    if (graph < 0)
        return true;
    if (graph != screen.CurrentGraph()) {
        screen.CurrentChart().SetZoomRect(0, 0, 0, 0, 0);
        screen.SelectGraph(graph);
        return true;
    }

    const int x = at.x();
    const int y = at.y() - PageOffset(screen);
    const Rect chart = screen.CurrentChartRect();
    if (PanChecked(screen) && !resizing_) {
        panning_ = true;
        last_ = {x, y};
    } else if (record.graphsResizable == 1 && !resizing_ && InResizeGrip(chart, x, y)) {
        resizing_ = true;
        last_ = {x, y};
        barRow_ = at.y();
    } else if (StrictlyInside(screen.CurrentPlotRect(), x, y)) {
        if (screen.CurrentChart().HitTestNote(x - chart.left, y - chart.top) == 1) {
            noteDragging_ = true;
            last_ = {x, y};
            screen.Timers().SetTimer(CAnalyzeDlg::kNoteTimer, kNoteHoldMs);
        } else {
            pressTick_ = platform::GetTickCount32();
            press_ = {x, y};
            last_ = press_;
            pressOffset_ = PageOffset(screen);
            selecting_ = true;
            dragActive_ = false;
        }
    } else {
        selecting_ = false;
    }
    return true;
}

bool GraphInteraction::MouseMove(CAnalyzeDlg& screen, QMouseEvent& event)
{
    const QPoint at = event.position().toPoint();
    const int x = at.x();
    const int y = at.y() - PageOffset(screen);
    uikit::CNIXYChart& chart = screen.CurrentChart();
    if (resizing_) {
        last_ = {x, y};
        barRow_ = at.y();
        screen.update();
        return true;
    }
    if (noteDragging_) {
        chart.MoveNote(last_.x() - x, last_.y() - y);
        last_ = {x, y};
        screen.RefreshResult();
        return true;
    }
    if (panning_) {
        chart.PanAll(last_.x() - x, last_.y() - y);
        last_ = {x, y};
        screen.RefreshResult();
        StoreView(screen);
        return true;
    }
    // Only the left button alone draws a selection: with Shift or Ctrl held it is something else.
    const bool leftAlone = event.buttons() == Qt::LeftButton &&
                           !(event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
    if (leftAlone && selecting_ && StrictlyInside(screen.CurrentPlotRect(), x, y)) {
        const QRect before = ToQRect(selection_).adjusted(-kSelectionMargin, -kSelectionMargin, kSelectionMargin,
                                                          kSelectionMargin);
        dragActive_ = true;
        last_ = {x, y};
        selection_ = OrderedRect(press_.x(), press_.y() + pressOffset_, x, y + PageOffset(screen));
        const QRect after = ToQRect(selection_).adjusted(-kSelectionMargin, -kSelectionMargin, kSelectionMargin,
                                                         kSelectionMargin);
        screen.update(before.united(after));
        return true;
    }
    return false;
}

bool GraphInteraction::MouseRelease(CAnalyzeDlg& screen, QMouseEvent& event)
{
    if (event.button() == Qt::RightButton)
        return true;
    if (event.button() != Qt::LeftButton)
        return false;
    const QPoint at = event.position().toPoint();
    const int x = at.x();
    const int y = at.y() - PageOffset(screen);
    const Rect chart = screen.CurrentChartRect();
    if (resizing_) {
        project::DataSetRecord& record = *screen.Record();
        record.heightFraction = ResizedHeightFraction(y, screen.height());
        screen.LayoutGraphs(true);
        screen.RefreshGrid();
    } else if (!panning_) {
        uikit::CNIXYChart& c = screen.CurrentChart();
        if (StrictlyInside(screen.CurrentPlotRect(), x, y) || dragActive_) {
            const int note = c.HitTestNoteCloseBox(x - chart.left, y - chart.top);
            if (note >= 0)
                DeleteNote(screen, note);
            else if (dragActive_ && HeldForDrag(pressTick_, platform::GetTickCount32()))
                StoreSelection(screen, chart);
            else
                Click(screen, x - chart.left);
        } else {
            c.SetZoomRect(0, 0, 0, 0, 0);
            c.SetCursor(0, 0);
            screen.RefreshResult();
        }
    }
    ClearModes();
    screen.update();
    return true;
}

void GraphInteraction::DeleteNote(CAnalyzeDlg& screen, int note)
{
    if (!screen.Model().DeleteNote(note))
        return;
    screen.ApplyGraphToChart(screen.CurrentGraph());
    screen.RefreshResult();
}

// The rectangle becomes the chart's zoom rectangle and its samples the set's range; the set runs
// on it with the next command.
void GraphInteraction::StoreSelection(CAnalyzeDlg& screen, const Rect& chart)
{
    project::AnalysisSettings* settings = screen.Model().CurrentSettings();
    if (!settings)
        return;
    const Rect r = OrderedRect(press_.x() - chart.left, press_.y() - chart.top, last_.x() - chart.left,
                               last_.y() - chart.top);
    uikit::CNIXYChart& c = screen.CurrentChart();
    c.SetZoomRect(1, r.left, r.top, r.right, r.bottom);
    // A rectangle the chart finds too thin to zoom into selects nothing: it counts as a click,
    // and the range the series remembers from an earlier selection is not taken for it.
    if (c.IsZoomOn() != 1) {
        Click(screen, last_.x() - chart.left);
        return;
    }
    screen.RefreshResult();
    int first = 0;
    int last = 0;
    c.GetSelectionRange(settings->ySeries, first, last);
    settings->selectionRect[0] = r.left;
    settings->selectionRect[1] = r.top;
    settings->selectionRect[2] = r.right;
    settings->selectionRect[3] = r.bottom;
    settings->rangeStart = first;
    settings->rangeEnd = last;
}

void GraphInteraction::Click(CAnalyzeDlg& screen, int chartX)
{
    uikit::CNIXYChart& c = screen.CurrentChart();
    c.SetZoomRect(0, 0, 0, 0, 0);
    c.SetCursor(1, chartX);
    screen.RefreshResult();
    const int row = c.GetCursorIndex(-1);
    if (row >= 0 && screen.Record()->gridShown == 1)
        screen.Grid().SelectRow(row);
}

bool GraphInteraction::ContextMenu(CAnalyzeDlg& screen, QContextMenuEvent& event)
{
    if (event.reason() != QContextMenuEvent::Mouse)
        return false;
    const QPoint at = event.pos();
    const int x = at.x();
    const int y = at.y() - PageOffset(screen);
    project::AnalysisGraphRecord* graph = screen.Model().CurrentGraphRecord();
    if (!graph || !StrictlyInside(screen.CurrentPlotRect(), x, y) || project::NoteCountOf(*graph) >= project::kGraphNoteCount)
        return true;
    // The dialog edits a note of its own; only OK puts it on the graph.
    project::GraphNote edited;
    std::memset(&edited, 0, sizeof edited);
    if (!screen.Dialogs().EditNote(screen, edited, at))
        return true;
    const Rect chart = screen.CurrentChartRect();
    int series = -1;
    float noteX = 0.0f;
    float noteY = 0.0f;
    if (screen.CurrentChart().PixelToValueCurrent(x - chart.left, y - chart.top, series, noteX, noteY) < 0)
        return true;
    project::GraphNote* note = screen.Model().AddFreeNote(noteX, noteY, series);
    if (!note)
        return true;
    std::memcpy(note->text, edited.text, sizeof note->text);
    note->text[uikit::kChartNoteTextLength - 1] = 0;
    note->textLength = std::clamp(edited.textLength, 0, uikit::kChartNoteTextLength - 1);
    note->fontSize = edited.fontSize;
    note->bold = edited.bold;
    note->colour = edited.colour;
    screen.ApplyGraphToChart(screen.CurrentGraph());
    screen.RefreshResult();
    return true;
}

void GraphInteraction::StepPad(CAnalyzeDlg& screen, bool up)
{
    project::AnalysisGraphRecord* graph = screen.Model().CurrentGraphRecord();
    if (!graph)
        return;
    graph->autoScalePad = up ? RaisedPad(graph->autoScalePad) : LoweredPad(graph->autoScalePad);
    screen.CurrentChart().SetAutoScalePad(graph->autoScalePad);
    screen.RefreshResult();
}

bool GraphInteraction::KeyPress(CAnalyzeDlg& screen, QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Up: StepPad(screen, true); return true;
    case Qt::Key_Down: StepPad(screen, false); return true;
    case Qt::Key_Escape: screen.Command(CAnalyzeDlg::kDetails); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: screen.Command(CAnalyzeDlg::kMenu); return true;
    default: return false;
    }
}

void GraphInteraction::NoteTimer(CAnalyzeDlg& screen)
{
    // Handing the notes to the chart again lets go of the grabbed one.
    screen.Timers().KillTimer(CAnalyzeDlg::kNoteTimer);
    noteDragging_ = false;
    screen.ApplyGraphToChart(screen.CurrentGraph());
    screen.RefreshResult();
}

void GraphInteraction::Zoom(CAnalyzeDlg& screen)
{
    project::AnalysisGraphRecord* graph = screen.Model().CurrentGraphRecord();
    if (!graph)
        return;
    uikit::CNIXYChart& chart = screen.CurrentChart();
    int first = 0;
    int last = 0;
    if (chart.GetSelectionRange(graph->ySeries, first, last) != 1)
        return;
    graph->autoX = 0;
    graph->autoY = 0;
    chart.ApplyZoom();
    StoreView(screen);
    chart.SetZoomRect(0, 0, 0, 0, 0);
    screen.RefreshResult();
    StoreView(screen);
}

void GraphInteraction::ToggleAutoScale(CAnalyzeDlg& screen)
{
    project::AnalysisGraphRecord* graph = screen.Model().CurrentGraphRecord();
    project::AnalysisSettings* settings = screen.Model().CurrentSettings();
    if (!graph || !settings)
        return;
    const int on = graph->autoY == 0 ? 1 : 0;
    graph->autoX = on;
    graph->autoY = on;
    uikit::CNIXYChart& chart = screen.CurrentChart();
    for (int s = 0; s < project::kSeriesCount; ++s) {
        if (chart.IsShown(s) == 1)
            chart.SetAutoScale(s, on, on);
    }
    chart.SetZoomRect(0, 0, 0, 0, 0);
    chart.ResetTransforms();
    StoreView(screen);
    if (project::IsSeriesIndex(settings->resultSeries))
        chart.ShowSeries(settings->resultSeries, settings->resultShown == 1 ? 1 : 0);
    screen.RefreshResult();
    StoreView(screen);
}

void GraphInteraction::PanClicked(CAnalyzeDlg& screen)
{
    screen.CurrentChart().SetZoomRect(0, 0, 0, 0, 0);
    screen.RefreshResult();
}

void GraphInteraction::PaintOverlay(CAnalyzeDlg& screen, QPainter& painter)
{
    painter.save();
    if (resizing_) {
        const Rect chart = screen.CurrentChartRect();
        painter.fillRect(QRect(chart.left, barRow_ - kResizeBarHalf, chart.Width(), 2 * kResizeBarHalf),
                         QBrush(uikit::ColorFromRef(kResizeBarColour), Qt::FDiagPattern));
    }
    if (dragActive_) {
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(ToQRect(selection_));
    }
    painter.restore();
}

void GraphInteraction::Reset(CAnalyzeDlg& screen)
{
    ClearModes();
    screen.Timers().KillTimer(CAnalyzeDlg::kNoteTimer);
}

}  // namespace analysis
