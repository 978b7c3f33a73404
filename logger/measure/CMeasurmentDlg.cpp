#include "logger/measure/CMeasurmentDlg.h"

#include <algorithm>

#include <QComboBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QTimerEvent>

#include "logger/measure/CMeasurSetup1Dlg.h"
#include "logger/measure/core/ChannelInfo.h"
#include "logger/measure/core/MeasureTexts.h"
#include "logger/project/ProjectFile.h"
#include "logger/project/WorkingCopySession.h"
#include "uikit/button/CButtonST.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"
#include "uikit/paint/SkinPaint.h"
#include "uikit/resources/ResourceModule.h"

namespace measure {

namespace {

constexpr int kWindowTextId = 2029;

// The buttons: place and pictures (pressed, normal, focus, disabled).
struct ButtonSpec {
    int id;
    int left, top;
    int pressed, normal, focus, disabled;
};
constexpr int kButtonWidth = 60;
constexpr int kButtonHeight = 44;
constexpr ButtonSpec kButtons[] = {
    {CMeasurmentDlg::kMenu, 280, 4, 2760, 2761, 2762, 2763},
    {CMeasurmentDlg::kNewRun, 480, 4, 2740, 2741, 2742, 2743},
    {CMeasurmentDlg::kDeleteRun, 544, 4, 2744, 2745, 2746, 2747},
    {CMeasurmentDlg::kNote, 608, 4, 2752, 2753, 2754, 2755},
    {CMeasurmentDlg::kMeasureSetup, 348, 52, 2748, 2749, 2750, 2751},
    {CMeasurmentDlg::kSensorSetup, 412, 52, 2756, 2757, 2758, 2759},
};
constexpr ButtonSpec kStartSkin = {CMeasurmentDlg::kStart, 8, 52, 2710, 2711, 2712, 2713};
constexpr ButtonSpec kStopSkin = {CMeasurmentDlg::kStart, 8, 52, 2714, 2715, 2716, 2717};
constexpr int kToggleLeft = 76;
constexpr int kToggleStep = 64;
constexpr int kToggleTop = 52;
constexpr int kFirstToggleBitmap = 2720;   // four pictures a channel
// The value number a toggle carries, in its lower right corner.
constexpr int kCaptionLeft = 42, kCaptionTop = 24, kCaptionRight = 58, kCaptionBottom = 42;

constexpr int kComboLeft = 344;
constexpr int kComboTop = 8;
constexpr int kComboWidth = 128;
constexpr int kComboHeight = 36;

// The page.
constexpr int kHeaderBitmap = 2700;
constexpr int kStripBitmap = 2701;
constexpr int kCornerBitmap = 2702;
constexpr int kWidePlateBitmap = 2703;
constexpr int kFirstPanelBitmap = 2704;
constexpr int kCornerWidth = 126;
constexpr int kCornerLeft = 674;
constexpr int kWidePlateTop = 90;
constexpr int kWidePlateWidth = 200;
constexpr int kPanelLeft = 5;
constexpr int kPanelWidth = 148;
constexpr int kPanelTop = 105;
constexpr int kPanelBottom = 185;
// Inside a panel: the value lines, clear of the colour bar; several lines start below the
// channel letter.
constexpr int kValueLeft = 12;
constexpr int kValueRight = 144;
constexpr int kLetterBottom = 24;
constexpr int kValueMargin = 2;
constexpr uint32_t kPageColour = 0xFFFFFF;
constexpr uint32_t kChartBackground = 0xF0F0F0;
constexpr uint32_t kClockBackground = 0x000000;
constexpr uint32_t kClockColour = 0x00FFFF;
constexpr uint32_t kCaptionOnColour = 0xFFFFFF;
// The run clock, under the wall clock in the right-hand header.
constexpr int kRunClockLeft = 670, kRunClockTop = 65, kRunClockRight = 780, kRunClockBottom = 95;
constexpr int kRunClockPlateGap = 4;

const QString kFace = QStringLiteral("Malgun Gothic");

QPixmap Bitmap(int id)
{
    uikit::ResourceModule* module = uikit::CVRDCommonBase::GetBitmapModule();
    return module ? module->Bitmap(id) : QPixmap();
}

QString FromU16(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

void SetSkin(uikit::CButtonST& button, const ButtonSpec& skin)
{
    button.SetBitmaps(Bitmap(skin.pressed), uikit::kSkinKey, Bitmap(skin.normal), uikit::kSkinKey, Bitmap(skin.focus),
                      uikit::kSkinKey, Bitmap(skin.disabled), uikit::kSkinKey);
}

// The font made smaller, down to `smallest` pixels, until the line fits its width.
QFont FittingFont(const QFont& font, const QString& text, int width, int smallest)
{
    QFont fitted = font;
    while (fitted.pixelSize() > smallest && QFontMetrics(fitted).horizontalAdvance(text) > width)
        fitted.setPixelSize(fitted.pixelSize() - 1);
    return fitted;
}

}  // namespace

CMeasurmentDlg::CMeasurmentDlg(QWidget* rootWindow, const shell::ScreenServices& services)
    : QWidget(rootWindow),
      present_(services.present),
      editNote_(services.editNote),
      block_(std::make_unique<project::ExperimentBlock>()),
      samples_(std::make_unique<project::SampleArrays>()),
      project_(std::make_unique<project::ProjectFile>(*block_, *samples_,
                                                     project::WorkingCopyFolder(GetDataDirectory().toStdString()))),
      sensor_([] { return uikit::CVRDCommonBase::GetSensor(); })
{
    setObjectName(QStringLiteral("CMeasurmentDlg"));
    setWindowTitle(LoadText(kWindowTextId, 32));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setGeometry(0, 0, kWidth, kHeight);
    hide();
    GetClientSize(this);
    CreateChart();
    LoadSkin();
    CreateControls();
    controller_ = std::make_unique<MeasureController>(*block_, *samples_, *project_, sensor_, runChart_,
                                                      static_cast<MeasureScreenHost&>(*this));
    // Whoever reads the working copy back (another set chosen here, a project opened by the
    // project manager) has this screen show what it brought.
    project_->SetLoadedHandler([this] { controller_->OnProjectLoaded(); });
    SetScreen(uikit::kSlotMeasurement, this);
    RebuildControls();
}

CMeasurmentDlg::~CMeasurmentDlg()
{
    // A run still going is ended (and kept) before the recording goes.
    controller_->Shutdown();
    project_->SetLoadedHandler(nullptr);
    controller_.reset();
    if (GetScreen(uikit::kSlotMeasurement) == this)
        SetScreen(uikit::kSlotMeasurement, nullptr);
}

void CMeasurmentDlg::CreateChart()
{
    // The chart draws the process's shared series, which the analysis screen and the exports
    // read as this screen leaves them.
    GetBlockTable(chart_.SeriesTable());
    chart_.Create(this, kWidth, kHeight - kChartTop, kChartBackground, QStringLiteral("tahoma"));
    chart_.SetGridCount(5, 5);
    chart_.SetColors(kChartBackground, 0, 0xC8C8C8, 0xC8C8C8);
    chart_.SetLineMode(1);
    chart_.SetLinkedXMode(0);
}

void CMeasurmentDlg::LoadSkin()
{
    header_ = Bitmap(kHeaderBitmap);
    strip_ = Bitmap(kStripBitmap);
    corner_ = Bitmap(kCornerBitmap);
    widePlate_ = Bitmap(kWidePlateBitmap);
    for (int c = 0; c < project::kChannelCount; ++c)
        panels_[size_t(c)] = Bitmap(kFirstPanelBitmap + c);
    CreateFont(&largeFont_, 20, kFace, 1, kFontQuality);
    CreateFont(&smallFont_, 15, kFace, 1, kFontQuality);
    CreateFont(&comboFont_, 18, kFace, 0, kFontQuality);
    CreateFont(&clockFont_, 22, QStringLiteral("tahoma"), 1, kFontQuality);
    CreateFont(&captionFont_, 14, QStringLiteral("tahoma"), 1, kFontQuality);
}

void CMeasurmentDlg::CreateControls()
{
    const auto make = [this](const ButtonSpec& skin) {
        auto* button = new uikit::CButtonST(this);
        button->setObjectName(QString::number(skin.id));
        SetSkin(*button, skin);
        button->SetFlag(true);
        button->setGeometry(skin.left, skin.top, kButtonWidth, kButtonHeight);
        return button;
    };
    for (const ButtonSpec& spec : kButtons) {
        uikit::CButtonST* button = make(spec);
        const int id = spec.id;
        connect(button, &QAbstractButton::clicked, this, [this, id] { Click(id); });
        buttons_[id] = button;
    }
    // Two-state buttons wired to their clicks only: the screen's own SetCheck starts or stops
    // nothing.
    start_ = make(kStartSkin);
    start_->SetCheckBoxMode(true);
    connect(start_, &QAbstractButton::clicked, this, [this] { Click(kStart); });
    buttons_[kStart] = start_;
    for (int c = 0; c < project::kChannelCount; ++c) {
        const int first = kFirstToggleBitmap + 4 * c;
        uikit::CButtonST* toggle =
            make({kChannelA + c, kToggleLeft + kToggleStep * c, kToggleTop, first, first + 1, first + 2, first + 3});
        toggle->SetCheckBoxMode(true);
        connect(toggle, &QAbstractButton::clicked, this, [this, c] { Click(kChannelA + c); });
        toggles_[size_t(c)] = toggle;
        buttons_[kChannelA + c] = toggle;
    }

    runCombo_ = new QComboBox(this);
    runCombo_->setObjectName(QString::number(kRunCombo));
    runCombo_->setGeometry(kComboLeft, kComboTop, kComboWidth, kComboHeight);
    runCombo_->setFont(comboFont_);
    // Arrow keys belong to the screen (zoom, manual samples), not to the list.
    runCombo_->setFocusPolicy(Qt::NoFocus);
    // Only the user's choice switches the set; refilling the list never does.
    connect(runCombo_, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && !controller_->SelectRun(runCombo_->itemData(index).toInt()))
            RebuildControls();
    });
}

