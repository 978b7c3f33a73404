#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

#include "uikit/chart/ChartNote.h"
#include "uikit/chart/ChartSeries.h"
#include "uikit/chart/SeriesThinning.h"

class QObject;
class QPainter;

namespace uikit {

// The program's plotting component: a plain object that an owner binds to itself, fills with up
// to 32 series of float points and asks to draw into an off-screen picture, which the owner
// then copies to its window. The series records are the process-wide ones (ChartSeries.h);
// right after construction the owner fills the table returned by SeriesTable().
//
// Series arguments run 0..31; -1 stands for the current series. Pixel arguments are relative to
// the chart's picture. Notes and the ranges along which zoom and pan move are fractions of the
// axis ranges.
class CNIXYChart {
public:
    CNIXYChart();
    virtual ~CNIXYChart();
    CNIXYChart(const CNIXYChart&) = delete;
    CNIXYChart& operator=(const CNIXYChart&) = delete;

    ChartSeries** SeriesTable() { return series_; }
    ChartSeries* Series(int series) const;

    int Create(QObject* owner, int width, int height, uint32_t background, const QString& faceName);
    int Attach(QObject* owner, int width, int height);

    int AllocSeries(int series, int capacity, uint32_t colour);
    void FreeAllSeries();
    int SetSeriesData(int series, int count, const float* values, const float* times, int start,
                      int window, int group, int link);
    int AppendSeriesData(int series, int count, const float* values, const float* times,
                         int position, int window, int group, int link);
    int ShowSeries(int series, int flag);
    int IsShown(int series) const;
    void SetSeriesState(int series, int state);
    void SetSelectedSeries(int series, int selected, std::u16string_view label);
    void SetSeriesName(int series, std::u16string_view xTitle, std::u16string_view name);
    void SetSeriesDecimals(int series, int decimals);
    void SetXAxis(int series, float minimum, float maximum, float factor, const char16_t* unit);
    void SetYAxis(int series, float minimum, float maximum, float factor, const char16_t* unit);
    void SetAutoScale(int series, int autoY, int autoX);
    void SetSeriesMargin(int series, float a, float b, float percent);
    // Draws `series` on the Y range of `source` (a fitted curve on its data's scale); -1 for its
    // own range.
    void SetYRangeSource(int series, int source);
    // A value of the series' X axis as the X end labels are written: "%.3f" of value x factor.
    std::string FormatTickLabel(double value, int series = -1) const;
    void SetCurrentSeries(int series) { currentSeries_ = series; }
    int CurrentSeries() const { return currentSeries_; }
    void SetAutoScalePad(float pad) { autoScalePad_ = pad; }
    float AutoScalePad() const { return autoScalePad_; }
    void SetGridCount(int horizontal, int vertical);
    void SetColors(uint32_t background, uint32_t axes, uint32_t gridX, uint32_t gridY);
    void SetLineMode(int mode) { lineMode_ = mode; }
    void SetMarkerSpacing(int spacing, int enable);
    void SetLinkedXMode(int flag) { linkedXMode_ = flag; }
    void SetCursor(int on, int x);
    int GetCursorIndex(int series) const;
    void SetHighlight(int on) { highlight_ = on; }

    void SetSeriesTransform(int series, float xOffset, float yOffset, float xScale, float yScale);
    int GetSeriesTransform(int series, float& xOffset, float& yOffset, float& xScale, float& yScale) const;
    void ResetTransforms();
    void SetZoomRect(int on, int x1, int y1, int x2, int y2);
    int IsZoomOn() const { return zoomOn_; }
    void ApplyZoom();
    void PanAll(int dx, int dy);
    int PixelToValue(int series, int px, int py, float& x, float& y) const;
    int PixelToValueCurrent(int px, int py, int& series, float& x, float& y) const;
    int GetSelectionRange(int series, int& first, int& last);

    void SetNotes(int count, ChartNote* notes, const QImage* closeBox);
    int HitTestNote(int x, int y);
    int HitTestNoteCloseBox(int x, int y) const;
    int MoveNote(int dx, int dy);
    int SelectedNote() const { return selectedNote_; }

    const QImage* GetMemoryDC() const;
    void Redraw();
    int SaveBitmapFile(const QString& path, const QImage* picture, int width, int height,
                       const QRect* source) const;

    // Layout of the last drawing.
    QRect PlotRect() const { return QRect(plotX_, plotY_, plotWidth_, plotHeight_); }
    int LeftMargin() const { return leftMargin_; }

private:
    struct Range {
        double lo = 0.0;
        double hi = 1.0;
    };
    struct CursorMark {
        bool valid = false;
        QPoint at;
        float value = 0.0f;
        int series = -1;
    };

