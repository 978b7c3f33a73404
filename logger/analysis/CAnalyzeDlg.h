#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>

#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include "logger/analysis/AnalysisHooks.h"
#include "logger/analysis/CatalogueUnits.h"
#include "logger/analysis/ChartSeriesTable.h"
#include "logger/analysis/core/AnalysisScreenModel.h"
#include "logger/analysis/core/GateEvents.h"
#include "logger/analysis/LanguageTexts.h"
#include "logger/shell/ScreenServices.h"
#include "uikit/chart/CNIXYChart.h"
#include "uikit/common/CVRDCommonBase.h"
#include "uikit/events/TimerIds.h"
#include "uikit/window/CVRDWindowBase.h"

class QComboBox;
class QScrollBar;

namespace uikit {
class CButtonST;
class CMyTableCtrl;
}  // namespace uikit

// The analysis screen: the current data set of the measurement screen as up to four stacked
// graphs, each with up to four analysis sets, the button band above them and the data grid on
// their left. A frameless child page of the root window, created once and shown by the root.
//
// The decisions are the screen model's (logger/analysis/core), the numbers the engine's; the
// screen owns the charts, buttons, combo, grid and scroll bar and wires them to the model. Pointer,
// keys and view commands go to an AnalysisInteraction (GraphInteraction), the commands' dialogs to
// AnalysisDialogs (ScreenDialogs); both are replaceable (AnalysisHooks.h).
namespace analysis {

class CAnalyzeDlg;

// The engine's and the screen's notices: the wait cursor comes down before a box opens.
class ScreenMessageSink : public MessageSink {
public:
    explicit ScreenMessageSink(CAnalyzeDlg& screen) : screen_(screen) {}
    void ShowMessage(int kind, std::u16string_view first, std::u16string_view second) override;

private:
    CAnalyzeDlg& screen_;
};

class CAnalyzeDlg : public QWidget, public uikit::CVRDCommonBase, public uikit::CVRDWindowBase {
    Q_OBJECT

public:
    // Control ids.
    enum Control : int {
        kDetails = 1009,
        kZoom = 1010,
        kAutoScale = 1014,
        kGrid = 1018,
        kLinear = 1019,
        kCurveFit = 1020,
        kIntegral = 1021,
        kDerivative = 1022,
        kSetCombo = 1023,
        kAddSet = 1024,
        kDeleteSet = 1025,
        kSetup = 1026,
        kOscillation = 1027,
        kMemo = 1028,
        kComparison = 1029,
        kStatistics = 1032,
        kQuadratic = 1034,
        kMenu = 1053,
        kDataGrid = 1059,
        kPan = 1127,
        kScrollBar = 1134,
    };
    static constexpr int kNoteTimer = 1345;
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;
    static constexpr int kMaxGridWidth = 400;

    // Of `services` it takes the message box and, for its own dialogs (ScreenDialogs), the note
    // dialog on memos and chart notes.
    CAnalyzeDlg(QWidget* rootWindow, const shell::ScreenServices& services);
    ~CAnalyzeDlg() override;

    // The root window calls this each time before it shows the screen: binds to the current data
    // set, keeps or resets its analysis, lays out and recomputes every shown set quietly.
    void ActivateAnalysis();
    // The report's picture of the current graph: its chart rectangle as a BMP. 1 when written.
    int SaveChartImage(const QString& path);
    // Applies the current set to [start, end) with `type` without showing errors; the line count.
    int ComputeAnalysis(int start, int end, int type);
    const ResultLines& Lines() const { return model_.Lines(); }

    // A control's command, as its click gives it.
    void Command(int id);
    // The message box, with the wait cursor restored first.
    int Present(int type, const QString& first, const QString& second);

