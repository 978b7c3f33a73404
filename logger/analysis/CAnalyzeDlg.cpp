#include "logger/analysis/CAnalyzeDlg.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QScrollBar>
#include <QSignalBlocker>

#include "logger/analysis/core/AnalysisTexts.h"
#include "logger/analysis/GraphInteraction.h"
#include "logger/analysis/ScreenDialogs.h"
#include "logger/analysis/WaitCursor.h"
#include "platform/Text.h"
#include "uikit/button/CButtonST.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"
#include "uikit/paint/SkinPaint.h"
#include "uikit/resources/ResourceModule.h"
#include "uikit/table/CMyTableCtrl.h"

namespace analysis {

namespace {

// The buttons: place (left, top, right, bottom) and pictures (normal, pressed, focus, disabled;
// 0 none).
struct ButtonSpec {
    int id;
    int left, top, right, bottom;
    int normal, pressed, focus, disabled;
    bool checkBox;
};

constexpr ButtonSpec kButtons[] = {
    {CAnalyzeDlg::kMenu, 5, 4, 66, 48, 2105, 2103, 2104, 2104, false},
    {CAnalyzeDlg::kAddSet, 200, 4, 260, 48, 2471, 2472, 2470, 2470, false},
    {CAnalyzeDlg::kDeleteSet, 264, 4, 324, 48, 2461, 2462, 2460, 2460, false},
    {CAnalyzeDlg::kGrid, 388, 4, 448, 48, 2192, 2194, 2193, 0, true},
    {CAnalyzeDlg::kSetup, 452, 4, 512, 48, 2426, 2425, 2427, 0, false},
    {CAnalyzeDlg::kMemo, 516, 4, 576, 48, 2090, 2108, 2109, 2109, false},
    {CAnalyzeDlg::kAutoScale, 4, 55, 64, 99, 2132, 2151, 2131, 2131, false},
    {CAnalyzeDlg::kPan, 66, 55, 126, 99, 2530, 2531, 2532, 2532, true},
    {CAnalyzeDlg::kZoom, 128, 55, 188, 99, 2150, 2148, 2149, 2149, false},
    {CAnalyzeDlg::kStatistics, 200, 55, 260, 99, 2180, 2179, 2178, 2178, false},
    {CAnalyzeDlg::kLinear, 262, 55, 322, 99, 2174, 2191, 2190, 2190, false},
    {CAnalyzeDlg::kQuadratic, 324, 55, 384, 99, 2177, 2176, 2175, 2175, false},
    {CAnalyzeDlg::kCurveFit, 386, 55, 446, 99, 2189, 2188, 2187, 2187, false},
    {CAnalyzeDlg::kIntegral, 448, 55, 508, 99, 2186, 2185, 2184, 2184, false},
    {CAnalyzeDlg::kDerivative, 510, 55, 570, 99, 2183, 2182, 2181, 2181, false},
    {CAnalyzeDlg::kComparison, 572, 55, 632, 99, 2397, 2396, 2395, 2395, false},
    {CAnalyzeDlg::kOscillation, 634, 55, 694, 99, 2370, 2371, 2369, 2369, false},
    {CAnalyzeDlg::kDetails, 696, 55, 756, 99, 2144, 2142, 2143, 2143, false},
};

constexpr int kBandBitmap = 12520;
constexpr int kCornerBitmap = 12521;
constexpr int kNoteCloseBitmap = 2374;
constexpr int kScreenFontHeight = 18;
constexpr int kComboLeft = 72;
constexpr int kComboTop = 8;
constexpr int kComboWidth = 108;
constexpr int kComboHeight = 36;
constexpr int kComboListItems = 4;
constexpr int kTextLength = 256;

// The button face the skins were drawn on, a shade lighter, channel by channel.
uint32_t ButtonFaceColour()
{
    const QColor face = QApplication::palette().color(QPalette::Button);
    auto lighter = [](int channel) { return std::min(channel + 0x1E, 0xFF); };
    return uikit::RefFromColor(QColor(lighter(face.red()), lighter(face.green()), lighter(face.blue())));
}

QString FromU16(std::u16string_view text) { return QString::fromUtf16(text.data(), qsizetype(text.size())); }

}  // namespace

void ScreenMessageSink::ShowMessage(int kind, std::u16string_view first, std::u16string_view second)
{
    screen_.Present(kind, FromU16(first), FromU16(second));
}

CAnalyzeDlg::CAnalyzeDlg(QWidget* rootWindow, const shell::ScreenServices& services)
    : QWidget(rootWindow),
      present_(services.present),
      editNote_(services.editChartNote),
      dialogs_(std::make_unique<ScreenDialogs>(editNote_))
{
    setWindowTitle(LoadText(text::kScreenTitle, 32));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setGeometry(0, 0, kWidth, kHeight);
    GetClientSize(this);

    // Every chart draws from the process's shared series, so the results of all graphs and the
    // recorded data the measurement screen loaded are the same records everywhere.
    for (uikit::CNIXYChart& chart : charts_) {
        GetBlockTable(chart.SeriesTable());
        chart.Create(this, kChartWidth, kChartHeight, 0xF0F0F0, QStringLiteral("tahoma"));
        chart.SetColors(0xF0F0F0, 0, 0xC8C8C8, 0xC8C8C8);
    }
    SetScreen(uikit::kSlotAnalysis, this);

    uikit::ResourceModule& bitmaps = uikit::BitmapModule();
    band_ = bitmaps.Bitmap(kBandBitmap);
    corner_ = bitmaps.Bitmap(kCornerBitmap);
    closeBox_ = bitmaps.Bitmap(kNoteCloseBitmap).toImage();
    CreateFont(&font_, kScreenFontHeight, QStringLiteral("tahoma"), 0, kFontQuality);
    CreateControls();
    SetInteraction(nullptr);
    ShowEmpty();
}

CAnalyzeDlg::~CAnalyzeDlg()
{
    // The grid points into the shared series; nothing may paint it from here on.
    grid_->SetTableInfo(uikit::TableInfo{});
}

void CAnalyzeDlg::CreateControls()
{
    uikit::ResourceModule& bitmaps = uikit::BitmapModule();
    const uint32_t face = ButtonFaceColour();
    for (const ButtonSpec& spec : kButtons) {
        auto* button = new uikit::CButtonST(this);
        button->setObjectName(QString::number(spec.id));
        button->setGeometry(uikit::RectFromEdges(spec.left, spec.top, spec.right, spec.bottom));
        button->SetCheckBoxMode(spec.checkBox);
        auto picture = [&bitmaps](int id) { return id ? bitmaps.Bitmap(id) : QPixmap(); };
        button->SetBitmaps(picture(spec.pressed), uikit::kSkinKey, picture(spec.normal), uikit::kSkinKey,
                           picture(spec.focus), uikit::kSkinKey, picture(spec.disabled), uikit::kSkinKey);
        button->SetFlag(true);
        button->SetColor(uikit::CButtonST::kColourPressedBackground, face, false);
        button->SetColor(uikit::CButtonST::kColourBackground, face, false);
        const int id = spec.id;
        connect(button, &uikit::CButtonST::clicked, this, [this, id] { Command(id); });
        buttons_[id] = button;
    }

    combo_ = new QComboBox(this);
    combo_->setObjectName(QString::number(kSetCombo));
    combo_->setGeometry(kComboLeft, kComboTop, kComboWidth, kComboHeight);
    combo_->setFont(font_);
    combo_->setMaxVisibleItems(kComboListItems);
    // Only the user's choice runs a set; refilling the list never does.
    connect(combo_, &QComboBox::activated, this, [this](int index) { OnSelectSet(index); });

    grid_ = new uikit::CMyTableCtrl(this);
    grid_->SetTableFont(&font_);
    grid_->hide();

    scrollBar_ = new QScrollBar(Qt::Vertical, this);
    scrollBar_->setSingleStep(1);
    scrollBar_->hide();
    connect(scrollBar_, &QScrollBar::valueChanged, this, [this](int value) {
        scroll_ = value;
        update();
    });
}

uikit::CButtonST* CAnalyzeDlg::Button(int id) const
{
    const auto found = buttons_.find(id);
    return found == buttons_.end() ? nullptr : found->second;
}

uikit::CNIXYChart& CAnalyzeDlg::Chart(int graph)
{
    return charts_[size_t(std::clamp(graph, 0, project::kGraphCount - 1))];
}

void CAnalyzeDlg::SetInteraction(std::unique_ptr<AnalysisInteraction> interaction)
{
    interaction_ = interaction ? std::move(interaction) : std::make_unique<GraphInteraction>();
    interaction_->Attach(*this);
}

void CAnalyzeDlg::SetDialogs(std::unique_ptr<AnalysisDialogs> dialogs)
{
    dialogs_ = dialogs ? std::move(dialogs) : std::make_unique<ScreenDialogs>(editNote_);
}

int CAnalyzeDlg::Present(int type, const QString& first, const QString& second)
{
    WaitCursor::RestoreAll();
    if (present_)
        return present_(this, type, first, second);
    return ShowMessageBox(this, type, first, second);
}

// The measurement screen's current data set. A data set that was never recorded has nothing to
// analyse either.
project::DataSetRecord* CAnalyzeDlg::CurrentRun() const
{
    project::ExperimentBlock* block = GetExperimentBlock();
    project::DataSetRecord* record = block ? project::RecordAt(*block, block->currentIndex) : nullptr;
    return record && record->inUse == 1 ? record : nullptr;
}

void CAnalyzeDlg::EnableCommands(bool on)
{
    for (const auto& [id, button] : buttons_) {
        if (id == kMenu)
            continue;
        button->setEnabled(on && (id != kComparison || comparisonEnabled_));
        // Without a picture for their disabled state these two would look pressed.
        if (id == kGrid || id == kSetup)
            button->setVisible(on);
    }
    combo_->setEnabled(on);
}

void CAnalyzeDlg::ShowEmpty()
{
    empty_ = true;
    model_.Bind(nullptr);
    EnableCommands(false);
    {
        const QSignalBlocker quiet(combo_);
        combo_->clear();
    }
    grid_->SetTableInfo(uikit::TableInfo{});
    grid_->hide();
    gridWidth_ = 0;
    stack_ = {};
    scroll_ = 0;
    scrollBar_->hide();
    update();
}

void CAnalyzeDlg::ActivateAnalysis()
{
    interaction_->Reset(*this);
    project::DataSetRecord* record = CurrentRun();
    if (!record) {
        ShowEmpty();
        return;
    }
    model_.Bind(record);
    model_.Activate();
    const project::AnalysisSettings* settings = model_.CurrentSettings();
    if (!settings || settings->inUse != 1) {
        ShowEmpty();
        return;
    }
    empty_ = false;
    EnableCommands(true);
    LayoutGraphs(false);
    FillSetCombo();
    UpdateGrid();
    // First the charts take the graphs' series and axes, then every shown set is computed again
    // (the result series are shared by all data sets), then everything is drawn.
    for (int g = 0; g < project::GraphCountOf(*record); ++g)
        ApplyGraphToChart(g);
    {
        WaitCursor wait;
        model_.RecomputeShownSets();
    }
    RedrawAllGraphs();
    update();
}

void CAnalyzeDlg::FillSetCombo()
{
    {
        const QSignalBlocker quiet(combo_);
        combo_->clear();
        for (const SetChoice& choice : model_.SetChoices())
            combo_->addItem(FromU16(choice.name), choice.set);
        combo_->setCurrentIndex(combo_->findData(model_.CurrentSet()));
    }
    if (project::DataSetRecord* record = Record())
        Button(kGrid)->SetCheck(record->gridShown == 1 ? 1 : 0);
    Button(kDetails)->setFocus();
}

void CAnalyzeDlg::Command(int id)
{
    if (id == kMenu) {
        ShowMainMenu();
        return;
    }
    if (!HasData())
        return;
    switch (id) {
    case kDetails: OnDetails(); break;
    case kZoom: interaction_->Zoom(*this); break;
    case kAutoScale: interaction_->ToggleAutoScale(*this); break;
    case kPan: interaction_->PanClicked(*this); break;
    case kGrid: OnGrid(); break;
    case kLinear: RunCommand(kTypeLinear); break;
    case kQuadratic: RunCommand(kTypeQuadratic); break;
    case kOscillation: RunCommand(kTypeDampedOscillation); break;
    case kCurveFit: OnCurveFit(); break;
    case kIntegral: OnIntegral(); break;
    case kDerivative: OnDerivative(); break;
    case kStatistics:
        RunCommand(kTypeStatistics);
        OnDetails();
        break;
    case kComparison:
        if (comparisonEnabled_) {
            RunCommand(kTypeComparison);
            OnDetails();
        }
        break;
    case kAddSet: OnAddSet(); break;
    case kDeleteSet: OnDeleteSet(); break;
    case kSetup: OnSetup(); break;
    case kMemo: OnMemo(); break;
    default: break;
    }
}

// A command the user gave: the only runs whose errors are shown.
void CAnalyzeDlg::RunCommand(int type)
{
    project::AnalysisSettings* settings = model_.CurrentSettings();
    if (!settings)
        return;
    settings->analysisType = type;
    RunAnalysis(true, ErrorReport::Show);
}

void CAnalyzeDlg::OnCurveFit()
{
    project::AnalysisSettings& settings = *model_.CurrentSettings();
    CurveFitChoice choice;
    if (!dialogs_->ChooseCurveFit(*this, settings, choice))
        return;
    settings.curveModel = choice.curveModel;
    settings.polynomialOrder = choice.polynomialOrder;
    settings.expVariant = choice.expVariant;
    if (const int type = CurveFitAnalysisType(choice.curveModel, choice.expVariant); type != kTypeNone)
        RunCommand(type);
}

void CAnalyzeDlg::OnIntegral()
{
    project::AnalysisSettings& settings = *model_.CurrentSettings();
    int method = settings.integralMethod;
    if (!dialogs_->ChooseIntegral(*this, settings, method))
        return;
    settings.integralMethod = method;
    RunCommand(kTypeIntegral);
}

void CAnalyzeDlg::OnDerivative()
{
    project::AnalysisSettings& settings = *model_.CurrentSettings();
    int method = settings.derivativeMethod;
    if (!dialogs_->ChooseDerivative(*this, settings, method))
        return;
    settings.derivativeMethod = method;
    RunCommand(kTypeDerivative);
}

void CAnalyzeDlg::OnDetails()
{
    if (HasData() && Lines().Count() > 0)
        dialogs_->ShowDetails(*this, Lines());
}

void CAnalyzeDlg::OnGrid()
{
    Record()->gridShown = Button(kGrid)->GetCheck();
    RefreshGrid();
    RunAnalysis(false, ErrorReport::Quiet);
}

// The set, the graph or its data changed: the combo, the grid and the chart follow, and the set
// is run again on its stored range (quietly: its errors were told when it was made).
void CAnalyzeDlg::AfterSetChange()
{
    FillSetCombo();
    if (Record()->gridShown == 1)
        RefreshGrid();
    else
        ApplyGraphToChart(CurrentGraph());
    RunAnalysis(true, ErrorReport::Quiet);
}

void CAnalyzeDlg::OnAddSet()
{
    switch (model_.AddSet()) {
    case AddSetResult::Added: AfterSetChange(); break;
    case AddSetResult::Full: Present(uikit::kBoxTypeNotice, LoadText(text::kTooManySets, kTextLength), {}); break;
    case AddSetResult::NoChannel:
        Present(uikit::kBoxTypeNotice, LoadText(text::kNoNewSet, kTextLength), LoadText(text::kSetNeedsData, kTextLength));
        break;
    case AddSetResult::NoData: break;
    }
}

void CAnalyzeDlg::OnDeleteSet()
{
    const project::AnalysisSettings& settings = *model_.CurrentSettings();
    const QString question = FromU16(project::SetNameText(settings)) + QStringLiteral(" ?");
    if (Present(uikit::kBoxTypeQuestion, LoadText(text::kDeleteSet, kTextLength), question) != 1)
        return;
    switch (model_.DeleteSet(model_.CurrentSet())) {
    case DeleteSetResult::Refilled:
    case DeleteSetResult::Removed: AfterSetChange(); break;
    case DeleteSetResult::NoneLeft: PostToScreen(uikit::kSlotRoot, uikit::WM_GOTO_MEASUREMENT); break;
    case DeleteSetResult::NoData: break;
    }
}

void CAnalyzeDlg::OnSelectSet(int comboIndex)
{
    if (!HasData() || comboIndex < 0)
        return;
    if (model_.SelectSet(combo_->itemData(comboIndex).toInt()))
        AfterSetChange();
}

void CAnalyzeDlg::OnSetup()
{
    project::DataSetRecord& record = *Record();
    const int previous = project::GraphCountOf(record);
    bool dataChanged = false;
    if (!dialogs_->GraphSetup(*this, record, dataChanged))
        return;
    model_.AfterSetup(previous, dataChanged);
    if (project::GraphCountOf(record) != previous)
        LayoutGraphs(false);
    FillSetCombo();
    RefreshGrid();
    RunAnalysis(false, ErrorReport::Quiet);
}

void CAnalyzeDlg::OnMemo()
{
    if (project::AnalysisSettings* settings = model_.CurrentSettings())
        dialogs_->EditMemo(*this, settings->memo);
}

void CAnalyzeDlg::SelectGraph(int graph)
{
    if (!HasData() || graph == CurrentGraph() || graph < 0 || graph >= project::GraphCountOf(*Record()))
        return;
    const int previous = CurrentGraph();
    Chart(previous).SetHighlight(0);
    if (GraphInView(previous))
        DrawGraph(previous);
    else
        stale_[size_t(previous)] = true;
    if (!model_.SelectGraph(graph))
        return;
    AfterSetChange();
}

int CAnalyzeDlg::ComputeAnalysis(int start, int end, int type)
{
    project::DataSetRecord* record = Record();
    if (!record || !model_.CurrentSettings())
        return 0;
    return engine_.ComputeAnalysis(*record, CurrentGraph(), model_.CurrentSet(), start, end, type,
                                   ErrorReport::Quiet);
}

bool CAnalyzeDlg::event(QEvent* event)
{
    if (const uikit::ScreenEvent* message = uikit::AsScreenEvent(event)) {
        switch (message->code()) {
        case uikit::WM_PERIODIC_REDRAW: update(ClockRect()); break;
        case uikit::WM_KEY_ESCAPE: OnDetails(); break;
        default: break;   // WM_SCREEN_SHOW and the device notices change nothing here
        }
        return true;
    }
    return QWidget::event(event);
}

void CAnalyzeDlg::showEvent(QShowEvent* event)
{
    SetFrontScreen(this);
    QWidget::showEvent(event);
}

// While hidden, the measurement screen may load other data into the shared series: the grid lets
// go of them until the screen is entered again.
void CAnalyzeDlg::hideEvent(QHideEvent* event)
{
    grid_->SetTableInfo(uikit::TableInfo{});
    QWidget::hideEvent(event);
}

void CAnalyzeDlg::closeEvent(QCloseEvent* event)
{
    PostToScreen(uikit::kSlotRoot, uikit::WM_APP_QUIT);
    event->ignore();
}

void CAnalyzeDlg::mousePressEvent(QMouseEvent* event)
{
    if (!HasData() || !interaction_->MousePress(*this, *event))
        QWidget::mousePressEvent(event);
}

void CAnalyzeDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (!HasData() || !interaction_->MouseMove(*this, *event))
        QWidget::mouseMoveEvent(event);
}

void CAnalyzeDlg::mouseReleaseEvent(QMouseEvent* event)
{
    if (!HasData() || !interaction_->MouseRelease(*this, *event))
        QWidget::mouseReleaseEvent(event);
}

void CAnalyzeDlg::contextMenuEvent(QContextMenuEvent* event)
{
    if (!HasData() || !interaction_->ContextMenu(*this, *event))
        QWidget::contextMenuEvent(event);
}

void CAnalyzeDlg::keyPressEvent(QKeyEvent* event)
{
    if (!HasData() || !interaction_->KeyPress(*this, *event))
        QWidget::keyPressEvent(event);
}

void CAnalyzeDlg::timerEvent(QTimerEvent* event)
{
    if (timers_.IdOf(event) == kNoteTimer)
        interaction_->NoteTimer(*this);
    else
        QWidget::timerEvent(event);
}

}  // namespace analysis
