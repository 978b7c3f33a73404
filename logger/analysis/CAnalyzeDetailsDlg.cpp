#include "logger/analysis/CAnalyzeDetailsDlg.h"

#include <algorithm>

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include "uikit/button/CButtonST.h"
#include "uikit/paint/SkinPaint.h"

namespace analysis {

namespace {

constexpr int kBackgroundId = 2375;
constexpr int kTextFontHeight = 16;
constexpr int kReportFontHeight = 24;
constexpr int kTextLeft = 10;
constexpr int kTextTop = 5;
constexpr int kTextRight = 510;
constexpr int kBarWidth = 16;
constexpr int kBarTop = 30;
constexpr uint32_t kTextColour = 0xFFFFFF;
// The conductivity report's eighth line, its verdict, in orange-red.
constexpr int kReportMarkedLine = 7;
constexpr uint32_t kReportMarkedColour = 0x0A32FF;
constexpr int kReportFirstColumnLines = 14;

}  // namespace

CAnalyzeDetailsDlg::CAnalyzeDetailsDlg(QWidget* owner, const ResultLines& lines, int analysisType)
    : CSkinnedDlg(owner, kWidth, kHeight, kBackgroundId, kTextFontHeight),
      comparison_(analysisType == kTypeComparison)
{
    setObjectName(QStringLiteral("CAnalyzeDetailsDlg"));
    lineCount_ = std::clamp(lines.Count(), 0, DetailsPager::kMaxLines);
    for (int i = 0; i < lineCount_; ++i)
        lines_[size_t(i)] = QString::fromStdU16String(lines.Line(i));
    CreateFont(&textFont_, kTextFontHeight, QStringLiteral("Malgun Gothic"), 0, kFontQuality);
    CreateFont(&reportFont_, kReportFontHeight, QStringLiteral("Malgun Gothic"), 0, kFontQuality);
    lineHeight_ = QFontMetrics(textFont_).height();
    pager_ = DetailsPager(lineCount_, height(), lineHeight_);

    // One button closes it: the small Cancel picture in the top right corner.
    OkButton().hide();
    PlaceOkCancel({}, uikit::RectFromEdges(kWidth - 28, 4, kWidth - 4, 26));
    bar_ = new QScrollBar(Qt::Vertical, this);
    bar_->setGeometry(kWidth - kBarWidth, kBarTop, kBarWidth, kHeight - kBarTop);
    bar_->setRange(0, pager_.ScrollRange());
    bar_->setSingleStep(1);
    bar_->setPageStep(1);
    bar_->setVisible(!comparison_ && pager_.ScrollRange() > 0);
    connect(bar_, &QScrollBar::valueChanged, this, [this](int value) {
        pager_.SetPosition(value);
        update();
    });
    PlaceAtOwnerOrigin();
}

QString CAnalyzeDetailsDlg::RowText(int row) const
{
    const int line = pager_.LineForRow(row);
    return line >= 0 ? lines_[size_t(line)] : QString();
}

// OK ends as Cancel too: the window only shows.
bool CAnalyzeDetailsDlg::TakeChoices()
{
    reject();
    return false;
}

void CAnalyzeDetailsDlg::PaintContent(QPainter& painter)
{
    if (comparison_) {
        PaintComparison(painter);
        return;
    }
    const int h = lineHeight_;
    for (int row = 0; row < pager_.RowsPerPage(); ++row) {
        DrawTextInRect(painter, RowText(row), kTextLeft, row * h + kTextTop, kTextRight, (row + 1) * h + kTextTop,
                       &textFont_, kTextColour, uikit::kFormatLeftLine);
    }
}

void CAnalyzeDetailsDlg::PaintComparison(QPainter& painter)
{
    const int h = lineHeight_;
    for (int c = 0; c < lineCount_; ++c) {
        const uint32_t colour = c == kReportMarkedLine ? kReportMarkedColour : kTextColour;
        if (c < kReportFirstColumnLines) {
            DrawTextInRect(painter, lines_[size_t(c)], kTextLeft, c * (h + 8) + 5, kTextRight, c * (h + 8) + h + 13,
                           &reportFont_, colour, uikit::kFormatLeftLine);
        } else {
            DrawTextInRect(painter, lines_[size_t(c)], 150, h * (c - 12) + 5, 650, h * (c - 11) + 5, &reportFont_,
                           colour, uikit::kFormatLeftLine);
        }
    }
}

void CAnalyzeDetailsDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_PageUp: bar_->setValue(bar_->value() - 1); break;
    case Qt::Key_Down:
    case Qt::Key_PageDown: bar_->setValue(bar_->value() + 1); break;
    default: CSkinnedDlg::keyPressEvent(event); break;
    }
}

void CAnalyzeDetailsDlg::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    bar_->setValue(bar_->value() - steps);
}

}  // namespace analysis