    // -1 names the current series; anything outside 0..31, or without a record, is -1.
    int Resolve(int series) const;
    int ShownCount() const;
    void MakeBuffers(int width, int height);
    void ClearAutoScale(int index);

    // Drawing (CNIXYChartDraw.cpp).
    void PrepareRanges();
    void LayOut();
    void DrawFrame(QPainter& painter);
    void DrawYTitles(QPainter& painter);
    void DrawEndLabels(QPainter& painter);
    void DrawZeroLines(QPainter& painter);
    void DrawGrid(QPainter& painter);
    void DrawSeries(QPainter& painter, int index);
    void DrawStretch(QPainter& painter, int index, int first, int last, uint32_t colour, int width);
    void DrawColumns(QPainter& painter, int index, const ColumnSummary* columns, int count, uint32_t colour,
                     int width);
    template <typename Thin>
    void DrawLines(QPainter& painter, int index, uint32_t colour, int width, Thin&& thin);
    bool ScanValues(int index, int count, IndexRange window, double& lo, double& hi);
    void DrawCursor(QPainter& painter);
    void DrawNotes(QPainter& painter);
    bool SeriesMapping(int index, AxisMapping& mapX, AxisMapping& mapY) const;
    AxisMapping MapX(int index) const;
    AxisMapping MapY(int index) const;
    bool XIsOrdered(int index, int count);
    const float* XSource(int index) const;
    int DrawableCount(int index) const;
    ColumnSummary* Columns(int set) { return columns_.data() + size_t(set) * size_t(columnRoom_); }
    QString ValueLabel(int index, double value) const;

    float autoScalePad_ = 0.05f;
    int currentSeries_ = 0;
    ChartSeries* series_[kChartSeriesCount] = {};
    int shown_[kChartSeriesCount] = {};

    int zoomX1_ = 0, zoomY1_ = 0, zoomX2_ = 0, zoomY2_ = 0;
    int plotX_ = 0, plotY_ = 0, plotWidth_ = 0, plotHeight_ = 0;
    int width_ = 0, height_ = 0;
    int leftMargin_ = 43, rightMargin_ = 8;
    int lineMode_ = 0;
    uint32_t background_ = 0xF0F0F0;
    uint32_t axesColour_ = 0;
    uint32_t gridXColour_ = 0xC8C8C8;
    uint32_t gridYColour_ = 0xC8C8C8;
    QObject* owner_ = nullptr;
    int gridX_ = 5, gridY_ = 5;

    QImage frame_;    // the frame alone
    QImage picture_;  // frame + series: the finished picture
    QString faceName_;
    QFont rotatedFont_;
    QFont titleFont_;
    QFont smallFont_;
    bool haveFonts_ = false;

    int linkedXMode_ = 0;
    int markerSpacing_ = 0;
    int markersOn_ = 0;
    int zoomOn_ = 0;
    QRect zoomAbsolute_;
    int cursorOn_ = 0;
    int cursorX_ = 0;
    int selectedOn_ = 0;
    int selectedIndex_ = -1;
    std::u16string selectedLabel_;
    std::u16string xTitle_;
    int highlight_ = 0;

    float xOffset_[kChartSeriesCount] = {};
    float yOffset_[kChartSeriesCount] = {};
    float xScale_[kChartSeriesCount] = {};
    float yScale_[kChartSeriesCount] = {};

    int noteCount_ = 0;
    int selectedNote_ = -1;
    QRect noteRects_[kMaxChartNotes];
    ChartNote* notes_ = nullptr;
    const QImage* closeBox_ = nullptr;
    QFont noteFonts_[kMaxChartNotes];
    int noteFontKeys_[kMaxChartNotes] = {};

    // Per drawing: axis ranges in use, whether x is sorted, cursor marks.
    Range xRange_[kChartSeriesCount];
    Range yRange_[kChartSeriesCount];
    int yRangeSource_[kChartSeriesCount];
    bool xSorted_[kChartSeriesCount] = {};
    // Pixel columns of each series' visible points (value space), made before the frame so that
    // one pass over the values both auto-scales and draws; -1 when the series is drawn point by
    // point (x not ordered).
    std::vector<ColumnSummary> columns_;
    int columnRoom_ = 0;
    int columnCount_[kChartSeriesCount] = {};
    CursorMark cursorMarks_[kChartSeriesCount];
};

}  // namespace uikit