    // What the interaction and the dialogs work on.
    AnalysisScreenModel& Model() { return model_; }
    project::DataSetRecord* Record() { return model_.Record(); }
    // False while there is nothing to analyse: no data set, or one without a recorded channel.
    bool HasData() const { return !empty_; }
    int CurrentGraph() const { return model_.CurrentGraph(); }
    uikit::CNIXYChart& Chart(int graph);
    uikit::CNIXYChart& CurrentChart() { return Chart(CurrentGraph()); }
    // Where the current graph's chart and plot stand (graph g is drawn g x height lower, less
    // the scroll position).
    Rect CurrentChartRect() const;
    Rect CurrentPlotRect() const;
    int GraphHeight() const { return CurrentChartRect().Height(); }
    int ScrollPosition() const { return scroll_; }
    void SetScrollPosition(int position);
    int GridWidth() const { return gridWidth_; }
    uikit::TimerIds& Timers() { return timers_; }
    uikit::CButtonST* Button(int id) const;
    QComboBox& SetCombo() const { return *combo_; }
    uikit::CMyTableCtrl& Grid() const { return *grid_; }
    QScrollBar& ScrollBar() const { return *scrollBar_; }
    AnalysisDialogs& Dialogs() const { return *dialogs_; }
    const ChannelUnitSource& Units() const { return units_; }
    const TextSource& Texts() const { return texts_; }
    const SeriesAxisSource& Axes() const { return series_; }

    // Steps the interaction builds on.
    // A press on another graph: it becomes current with its first set, which runs (quietly).
    void SelectGraph(int graph);
    void RunAnalysis(bool placeNote, ErrorReport report);
    // The current graph drawn again and shown.
    void RefreshResult();
    void ApplyGraphToChart(int graph);
    // Every shown graph applied, the current one marked; those in view are drawn now, the
    // others when they are scrolled into view (EnsureDrawn).
    void RedrawAllGraphs();
    bool GraphInView(int graph) const;
    // Graph g's chart picture up to date with what was last applied to it.
    void EnsureDrawn(int graph);
    void LayoutGraphs(bool keepFraction);
    // The grid filled (or hidden) by the data set's grid state, and everything laid out again.
    void RefreshGrid();

    // Replace the pointer handling and the dialogs (tests answer for the user); null puts the
    // screen's own back.
    void SetInteraction(std::unique_ptr<AnalysisInteraction> interaction);
    void SetDialogs(std::unique_ptr<AnalysisDialogs> dialogs);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void CreateControls();
    project::DataSetRecord* CurrentRun() const;
    void ShowEmpty();
    void EnableCommands(bool on);
    void FillSetCombo();
    void UpdateGrid();
    void AfterSetChange();
    ClientSize Client() const { return {width(), height()}; }
    void DrawGraph(int graph);

    // Commands.
    void RunCommand(int type);
    void OnGrid();
    void OnDetails();
    void OnAddSet();
    void OnDeleteSet();
    void OnSelectSet(int comboIndex);
    void OnSetup();
    void OnMemo();
    void OnCurveFit();
    void OnIntegral();
    void OnDerivative();

    shell::MessagePresenter present_;
    shell::ChartNoteEditor editNote_;
    uikit::TimerIds timers_{this};
    std::array<uikit::CNIXYChart, project::kGraphCount> charts_;
    ChartSeriesTable series_{charts_[0]};
    LanguageTexts texts_{uikit::LanguageModule()};
    ScreenMessageSink messages_{*this};
    CatalogueUnits units_{[] { return uikit::CVRDCommonBase::GetSensor(); }};
    AnalysisEngine engine_{series_, texts_, messages_};
    AnalysisScreenModel model_{engine_, series_, texts_, units_};
    std::unique_ptr<AnalysisInteraction> interaction_;
    std::unique_ptr<AnalysisDialogs> dialogs_;

    std::map<int, uikit::CButtonST*> buttons_;
    QComboBox* combo_ = nullptr;
    uikit::CMyTableCtrl* grid_ = nullptr;
    QScrollBar* scrollBar_ = nullptr;
    QPixmap band_;
    QPixmap corner_;
    QImage closeBox_;
    QFont font_;

    // A photogate's events, which the event grid shows.
    std::array<GateEvents, project::kChannelCount> gateEvents_;
    // Applied to its chart since it was last drawn.
    std::array<bool, project::kGraphCount> stale_{};
    GraphStack stack_;
    int scroll_ = 0;
    int gridWidth_ = 0;
    bool empty_ = true;
    // What would enable the conductivity comparison is not settled; until then button 1029
    // stays disabled.
    bool comparisonEnabled_ = false;
};

}  // namespace analysis