uikit::CButtonST* CMeasurmentDlg::Button(int id) const
{
    const auto found = buttons_.find(id);
    return found == buttons_.end() ? nullptr : found->second;
}

void CMeasurmentDlg::Click(int id)
{
    if (id >= kChannelA && id < kChannelA + project::kChannelCount) {
        const int c = id - kChannelA;
        const bool on = !controller_->ChannelOn(c);
        if (!controller_->SetChannel(c, on))
            RebuildControls();
        else if (on)
            start_->setFocus();   // the next press starts the run
        return;
    }
    switch (id) {
    case kStart:
        OnStartClicked();
        break;
    case kNewRun:
        controller_->NewRun();
        break;
    case kDeleteRun:
        controller_->DeleteCurrentRun();
        break;
    case kMeasureSetup:
        OnMeasureSetup();
        break;
    case kNote:
        OnNote();
        break;
    case kSensorSetup:
        OnSensorSetup();
        break;
    case kMenu:
        ShowMainMenu();
        break;
    default:
        break;
    }
    RebuildControls();
}

void CMeasurmentDlg::OnStartClicked()
{
    controller_->OnStartClicked();
    if (!controller_->IsIdle())
        start_->setFocus();
}

void CMeasurmentDlg::OnMeasureSetup()
{
    if (!controller_->BeforeSetupDialog())
        return;
    project::DataSetRecord* record = controller_->CurrentRun();
    int32_t maxRates[project::kChannelCount] = {};
    for (int c = 0; c < project::kChannelCount; ++c)
        maxRates[c] = controller_->ChannelMaxRate(c);
    CMeasurSetup1Dlg dialog(this, *record, maxRates,
                            [this](const QString& text) { Present(uikit::kBoxTypeNotice, text, {}); });
    controller_->AfterSetupDialog(dialog.exec() == CMeasurSetup1Dlg::kResultOk);
}

