#include "uikit/table/CMyTableCtrl.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

#include "platform/CLocale.h"
#include "platform/Text.h"
#include "uikit/chart/ChartPaint.h"

namespace uikit {

namespace {

constexpr uint32_t kHeaderColour = 0x508020;
constexpr uint32_t kSelectedColour = 0x4080FF;
constexpr uint32_t kOddRowColour = 0xE9FFE1;
constexpr uint32_t kEvenRowColour = 0xC5E8C6;
constexpr uint32_t kLineColour = 0x80C880;
constexpr uint32_t kCellTextColour = 0x020202;
constexpr int kRowNumberColumnWidth = 40;
constexpr int kEmptyHeaderWidth = 80;

QString Latin(const std::string& text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

QString HeaderText(const TableInfo& info, int column)
{
    const char16_t* header = info.columnHeaders[column];
    return QString::fromUtf16(header, qsizetype(platform::FieldLength(header, kTableHeaderLength)));
}

}  // namespace

QString FormatTableValue(float value, int format)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (format == 0) {
        const double cut = std::clamp(std::trunc(double(value)), -2147483648.0, 2147483647.0);
        return Latin(platform::FormatInt(int64_t(cut)));
    }
    if (format >= 1 && format <= 6)
        return Latin(platform::FormatFixed(value, format));
    if (format == -1)
        return Latin(FormatShortGeneral(value));
    return Latin(platform::FormatFixed(value, 6));
}

CMyTableCtrl::CMyTableCtrl(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::ArrowCursor);
}

QFont CMyTableCtrl::TableFont() const { return font_ ? *font_ : font(); }

void CMyTableCtrl::SetTableFont(const QFont* font)
{
    font_ = font;
    viewport()->update();
}

void CMyTableCtrl::SetTableInfo(const TableInfo& info)
{
    info_ = info;
    info_.columnCount = std::clamp(info_.columnCount, 0, kTableMaxColumns);
    info_.verticalPosition = 0;
    info_.horizontalPosition = 0;
    info_.rowsPerStep = 1;

    const QFontMetrics metrics(TableFont());
    averageCharWidth_ = std::max(metrics.averageCharWidth(), 1);
    info_.totalRows = 0;
    info_.totalWidth = 0;
    for (int i = 0; i < info_.columnCount; ++i) {
        info_.columnRowCounts[i] = std::max(info_.columnRowCounts[i], 0);
        info_.totalRows = std::max(info_.totalRows, info_.columnRowCounts[i]);
    }
    for (int i = 0; i < info_.columnCount; ++i) {
        int width = int(platform::FieldLength(info_.columnHeaders[i], kTableHeaderLength)) * averageCharWidth_ * 2;
        if (i == 0) {
            // Wide enough for the largest row number and for its own header.
            const QString widest = QString::number(std::max(info_.totalRows, 1));
            width = std::max({kRowNumberColumnWidth, metrics.horizontalAdvance(widest) + averageCharWidth_,
                              metrics.horizontalAdvance(HeaderText(info_, 0)) + averageCharWidth_});
        } else if (width <= 0) {
            width = kEmptyHeaderWidth;
        }
        info_.columnWidths[i] = width;
        info_.totalWidth += width;
    }
    info_.rowHeight = metrics.height() + 4;
    RecalcLayout();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

int CMyTableCtrl::GetTotalColumnWidth() const
{
    int total = 0;
    for (int i = 0; i < info_.columnCount; ++i)
        total += info_.columnWidths[i];
    return total;
}

int CMyTableCtrl::VisibleDataRows() const { return std::max(info_.rowsPerPage - 1, 1); }

int CMyTableCtrl::LastFirstRow() const { return std::max(info_.totalRows - VisibleDataRows(), 0); }

void CMyTableCtrl::RecalcLayout()
{
    info_.rowsPerPage = info_.rowHeight > 0 ? viewport()->height() / info_.rowHeight : 0;
    info_.verticalPosition = std::clamp(info_.verticalPosition, 0, LastFirstRow());
    UpdateScrollBars();
}

// The vertical bar counts rows one by one: its range is the first rows a page can start at.
void CMyTableCtrl::UpdateScrollBars()
{
    syncingBars_ = true;
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, LastFirstRow());
    v->setSingleStep(1);
    v->setPageStep(VisibleDataRows());
    v->setValue(info_.verticalPosition);
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(GetTotalColumnWidth() - viewport()->width(), 0));
    h->setSingleStep(averageCharWidth_);
    h->setPageStep(std::max(viewport()->width(), 1));
    info_.horizontalPosition = std::clamp(info_.horizontalPosition, 0, h->maximum());
    h->setValue(info_.horizontalPosition);
    syncingBars_ = false;
}

