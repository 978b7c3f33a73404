// The analysis screen's view: the graphs' places, handing each graph to its chart, the data grid,
// painting, and the report's picture.
#include "logger/analysis/CAnalyzeDlg.h"

#include <algorithm>

#include <QPainter>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QScrollBar>

#include "logger/analysis/core/AnalysisTexts.h"
#include "logger/analysis/DataGrid.h"
#include "logger/analysis/GraphChartBinding.h"
#include "logger/analysis/WaitCursor.h"
#include "uikit/paint/SkinPaint.h"
#include "uikit/table/CMyTableCtrl.h"

namespace analysis {

namespace {

constexpr int kCornerWidth = 126;
constexpr int kGridMargin = 30;
constexpr uint32_t kEmptyTitleColour = 0x5A3C1E;
constexpr uint32_t kEmptyHintColour = 0x707070;
// A result note without a selection to stand at sits this far inside the plot's corner.
constexpr int kNoteInset = 12;

QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

}  // namespace

Rect CAnalyzeDlg::CurrentChartRect() const
{
    const project::DataSetRecord* record = model_.Record();
    if (!record)
        return {0, kButtonBandHeight, kChartWidth, kHeight};
    return ChartRect(*record, Client(), gridWidth_, stack_.scrollBarShown);
}

Rect CAnalyzeDlg::CurrentPlotRect() const
{
    const project::DataSetRecord* record = model_.Record();
    const bool secondAxis = record && record->graphs[CurrentGraph()].secondAxis == 1;
    return PlotRect(CurrentChartRect(), secondAxis);
}

void CAnalyzeDlg::SetScrollPosition(int position)
{
    scrollBar_->setValue(std::clamp(position, 0, stack_.scrollRange));
    scroll_ = scrollBar_->value();
    update();
}

void CAnalyzeDlg::LayoutGraphs(bool keepFraction)
{
    stack_ = model_.Layout(Client(), keepFraction);
    scroll_ = 0;
    const QSignalBlocker quiet(scrollBar_);
    if (stack_.scrollBarShown) {
        scrollBar_->setGeometry(ToQRect(stack_.scrollBar));
        scrollBar_->setRange(0, stack_.scrollRange);
        scrollBar_->setPageStep(std::max(1, GraphHeight()));
        scrollBar_->setValue(0);
        scrollBar_->show();
    } else {
        scrollBar_->hide();
    }
}

void CAnalyzeDlg::ApplyGraphToChart(int graph)
{
    project::DataSetRecord* record = Record();
    if (!record || graph < 0 || graph >= project::kGraphCount)
        return;
    const Rect rect = CurrentChartRect();
    uikit::CNIXYChart& chart = Chart(graph);
    const QImage* picture = chart.GetMemoryDC();
    if (!picture || picture->width() != rect.Width() || picture->height() != rect.Height())
        chart.Attach(this, rect.Width(), rect.Height());
    project::AnalysisGraphRecord& g = record->graphs[graph];
    g.chartRect[0] = rect.left;
    g.chartRect[1] = rect.top;
    g.chartRect[2] = rect.right;
    g.chartRect[3] = rect.bottom;
    ApplyGraphPresentation(model_.Presentation(graph), chart, g.notes, &closeBox_);
    // With several graphs the one the tools act on is marked.
    chart.SetHighlight(graph == CurrentGraph() && project::GraphCountOf(*record) > 1 ? 1 : 0);
    stale_[size_t(graph)] = true;
}

void CAnalyzeDlg::DrawGraph(int graph)
{
    Chart(graph).Redraw();
    stale_[size_t(std::clamp(graph, 0, project::kGraphCount - 1))] = false;
}

void CAnalyzeDlg::EnsureDrawn(int graph)
{
    if (graph >= 0 && graph < project::kGraphCount && stale_[size_t(graph)])
        DrawGraph(graph);
}

bool CAnalyzeDlg::GraphInView(int graph) const
{
    const Rect chart = CurrentChartRect();
    const int top = chart.top + graph * chart.Height() - scroll_;
    return top < height() && top + chart.Height() > kButtonBandHeight;
}

// Drawing a chart of a million points takes some milliseconds: of four stacked graphs only the
// two in view are drawn on entry.
void CAnalyzeDlg::RedrawAllGraphs()
{
    const project::DataSetRecord* record = Record();
    if (!record || !HasData())
        return;
    for (int g = 0; g < project::GraphCountOf(*record); ++g) {
        ApplyGraphToChart(g);
        if (GraphInView(g))
            DrawGraph(g);
    }
}

void CAnalyzeDlg::RunAnalysis(bool placeNote, ErrorReport report)
{
    if (!HasData())
        return;
    project::AnalysisSettings* settings = model_.CurrentSettings();
    project::AnalysisGraphRecord* graph = model_.CurrentGraphRecord();
    if (!settings || settings->inUse != 1 || !project::IsSeriesIndex(settings->resultSeries) ||
        graph->seriesShown[settings->resultSeries] != 1) {
        RefreshResult();
        return;
    }
    {
        WaitCursor wait;
        model_.Run(report);
        ApplyGraphToChart(CurrentGraph());
        if (placeNote && settings->resultShown == 1) {
            uikit::CNIXYChart& chart = CurrentChart();
            // The legend stands at the selection's top-left corner, or inside the plot's corner
            // while nothing was selected. The plot is the one of the last drawing.
            if (chart.PlotRect().width() <= 0)
                DrawGraph(CurrentGraph());
            const int* selection = settings->selectionRect;
            QPoint at(selection[0], selection[1]);
            if (selection[2] <= selection[0] || selection[3] <= selection[1])
                at = chart.PlotRect().topLeft() + QPoint(kNoteInset, kNoteInset);
            float x = 0.0f, y = 0.0f;
            if (chart.PixelToValue(settings->ySeries, at.x(), at.y(), x, y) == 1) {
                model_.PlaceResultNote(x, y);
                ApplyGraphToChart(CurrentGraph());
            }
        }
    }
    RefreshResult();
}

void CAnalyzeDlg::RefreshResult()
{
    if (HasData())
        DrawGraph(CurrentGraph());
    update();
}

void CAnalyzeDlg::RefreshGrid()
{
    UpdateGrid();
    RedrawAllGraphs();
    update();
}

// The grid of the current graph while the data set shows it; the charts start right of it.
void CAnalyzeDlg::UpdateGrid()
{
    project::DataSetRecord* record = Record();
    if (!HasData() || !record || record->gridShown != 1) {
        grid_->SetTableInfo(uikit::TableInfo{});
        grid_->hide();
        gridWidth_ = 0;
        return;
    }
    WaitCursor wait;
    const GraphPresentation graph = model_.Presentation(CurrentGraph());
    const project::AnalysisSettings* settings = model_.CurrentSettings();
    if (settings && IsGateChannel(*record, settings->ySlot))
        grid_->SetTableInfo(BuildEventGrid(*record, graph, CurrentChart(), texts_, units_, gateEvents_));
    else
        grid_->SetTableInfo(BuildDataGrid(*record, graph, CurrentChart(), texts_, units_));
    const int width = std::min(grid_->GetTotalColumnWidth() + kGridMargin, kMaxGridWidth);
    grid_->setGeometry(0, kButtonBandHeight, width, height() - kButtonBandHeight);
    grid_->RecalcLayout();
    grid_->show();
    gridWidth_ = width;
}

void CAnalyzeDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    HideMainMenu();
    GetClientSize(this);
    if (!HasData())
        return;
    LayoutGraphs(false);
    RefreshGrid();
}

void CAnalyzeDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!band_.isNull()) {
        for (int x = 0; x < width(); x += band_.width())
            DrawBitmap(painter, band_, x, 0, x + band_.width(), band_.height());
    }
    const int cornerLeft = width() <= kWidth ? kWidth - kCornerWidth : width() - kCornerWidth;
    DrawBitmapNatural(painter, corner_, cornerLeft, 0, cornerLeft + corner_.width(), corner_.height());

    const project::DataSetRecord* record = model_.Record();
    if (HasData() && record) {
        // Graphs scroll under the button band, never over it.
        painter.save();
        painter.setClipRect(QRect(0, kButtonBandHeight, width(), height() - kButtonBandHeight));
        const Rect chart = CurrentChartRect();
        for (int g = 0; g < project::GraphCountOf(*record); ++g) {
            if (!GraphInView(g))
                continue;
            EnsureDrawn(g);
            if (const QImage* picture = charts_[size_t(g)].GetMemoryDC())
                painter.drawImage(chart.left, chart.top + g * chart.Height() - scroll_, *picture);
        }
        painter.restore();
        interaction_->PaintOverlay(*this, painter);
    } else {
        const int middle = kButtonBandHeight + (height() - kButtonBandHeight) / 2;
        DrawTextInRect(painter, LoadText(text::kNothingRecorded, 256), 20, middle - 40, width() - 20, middle, &font_,
                       kEmptyTitleColour, uikit::kFormatCentredLine);
        DrawTextInRect(painter, LoadText(text::kRecordFirst, 256), 20, middle, width() - 20, middle + 40, &font_,
                       kEmptyHintColour, uikit::kFormatCentredLine);
    }
    DrawClock(painter);
}

int CAnalyzeDlg::SaveChartImage(const QString& path)
{
    // The report may ask for any data set: bind it as entering the screen would.
    project::DataSetRecord* record = CurrentRun();
    if (!record)
        return 0;
    model_.Bind(record);
    model_.SelectData(true);
    const project::AnalysisSettings* settings = model_.CurrentSettings();
    if (!settings || settings->inUse != 1)
        return 0;
    const bool wasEmpty = empty_;
    empty_ = false;
    const int graph = CurrentGraph();
    ApplyGraphToChart(graph);
    model_.Run(ErrorReport::Quiet);
    ApplyGraphToChart(graph);
    DrawGraph(graph);
    uikit::CNIXYChart& chart = Chart(graph);
    empty_ = wasEmpty;
    update();
    const Rect rect = CurrentChartRect();
    return chart.SaveBitmapFile(path, chart.GetMemoryDC(), rect.Width(), rect.Height(), nullptr);
}

}  // namespace analysis
