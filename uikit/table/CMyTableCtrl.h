#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QRect>
#include <QString>

#include "uikit/table/TableInfo.h"

class QPainter;

// A hand-drawn, read-only grid of float columns with a header row, zebra stripes and one selected
// row. Tables run to a million rows and more, so only the rows in view are drawn, and the first
// row in view is kept exactly: every row can be scrolled to, one at a time, and a selected row
// is always brought into view.
namespace uikit {

// Cell text of a value: format 0 the value cut to an integer (clamped to the int range), 1..6
// that many decimals, -1 the shortest form ("%g"), anything else six decimals. Not-a-number
// shows as "nan" in every format.
QString FormatTableValue(float value, int format);

class CMyTableCtrl : public QAbstractScrollArea {
public:
    explicit CMyTableCtrl(QWidget* parent = nullptr);

    // The font used to measure and draw; the caller keeps it alive. Null: the widget's own.
    void SetTableFont(const QFont* font);
    // Takes a new table; the owner's selected row is kept, both scroll positions go to 0.
    void SetTableInfo(const TableInfo& info);
    // Rows per page and scroll ranges for the present size (also done on every resize).
    void RecalcLayout();
    int GetTotalColumnWidth() const;
    // Selects a data row and scrolls so that it stands in the middle of the page where it can.
    void SelectRow(int row);

    const TableInfo& Info() const { return info_; }
    int FirstVisibleRow() const { return info_.verticalPosition; }
    // Data rows that fit wholly under the header row (at least 1).
    int VisibleDataRows() const;
    int LastFirstRow() const;
    // The text a cell of data row `row` shows; empty past the column's row count.
    QString CellText(int row, int column) const;
    // Where column `column` of screen row `screenRow` (0 the header) is drawn, scrolled.
    QRect CellRect(int screenRow, int column) const;

    // Draws the visible page into `painter` over a viewport of `size`.
    void Paint(QPainter& painter, QSize size) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    QFont TableFont() const;
    void UpdateScrollBars();

    TableInfo info_;
    const QFont* font_ = nullptr;
    int averageCharWidth_ = 7;
    bool syncingBars_ = false;
};

}  // namespace uikit