void CMyTableCtrl::SelectRow(int row)
{
    info_.selectedRow = row;
    info_.verticalPosition = std::clamp(row - info_.rowsPerPage / 2 + 1, 0, LastFirstRow());
    UpdateScrollBars();
    viewport()->update();
}

QString CMyTableCtrl::CellText(int row, int column) const
{
    if (column < 0 || column >= info_.columnCount || row < 0)
        return {};
    if (info_.rowNumberColumn[column])
        return row < info_.totalRows ? QString::number(row + 1) : QString();
    const float* data = info_.columnData[column];
    if (!data || row >= info_.columnRowCounts[column])
        return {};
    return FormatTableValue(data[row], info_.columnFormats[column]);
}

QRect CMyTableCtrl::CellRect(int screenRow, int column) const
{
    int left = -info_.horizontalPosition;
    for (int i = 0; i < column && i < info_.columnCount; ++i)
        left += info_.columnWidths[i];
    const int width = column >= 0 && column < info_.columnCount ? info_.columnWidths[column] : 0;
    return QRect(left, screenRow * info_.rowHeight, width, info_.rowHeight);
}

void CMyTableCtrl::Paint(QPainter& painter, QSize size) const
{
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    const int rowHeight = info_.rowHeight;
    if (rowHeight <= 0)
        return;
    painter.setFont(TableFont());
    // Whole rows and the part of one more at the bottom.
    const int screenRows = std::min(size.height() / rowHeight + 1, info_.totalRows - info_.verticalPosition + 1);
    for (int i = 0; i < screenRows; ++i) {
        uint32_t colour = kHeaderColour;
        if (i > 0) {
            const int row = info_.verticalPosition + i - 1;
            colour = row == info_.selectedRow ? kSelectedColour : (row % 2 == 0 ? kOddRowColour : kEvenRowColour);
        }
        painter.fillRect(0, i * rowHeight, size.width(), rowHeight, ColorFromRef(colour));
    }
    if (screenRows <= 0)
        painter.fillRect(0, 0, size.width(), rowHeight, ColorFromRef(kHeaderColour));

    // Columns scrolled out to the left or right are not drawn.
    int firstColumn = 0;
    int left = -info_.horizontalPosition;
    while (firstColumn < info_.columnCount && left + info_.columnWidths[firstColumn] <= 0)
        left += info_.columnWidths[firstColumn++];
    const int bottom = std::max(screenRows, 1) * rowHeight;
    painter.setPen(ColorFromRef(kLineColour));
    painter.drawLine(0, 0, 0, bottom);
    const QFontMetrics metrics(TableFont());
    for (int c = firstColumn, x = left; c < info_.columnCount && x < size.width(); ++c) {
        const int width = info_.columnWidths[c];
        const QRect header(x, 0, width, rowHeight);
        painter.setPen(Qt::white);
        painter.drawText(header, Qt::AlignCenter, metrics.elidedText(HeaderText(info_, c), Qt::ElideRight, width - 2));
        painter.setPen(ColorFromRef(kCellTextColour));
        for (int i = 1; i < screenRows; ++i) {
            const QString text = CellText(info_.verticalPosition + i - 1, c);
            if (!text.isEmpty())
                painter.drawText(QRect(x, i * rowHeight, width, rowHeight), Qt::AlignCenter, text);
        }
        x += width;
        painter.setPen(ColorFromRef(kLineColour));
        painter.drawLine(x - 1, 0, x - 1, bottom);
    }
}

void CMyTableCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    Paint(painter, viewport()->size());
}

void CMyTableCtrl::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    RecalcLayout();
}

// A row is chosen when the button comes up; the press is taken so that the release comes here.
void CMyTableCtrl::mousePressEvent(QMouseEvent* event) { event->setAccepted(event->button() == Qt::LeftButton); }

void CMyTableCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || info_.rowHeight <= 0)
        return;
    const int screenRow = int(event->position().y()) / info_.rowHeight;
    // The header row selects nothing.
    if (screenRow < 1 || info_.totalRows <= 0)
        return;
    info_.selectedRow = std::min(info_.verticalPosition + screenRow - 1, info_.totalRows - 1);
    viewport()->update();
}

void CMyTableCtrl::scrollContentsBy(int, int)
{
    if (syncingBars_)
        return;
    info_.verticalPosition = std::clamp(verticalScrollBar()->value(), 0, LastFirstRow());
    info_.horizontalPosition = std::max(horizontalScrollBar()->value(), 0);
    viewport()->update();
}

}  // namespace uikit