void CMeasurmentDlg::OnNote()
{
    project::DataSetRecord* record = controller_->CurrentRun();
    if (!record || !controller_->IsIdle() || !editNote_)
        return;
    const bool accepted = editNote_(this, record->note);
    // The note is kept in the working copy at once, as a run is.
    if (accepted && project_->SaveProject() != project::ProjectResult::Ok)
        ShowMessage(uikit::kBoxTypeNotice, text::kProjectNotWritten, 0);
}

void CMeasurmentDlg::OnSensorSetup()
{
    if (!sensorSetup_ || !controller_->IsIdle())
        return;
    bool anyConnected = false;
    for (int c = 0; c < project::kChannelCount; ++c)
        anyConnected = anyConnected || sensor_.IsConnected(c);
    if (!anyConnected)
        return;
    monitor::SetupRequest request;
    request.dialog = monitor::SetupDialog::ChannelSetup;
    controller_->AfterSensorSetup(sensorSetup_(request) == monitor::kDialogOk);
}

void CMeasurmentDlg::StopMeasure()
{
    controller_->Shutdown();
}

void CMeasurmentDlg::RefreshRunView(bool rebuildChart)
{
    controller_->RefreshRunView(rebuildChart);
}

bool CMeasurmentDlg::SaveChartPicture(const QString& path)
{
    // The picture is of the set just made current, whatever the chart showed before; the chart
    // is left as the screen shows that set.
    controller_->RefreshRunView(true);
    const QImage* picture = chart_.GetMemoryDC();
    return picture && chart_.SaveBitmapFile(path, picture, picture->width(), picture->height(), nullptr) == 1;
}

