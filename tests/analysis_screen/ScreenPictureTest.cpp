// Pictures of the analysis screen drawn by the real widgets, for review (pictures/ in the build
// tree; the reviewed copy lives in docs/images): two graphs of the recorded run, a linear fit of
// the temperature and the integral of the voltage, beside the data grid; the screen without a
// data set; and its dialogs.
#include "ScreenTestSupport.h"

#include <QImage>
#include <QListWidget>

#include "logger/analysis/CAnalyzeDetailsDlg.h"
#include "logger/analysis/CAnalyzeSetup1Dlg.h"
#include "logger/analysis/CCurveFitDlg.h"
#include "uikit/button/CButtonST.h"
#include "uikit/table/CMyTableCtrl.h"

namespace {

using analysis::CAnalyzeDlg;

class AnalysisScreenPicture : public screentest::AnalysisScreenTest {
protected:
    void Save(const QString& name)
    {
        ASSERT_TRUE(QDir().mkpath(QStringLiteral(CORVIK_PICTURE_DIR)));
        const QImage picture = screen->grab().toImage();
        EXPECT_EQ(picture.size(), QSize(CAnalyzeDlg::kWidth, CAnalyzeDlg::kHeight));
        EXPECT_TRUE(picture.save(QStringLiteral(CORVIK_PICTURE_DIR "/") + name));
    }
    void SaveDialog(QWidget& dialog, const QString& name)
    {
        ASSERT_TRUE(QDir().mkpath(QStringLiteral(CORVIK_PICTURE_DIR)));
        dialog.show();
        screentest::Spin(5);
        EXPECT_TRUE(dialog.grab().toImage().save(QStringLiteral(CORVIK_PICTURE_DIR "/") + name));
        dialog.hide();
    }
};

TEST_F(AnalysisScreenPicture, TwoGraphsAFitAnIntegralAndTheGrid)
{
    Enter();
    // Graph 1: the temperature's line, its equation and r^2 in the graph.
    Current().showEquation = 1;
    Current().showR2 = 1;
    SetRange(25, 175);
    screen->Command(CAnalyzeDlg::kLinear);
    ASSERT_EQ(Current().resultShown, 1);

    // Graph 2: the voltage of channel B, chosen in the set-up, and its integral.
    SetGraphCount(2);
    screen->SelectGraph(1);
    dialogs->setup = [](project::DataSetRecord& record) {
        // The Y page: the graph lists channel B only, and the set analyses it.
        record.graphs[1].seriesShown[0] = 0;
        record.graphs[1].seriesShown[1] = 1;
        project::SettingsAt(record, 1, 0)->ySlot = 1;
        return true;
    };
    screen->Command(CAnalyzeDlg::kSetup);
    ASSERT_EQ(Current().ySeries, 1);
    // The running integral, which reads a sample before its range and two after it.
    SetRange(1, screentest::kSamples - 2);
    Current().integralMethod = 0;
    screen->Command(CAnalyzeDlg::kIntegral);
    ASSERT_EQ(Current().resultShown, 1);

    screen->SelectGraph(0);
    screen->Button(CAnalyzeDlg::kGrid)->click();
    ASSERT_GT(screen->GridWidth(), 0);
    screen->Grid().SelectRow(50);
    screentest::Spin(5);
    Save(QStringLiteral("analysis_screen.png"));
}

TEST_F(AnalysisScreenPicture, WithoutADataSet)
{
    measurement->block->currentIndex = -1;
    Reenter();
    ASSERT_FALSE(screen->HasData());
    Save(QStringLiteral("analysis_screen_empty.png"));
}

// The set-up's Y page with both recorded series listed, a curve-fit choice on the exponential
// forms, and the details of the temperature's statistics.
TEST_F(AnalysisScreenPicture, TheSetUpAFitChoiceAndTheDetails)
{
    project::DataSetRecord& record = Enter();
    record.graphs[0].seriesShown[1] = 1;
    {
        analysis::CAnalyzeSetup1Dlg setup(*screen, record);
        setup.List().setCurrentRow(1);
        SaveDialog(setup, QStringLiteral("analysis_setup.png"));
        setup.ShowPage(1);
        SaveDialog(setup, QStringLiteral("analysis_setup_xaxis.png"));
    }
    {
        project::AnalysisSettings settings = Current();
        settings.curveModel = 2;
        settings.expVariant = 1;
        analysis::CCurveFitDlg fit(screen, settings);
        SaveDialog(fit, QStringLiteral("analysis_curve_fit.png"));
    }
    SetRange(0, screentest::kSamples);
    screen->Command(CAnalyzeDlg::kStatistics);
    ASSERT_GT(screen->Lines().Count(), 2);
    analysis::CAnalyzeDetailsDlg details(screen, screen->Lines(), analysis::kTypeStatistics);
    SaveDialog(details, QStringLiteral("analysis_details.png"));
}

}  // namespace
