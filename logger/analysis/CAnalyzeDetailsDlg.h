#pragma once

#include <array>

#include <QFont>
#include <QString>

#include "logger/analysis/core/AnalysisChoices.h"
#include "logger/analysis/core/AnalysisEngine.h"
#include "logger/analysis/CSkinnedDlg.h"

class QScrollBar;

// The result lines of the last analysis run, in a modal window over the analysis screen. The
// lines are copied when it opens; the first two (title and count) stay put while the rest
// scroll. However it is closed, it ends as Cancel.
namespace analysis {

class CAnalyzeDetailsDlg : public CSkinnedDlg {
    Q_OBJECT

public:
    static constexpr int kWidth = 500;
    static constexpr int kHeight = 300;

    CAnalyzeDetailsDlg(QWidget* owner, const ResultLines& lines, int analysisType);

    const DetailsPager& Pager() const { return pager_; }
    QScrollBar& ScrollBar() const { return *bar_; }
    int LineHeight() const { return lineHeight_; }
    // The text row d shows now; empty past the lines.
    QString RowText(int row) const;

protected:
    bool TakeChoices() override;
    void PaintContent(QPainter& painter) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void PaintComparison(QPainter& painter);

    std::array<QString, DetailsPager::kMaxLines> lines_;
    int lineCount_ = 0;
    bool comparison_ = false;
    QFont textFont_;
    QFont reportFont_;
    int lineHeight_ = 1;
    DetailsPager pager_{0, 0, 1};
    QScrollBar* bar_ = nullptr;
};

}  // namespace analysis