// ---- The controls.

void CMeasurmentDlg::RebuildControls()
{
    if (!controller_)
        return;
    const bool idle = controller_->IsIdle();
    for (int c = 0; c < project::kChannelCount; ++c) {
        uikit::CButtonST* toggle = toggles_[size_t(c)];
        const bool on = controller_->ChannelOn(c);
        toggle->SetCheck(on ? 1 : 0, false);
        toggle->setEnabled(controller_->ChannelToggleEnabled(c));
        const QString number = FromU16(controller_->ChannelCaption(c)).mid(1);
        toggle->SetCaption(number, &captionFont_, uikit::kFormatCentredLine, kCaptionLeft, kCaptionTop, kCaptionRight,
                           kCaptionBottom, on ? kCaptionOnColour : SeriesColour(c));
    }
    // The start button shows what a press does now: start, or stop the run going.
    if (showingStop_ != !idle) {
        showingStop_ = !idle;
        SetSkin(*start_, showingStop_ ? kStopSkin : kStartSkin);
    }
    start_->SetCheck(controller_->StartButtonDown() ? 1 : 0, false);
    start_->setEnabled(controller_->StartEnabled());
    const bool haveRun = controller_->CurrentRun() != nullptr;
    for (int id : {kNewRun, kDeleteRun, kMeasureSetup, kNote, kSensorSetup})
        buttons_[id]->setEnabled(idle && (haveRun || id == kNewRun));
    runCombo_->setEnabled(idle);
    FillRunCombo();
    update();
}

void CMeasurmentDlg::FillRunCombo()
{
    const QSignalBlocker quiet(runCombo_);
    runCombo_->clear();
    for (int k = 0; k < project::kRunCount; ++k) {
        const project::DataSetRecord* record = project::RecordAt(*block_, k);
        if (record && project::IsCreated(*record))
            runCombo_->addItem(FromU16(project::RunTitle(*record)), k);
    }
    runCombo_->setCurrentIndex(runCombo_->findData(block_->currentIndex));
}

