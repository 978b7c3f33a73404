// The analysis screen's dialogs through their real widgets, offscreen: the curve-fit, integral
// and derivative choices, the details window and the graph set-up.
#include "ScreenTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QTimer>

#include "logger/analysis/CAnalyzeDetailsDlg.h"
#include "logger/analysis/CAnalyzeSetup1Dlg.h"
#include "logger/analysis/CCurveFitDlg.h"
#include "logger/analysis/CMethodDlg.h"
#include "uikit/button/CButtonST.h"

namespace {

using analysis::CAnalyzeDlg;
using analysis::CAnalyzeSetup1Dlg;
using analysis::CSkinnedDlg;

class AnalysisDialogs : public screentest::AnalysisScreenTest {
protected:
    // Runs `answer` inside the next modal dialog the command opens.
    template <typename Dialog, typename Answer>
    void Answering(int command, Answer answer)
    {
        bool answered = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            answer(*dialog);
            answered = true;
            if (dialog->isVisible())
                dialog->CancelButton().click();
        });
        screen->Command(command);
        EXPECT_TRUE(answered);
    }
    project::AnalysisSettings Fresh()
    {
        project::AnalysisSettings settings;
        std::memset(&settings, 0, sizeof settings);
        return settings;
    }
};

TEST_F(AnalysisDialogs, ANewSetsOrderComesBackAsTwoAndTheModelChoosesTheCombos)
{
    analysis::CCurveFitDlg fresh(screen, Fresh());
    EXPECT_EQ(fresh.OrderCombo().currentIndex(), -1);
    EXPECT_TRUE(fresh.OrderCombo().isEnabled());
    EXPECT_FALSE(fresh.FormCombo().isEnabled());
    fresh.OkButton().click();
    EXPECT_EQ(fresh.result(), CSkinnedDlg::kResultOk);
    EXPECT_EQ(fresh.Model(), 0);
    EXPECT_EQ(fresh.Order(), 2);

    project::AnalysisSettings exponential = Fresh();
    exponential.curveModel = 2;
    exponential.polynomialOrder = 5;
    exponential.expVariant = 2;
    analysis::CCurveFitDlg dialog(screen, exponential);
    EXPECT_FALSE(dialog.OrderCombo().isEnabled());
    EXPECT_TRUE(dialog.FormCombo().isEnabled());
    EXPECT_EQ(dialog.FormCombo().currentIndex(), 2);
    dialog.ModelCombo().setCurrentIndex(0);
    EXPECT_TRUE(dialog.OrderCombo().isEnabled());
    EXPECT_FALSE(dialog.FormCombo().isEnabled());
    dialog.OkButton().click();
    EXPECT_EQ(dialog.Order(), 5);
}

// Fault: a stored model, form or method no item stands for left its combo without a selection,
// and OK handed back -1.
TEST_F(AnalysisDialogs, AChoiceNoItemStandsForOpensOnTheFirst)
{
    project::AnalysisSettings damaged = Fresh();
    damaged.curveModel = 9;
    damaged.polynomialOrder = 40;
    damaged.expVariant = -3;
    analysis::CCurveFitDlg fit(screen, damaged);
    fit.OkButton().click();
    EXPECT_EQ(fit.Model(), 0);
    EXPECT_EQ(fit.Order(), 3);
    EXPECT_EQ(fit.Form(), 0);

    const struct {
        int stored, expected;
    } integrals[] = {{3, 3}, {5, 0}, {-1, 0}};
    for (const auto& c : integrals) {
        analysis::CIntegralDlg integral(screen, c.stored);
        EXPECT_EQ(integral.MethodCombo().count(), 5);
        integral.OkButton().click();
        EXPECT_EQ(integral.Method(), c.expected) << c.stored;
    }
    analysis::CDerivativeDlg derivative(screen, 7);
    EXPECT_EQ(derivative.MethodCombo().count(), 3);
    derivative.MethodCombo().setCurrentIndex(2);
    derivative.CancelButton().click();
    EXPECT_EQ(derivative.result(), CSkinnedDlg::kResultCancel);
    EXPECT_EQ(derivative.Method(), 0);
}

// The window keeps its own copy of the lines; however it is closed it ends as Cancel.
TEST_F(AnalysisDialogs, TheDetailsScrollUnderTwoFixedLines)
{
    analysis::ResultLines lines;
    for (int i = 0; i < 30; ++i)
        lines.Append(u"line " + platform::AsciiToUtf16(std::to_string(i)));
    analysis::CAnalyzeDetailsDlg details(screen, lines, analysis::kTypeStatistics);
    lines.Clear();
    const int rows = details.Pager().RowsPerPage();
    ASSERT_GT(rows, 2);
    EXPECT_EQ(rows, analysis::CAnalyzeDetailsDlg::kHeight / details.LineHeight());
    EXPECT_EQ(details.ScrollBar().maximum(), 30 - rows);
    details.ScrollBar().setValue(details.ScrollBar().maximum());
    EXPECT_EQ(details.RowText(0), QStringLiteral("line 0"));
    EXPECT_EQ(details.RowText(1), QStringLiteral("line 1"));
    EXPECT_EQ(details.RowText(2), QStringLiteral("line %1").arg(32 - rows));
    EXPECT_EQ(details.RowText(rows - 1), QStringLiteral("line 29"));
    details.OkButton().click();
    EXPECT_EQ(details.result(), CSkinnedDlg::kResultCancel);
}

TEST_F(AnalysisDialogs, ThreeGraphsChosenInTheSetUpAreStacked)
{
    project::DataSetRecord& record = Enter();
    screen->SetDialogs(nullptr);   // the screen's own dialogs
    Answering<CAnalyzeSetup1Dlg>(CAnalyzeDlg::kSetup, [](CAnalyzeSetup1Dlg& dialog) {
        dialog.Button(CAnalyzeSetup1Dlg::kGraphsPage).click();
        EXPECT_TRUE(dialog.Control(CAnalyzeSetup1Dlg::kNumber)->isVisible());
        EXPECT_FALSE(dialog.Control(CAnalyzeSetup1Dlg::kYChannel)->isVisible());
        dialog.Button(CAnalyzeSetup1Dlg::kOneGraph + 2).click();
        dialog.OkButton().click();
    });
    EXPECT_EQ(record.graphCount, 3);
    EXPECT_EQ(record.graphs[2].inUse, 1);
    EXPECT_TRUE(screen->ScrollBar().isVisible());

    // A range that is no number is refused with a notice, and nothing is written.
    Answering<CAnalyzeSetup1Dlg>(CAnalyzeDlg::kSetup, [this](CAnalyzeSetup1Dlg& dialog) {
        dialog.Combo(CAnalyzeSetup1Dlg::kYMode).setCurrentIndex(1);
        dialog.Combo(CAnalyzeSetup1Dlg::kYMode).activated(1);
        dialog.Edit(CAnalyzeSetup1Dlg::kYMinimum).setText(QStringLiteral("low"));
        dialog.Button(CAnalyzeSetup1Dlg::kGraphsPage).click();
        dialog.Button(CAnalyzeSetup1Dlg::kOneGraph).click();
        dialog.OkButton().click();
        EXPECT_TRUE(dialog.isVisible());
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].first, Text(2852));
    });
    EXPECT_EQ(record.graphCount, 3);
    EXPECT_EQ(record.graphs[0].autoY, 1);
}

}  // namespace