// ---- MeasureScreenHost.

int CMeasurmentDlg::Present(int type, const QString& first, const QString& second)
{
    if (present_)
        return present_(this, type, first, second);
    return ShowMessageBox(this, type, first, second);
}

int CMeasurmentDlg::ShowMessage(int type, int textId, int secondTextId)
{
    return Present(type, textId ? LoadText(textId) : QString(), secondTextId ? LoadText(secondTextId) : QString());
}

std::u16string CMeasurmentDlg::Text(int id)
{
    return LoadText(id).toStdU16String();
}

void CMeasurmentDlg::PostWakeUp(uint32_t generation)
{
    uikit::PostScreenMessage(this, uikit::WM_ACQ_DATA, qint64(generation));
}

void CMeasurmentDlg::GoToSensorScreen()
{
    uikit::PostScreenMessage(GetScreen(uikit::kSlotRoot), uikit::WM_GOTO_SENSORS);
}

// ---- Events.

bool CMeasurmentDlg::event(QEvent* event)
{
    const uikit::ScreenEvent* message = uikit::AsScreenEvent(event);
    if (!message)
        return QWidget::event(event);
    switch (message->code()) {
    case uikit::WM_SCREEN_SHOW:
        SetFrontScreen(this);
        setFocus();
        controller_->OnShow();
        RebuildControls();
        break;
    case uikit::WM_SCREEN_HIDE:
        controller_->Shutdown();
        break;
    case uikit::WM_SCREEN_STOP:
        StopMeasure();
        break;
    case uikit::WM_SCREEN_REFRESH:
    case uikit::WM_DEVICE_FOUND:
    case uikit::WM_DEVICE_NOT_FOUND:
    case uikit::WM_CALIBRATION_RESET:
        controller_->OnDevicesChanged();
        break;
    case uikit::WM_ACQ_DATA:
        controller_->OnWakeUp(uint32_t(message->wParam()));
        break;
    case uikit::WM_KEY_ESCAPE:
        controller_->OnEscape();
        break;
    case uikit::WM_PERIODIC_REDRAW:
        update(ClockRect());
        break;
    default:
        break;
    }
    return true;
}

void CMeasurmentDlg::timerEvent(QTimerEvent* event)
{
    const int id = timers_.IdOf(event);
    if (id == 0) {
        QWidget::timerEvent(event);
        return;
    }
    controller_->OnTimer(id);
}

void CMeasurmentDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Right:
        if (!event->isAutoRepeat())
            controller_->OnManualSampleKey();
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
        controller_->OnZoomKey(event->key() == Qt::Key_Up);
        return;
    case Qt::Key_Escape:
        if (!event->isAutoRepeat())
            controller_->OnEscape();
        return;
    case Qt::Key_Left:
        // The common services' channel reset must never pull the sensors from under a run.
        if (!controller_->IsIdle()) {
            controller_->RequestChannelReset();
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

void CMeasurmentDlg::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const QRect inside = chartRect_.adjusted(1, 1, -1, -1);
    if (event->button() == Qt::LeftButton && controller_->IsIdle() && inside.contains(at))
        controller_->OnChartClick(at.x() - chartRect_.left());
    QWidget::mouseReleaseEvent(event);
}

void CMeasurmentDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    HideMainMenu();
    GetClientSize(this);
    LayOutChart();
    RebuildControls();
}

void CMeasurmentDlg::LayOutChart()
{
    const int width = std::max(this->width(), kWidth);
    const int height = std::max(this->height(), kHeight) - kChartTop;
    if (chartRect_.size() == QSize(width, height))
        return;
    chartRect_ = QRect(0, kChartTop, width, height);
    chart_.Attach(this, width, height);
    chart_.Redraw();
}

// ---- Painting.

void CMeasurmentDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int width = this->width();
    p.fillRect(rect(), uikit::ColorFromRef(kPageColour));
    if (!strip_.isNull()) {
        for (int left = 0; left < width; left += strip_.width())
            DrawBitmap(p, strip_, left, 0, left + strip_.width(), strip_.height());
    }
    if (!header_.isNull())
        DrawBitmap(p, header_, 0, 0, header_.width(), header_.height());
    const int cornerLeft = width > kWidth ? width - kCornerWidth : kCornerLeft;
    if (!corner_.isNull())
        DrawBitmap(p, corner_, cornerLeft, 0, cornerLeft + corner_.width(), corner_.height());
    if (width > kWidth && !widePlate_.isNull()) {
        const QRect plate = WidePlateRect(width);
        DrawBitmap(p, widePlate_, plate.left(), plate.top(), plate.left() + plate.width(),
                   plate.top() + widePlate_.height());
    }
    DrawPanels(p);
    if (const QImage* picture = chart_.GetMemoryDC())
        p.drawImage(chartRect_.topLeft(), *picture);
    DrawRunClock(p);
    DrawClock(p);
    controller_->OnPainted();
}

void CMeasurmentDlg::DrawPanels(QPainter& p)
{
    for (int c = 0; c < project::kChannelCount; ++c) {
        if (!controller_->PanelShown(c))
            continue;
        const int left = kPanelLeft + kPanelWidth * c;
        const QPixmap& panel = panels_[size_t(c)];
        if (!panel.isNull())
            DrawBitmap(p, panel, left, kPanelTop, left + kPanelWidth, kPanelBottom);
        const QStringList lines = FromU16(controller_->ValueText(c)).split(QStringLiteral("\r\n"));
        if (lines.isEmpty() || lines.constFirst().isEmpty())
            continue;
        const bool single = lines.size() == 1;
        const int top = kPanelTop + (single ? kValueMargin : kLetterBottom);
        const int step = (kPanelBottom - kValueMargin - top) / int(lines.size());
        const int textWidth = kValueRight - kValueLeft;
        // One size for all the lines of a panel, down to three quarters of its own, so that the
        // longest fits; what still does not fit is cut.
        QFont font = single ? largeFont_ : smallFont_;
        const int smallest = font.pixelSize() * 3 / 4;
        for (const QString& line : lines)
            font = FittingFont(font, line, textWidth, smallest);
        const QFontMetrics metrics(font);
        for (int i = 0; i < int(lines.size()); ++i) {
            const QString shown = metrics.elidedText(lines[i], Qt::ElideRight, textWidth);
            const int y = top + i * step;
            DrawTextInRect(p, shown, left + kValueLeft, y, left + kValueRight, y + step, &font, SeriesColour(c),
                           uikit::kFormatLeftLine);
        }
    }
}

QRect CMeasurmentDlg::WidePlateRect(int width)
{
    if (width <= kWidth)
        return {};
    const int left = width > 1000 ? width - kWidePlateWidth : kWidth;
    return uikit::RectFromEdges(left, kWidePlateTop, left + kWidePlateWidth, kChartTop - 15);
}

QRect CMeasurmentDlg::RunClockRect(int width)
{
    // The clock follows the right-hand header as the window widens, but stops short of the wide
    // plate, whose top runs level with the clock's bottom.
    const int shift = std::max(width, kWidth) - kWidth;
    int right = kRunClockRight + shift;
    if (width > kWidth)
        right = std::min(right, WidePlateRect(width).left() - kRunClockPlateGap);
    const int left = right - (kRunClockRight - kRunClockLeft);
    return uikit::RectFromEdges(left, kRunClockTop, right, kRunClockBottom);
}

void CMeasurmentDlg::DrawRunClock(QPainter& p)
{
    const QRect area = RunClockRect(width());
    p.fillRect(area, uikit::ColorFromRef(kClockBackground));
    DrawTextInRect(p, FromU16(controller_->ClockText()), area.left(), area.top(), area.right() + 1, area.bottom() + 1,
                   &clockFont_, kClockColour, uikit::kFormatCentredLine);
}

}  // namespace measure
