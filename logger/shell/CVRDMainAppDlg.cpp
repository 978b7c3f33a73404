#include "logger/shell/CVRDMainAppDlg.h"

#include "devicelink/catalogue/SensorCatalogue.h"
#include "devicelink/sensor/CNI2CSensor.h"
#include "devicelink/sensor/CVRDPCSync.h"
#include "devicelink/sensor/PowerTimeouts.h"
#include "logger/project/WorkingCopySession.h"
#include "logger/projectmgr/core/ProjectTexts.h"
#include "logger/shell/CMainMenuDlg.h"
#include "logger/shell/core/ShellTexts.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"
#include "uikit/msgbox/CMessageBoxDlg.h"
#include "uikit/msgbox/MessageBoxRules.h"
#include "uikit/paint/SkinPaint.h"
#include "uikit/resources/DataFolder.h"
#include "uikit/resources/ResourceModule.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QIcon>
#include <QPainter>
#include <QTimerEvent>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace shell {

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kStartupTickMs = 100;
constexpr int kPcSyncTickMs = 100;
constexpr int kRedrawMs = 60000;
constexpr int kDeferredRetryMs = 100;
constexpr int kPcSyncTextChars = 64;
constexpr int kTextChars = 256;
// The message box's answer to OK.
constexpr int kBoxOk = 1;

constexpr int kIconId = 128;
constexpr int kBackgroundId = 2001;
constexpr int kPcSyncBackgroundId = 2364;
constexpr int kStartupFrameIds[kStartupFrameCount] = {2009, 2010, 2011, 2008, 2219, 2218, 2217, 2216, 2215, 2214};
constexpr int kFirstPcSyncFrameId = 2355;
const QRect kStartupFrameArea(638, 395, 88, 88);
const QRect kStartupTextArea(12, 210, 118, 30);
const QRect kPcSyncFrameArea(60, 50, 95, 95);
const QRect kPcSyncTextArea(0, 155, 320, 30);
// Red E6, green 16, blue 6C, as 0x00BBGGRR.
constexpr uint32_t kPcSyncTextColour = 0x6C16E6;

void Print(const QString& first, const QString& second)
{
    const QString line = second.isEmpty() ? first : first + QLatin1Char(' ') + second;
    std::fprintf(stderr, "PlovexLogger: %s\n", line.toLocal8Bit().constData());
}

}  // namespace

CVRDMainAppDlg::CVRDMainAppDlg(QWidget* parent) : CVRDMainAppDlg(parent, Services{}) {}

CVRDMainAppDlg::CVRDMainAppDlg(QWidget* parent, Services services)
    : QWidget(parent), services_(std::move(services)), pcSync_(std::make_unique<devicelink::CVRDPCSync>())
{
    if (services_.pollMs <= 0)
        services_.pollMs = kPollMs;
    setObjectName(QStringLiteral("CVRDMainAppDlg"));
    setWindowTitle(QStringLiteral("Corvik"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(kWidth, kHeight);
    pcSyncLeave_.setSingleShot(true);
    connect(&pcSyncLeave_, &QTimer::timeout, this, &CVRDMainAppDlg::FinishLeavingPcSync);
}

CVRDMainAppDlg::~CVRDMainAppDlg()
{
    if (!finished_) {
        quitting_ = true;
        TearDown();
        finished_ = true;
    }
}

// ---- Start-up.

void CVRDMainAppDlg::Start()
{
    if (startup_.State() != StartupState::Starting || finished_)
        return;
    started_ = true;
    // Before the data directory is taken: started elsewhere, the program finds its data beside
    // its executable and works from there.
    const uikit::DataFolderSearch data = uikit::EnterDataFolder(QString::fromLatin1(uikit::kProgramDataMarker));
    commonServices_.makeMainMenu = [this](QWidget*) -> QWidget* { return new CMainMenuDlg(this); };
    if (InitGlobals(std::move(commonServices_)) != 1) {
        FailStart(uikit::kTextNoMemory, {});
        return;
    }
    SetScreen(uikit::kSlotRoot, this);
    if (!data.Found()) {
        // Nothing of the program can be used: the box stays until the user has read where it looked.
        FailStart(uikit::kTextDataFolderMissing,
                  uikit::DataFolderSearchReport(data, LoadText(uikit::kTextDataFileMissing, kTextChars),
                                                LoadText(uikit::kTextDataFolderLooked, kTextChars)),
                  uikit::kBoxTypeWaitingNotice);
        return;
    }
    // One program at a time: a second one goes before it touches the logger the first one uses.
    if (!BeginWorkingCopy())
        return;
    // A killed session's suspend time-outs are put back before anything else can fail, so that
    // the machine suspends again even if this start goes no further.
    if (devicelink::RestoreHeldPowerTimeouts(platform::ProcessRegistry()))
        devicelink::SignalPowerTimeoutsChanged();

    uikit::ResourceModule programPictures(QString::fromLatin1(uikit::kProgramBitmapsName));
    if (const QPixmap icon = programPictures.Bitmap(kIconId); !icon.isNull())
        setWindowIcon(QIcon(icon));
    if (uikit::ResourceModule* bitmaps = GetBitmapModule()) {
        background_ = bitmaps->Bitmap(kBackgroundId);
        pcSyncBackground_ = bitmaps->Bitmap(kPcSyncBackgroundId);
        for (int i = 0; i < kStartupFrameCount; ++i)
            startupFrames_[size_t(i)] = bitmaps->Bitmap(kStartupFrameIds[i]);
        for (int i = 0; i < kPcSyncFrameCount; ++i)
            pcSyncFrames_[size_t(i)] = bitmaps->Bitmap(kFirstPcSyncFrameId + i);
    }
    CreateFont(&font_, 18, QStringLiteral("Malgun Gothic"), 0, kFontQuality);

    startup_.Begin();
    timers_.SetTimer(kStartupTimer, kStartupTickMs);
    StartStartupThread();
    update();
}

void CVRDMainAppDlg::StartStartupThread()
{
    startupWake_.Reset();
    const bool started = startupThread_.Start([this](const std::atomic<bool>& stop) {
        PaceStartup(
            startup_, [this](int code) { uikit::PostScreenMessage(this, code); },
            [this, &stop](uint32_t ms) { return startupWake_.Wait(ms) || stop.load(std::memory_order_acquire); });
    });
    if (!started)
        FailStart(uikit::kTextNoMemory, {});
}

void CVRDMainAppDlg::JoinStartupThread()
{
    startupThread_.RequestStop();
    startupWake_.Set();
    startupThread_.Join();
    // A catalogue read under way ends by its own time limits.
    catalogueThread_.Join();
}

void CVRDMainAppDlg::OnStartupStep(int code)
{
    if (quitting_)
        return;
    switch (startup_.OnStep(code, catalogueDone_.load(std::memory_order_acquire), screens_.AllExist())) {
    case StartupAction::StartCatalogueLoad:
        StartCatalogueLoad();
        break;
    case StartupAction::TakeCatalogue:
        TakeCatalogue();
        break;
    case StartupAction::CreateScreens:
        CreateScreens();
        break;
    case StartupAction::ShowFirstScreen:
        ShowFirstScreen();
        break;
    case StartupAction::None:
        break;
    }
}

void CVRDMainAppDlg::StartCatalogueLoad()
{
    sensor_ = GetSensor();
    if (!sensor_) {
        FailStart(uikit::kTextNoMemory, {});
        return;
    }
    cataloguePath_ = QDir(GetDataDirectory()).filePath(QStringLiteral("sensor_korean.xml")).toStdString();
    catalogueDone_.store(false, std::memory_order_release);
    // Opening the logger and asking its version may wait seconds on one that does not answer:
    // not on the UI thread. Nothing else touches the sensor object until the result is taken.
    devicelink::CNI2CSensor* sensor = sensor_;
    const bool started = catalogueThread_.Start([this, sensor](const std::atomic<bool>&) {
        xmlLoaded_ = sensor->LoadSensorXml(cataloguePath_);
        catalogueResult_ = xmlLoaded_ == 1 ? sensor->LoadCatalogue() : 0;
        openFailure_ = sensor->api().OpenFailure();
        catalogueDone_.store(true, std::memory_order_release);
    });
    if (!started)
        FailStart(uikit::kTextNoMemory, {});
}

void CVRDMainAppDlg::TakeCatalogue()
{
    catalogueThread_.Join();
    if (xmlLoaded_ != 1 || catalogueResult_ != devicelink::kCatalogueOk) {
        const int textId = CatalogueFailureTextId(xmlLoaded_, catalogueResult_, openFailure_);
        const bool aboutTheFile = textId == kTextCatalogueUnreadable || textId == kTextCatalogueTooOld ||
                                  textId == kTextCatalogueDamaged;
        FailStart(textId, aboutTheFile ? QString::fromStdString(cataloguePath_) : QString());
        return;
    }
    // The suspend time-outs are saved and switched off while the program runs.
    sensor_->SetPowerTimeouts(0, 0, 1);
    pcSync_ = std::make_unique<devicelink::CVRDPCSync>(sensor_);
    startup_.CatalogueTaken(true);
}

bool CVRDMainAppDlg::BeginWorkingCopy()
{
    const project::WorkingCopyStart start = project::ProcessWorkingCopy().Begin(
        GetDataDirectory().toStdString(), project::UserDataFolder(), project::LocalProjectTime());
    if (start.status != project::WorkingCopyStatus::Ready) {
        FailStart(projectmgr::WorkingCopyTextId(start.status), QString::fromStdString(start.folder));
        return false;
    }
    if (!start.backupPath.empty()) {
        const int textId =
            start.removedBackups > 0 ? projectmgr::kTextBackupKeptOlderRemoved : projectmgr::kTextBackupKept;
        notices_.push_back({LoadText(textId, kTextChars), QString::fromStdString(start.backupPath)});
    }
    if (start.inUserFolder)
        notices_.push_back({LoadText(projectmgr::kTextUserFolder, kTextChars), QString::fromStdString(start.folder)});
    return true;
}

void CVRDMainAppDlg::CreateScreens()
{
    screens_ = CreateProgramScreens(this);
    for (QWidget* screen : {screens_.help, screens_.sensors, screens_.measurement, screens_.analysis, screens_.projects}) {
        if (screen)
            screen->setGeometry(rect());
    }
    startup_.ScreensCreated(screens_.AllExist());
}

void CVRDMainAppDlg::ShowFirstScreen()
{
    timers_.KillTimer(kStartupTimer);
    SetKeyFilterEnabled(true);
    if (GetFullScreen() == 1)
        showFullScreen();
    ShowScreen(screens_.sensors);
    uikit::PostScreenMessage(screens_.sensors, uikit::WM_SCREEN_SHOW);
    timers_.SetTimer(kPollTimer, services_.pollMs);
    timers_.SetTimer(kRedrawTimer, kRedrawMs);
    // Where the working copy went, told once the monitor is up (the poll waits meanwhile).
    const std::vector<Notice> notices = std::move(notices_);
    notices_.clear();
    for (const Notice& notice : notices) {
        if (quitting_)
            break;
        // A path is read slowly and written down: the notice waits for its OK.
        Present(uikit::kBoxTypeWaitingNotice, notice.first, notice.second);
    }
}

void CVRDMainAppDlg::FailStart(int textId, const QString& detail, int boxType)
{
    startup_.Fail();
    JoinStartupThread();
    QString text = LoadText(textId, kTextChars);
    if (text.isEmpty())
        text = QStringLiteral("The program could not start (%1).").arg(textId);
    Print(text, detail);
    Present(boxType, text, detail);
    Quit(kExitStartFailed);
}

// ---- Navigation.

Screen CVRDMainAppDlg::ScreenOf(const QWidget* widget) const
{
    if (!widget)
        return Screen::None;
    if (widget == this)
        return Screen::Root;
    if (widget == screens_.help)
        return Screen::Help;
    if (widget == screens_.sensors)
        return Screen::Sensors;
    if (widget == screens_.measurement)
        return Screen::Measurement;
    if (widget == screens_.analysis)
        return Screen::Analysis;
    if (widget == screens_.projects)
        return Screen::Projects;
    return Screen::None;
}

QWidget* CVRDMainAppDlg::WidgetOf(Screen screen) const
{
    switch (screen) {
    case Screen::Help: return screens_.help;
    case Screen::Sensors: return screens_.sensors;
    case Screen::Measurement: return screens_.measurement;
    case Screen::Analysis: return screens_.analysis;
    case Screen::Projects: return screens_.projects;
    case Screen::None:
    case Screen::Root: return nullptr;
    }
    return nullptr;
}

bool CVRDMainAppDlg::ModalLoopOpen() const
{
    return QApplication::activeModalWidget() != nullptr || QApplication::activePopupWidget() != nullptr ||
           GetMessageBox() != nullptr || inDeviceBox_;
}

void CVRDMainAppDlg::Navigate(const uikit::ScreenEvent& request)
{
    if (quitting_ || !startup_.FirstScreenShown())
        return;
    if (ModalLoopOpen()) {
        Defer(request);
        return;
    }
    const Screen front = ScreenOf(GetFrontScreen());
    const NavigationPlan plan = PlanNavigation(request.code(), front, returnScreen_);
    if (!plan.handled)
        return;
    if (plan.rememberReturn)
        returnScreen_ = front;
    if (plan.stopFront)
        StopFrontActivity();
    if (plan.activateAnalysis && screens_.activateAnalysis)
        screens_.activateAnalysis();
    if (QWidget* target = WidgetOf(plan.show)) {
        ShowScreen(target);
        if (plan.postShow)
            uikit::PostScreenMessage(target, uikit::WM_SCREEN_SHOW, request.wParam(), request.lParam(), request.text());
    }
    if (QWidget* leaving = WidgetOf(plan.hide))
        leaving->hide();
}

void CVRDMainAppDlg::StopFrontActivity()
{
    const QWidget* front = GetFrontScreen();
    if (front && front == screens_.sensors && screens_.stopMonitor)
        screens_.stopMonitor();
    else if (front && front == screens_.measurement && screens_.stopMeasure)
        screens_.stopMeasure();
    if (pcSyncMode_ && pcSync_)
        pcSync_->StopRemote();
}

void CVRDMainAppDlg::ShowScreen(QWidget* screen)
{
    if (!screen)
        return;
    screen->setGeometry(rect());
    screen->show();
    screen->raise();
    // In front from now on, so that the next request, however soon, hides the right screen.
    SetFrontScreen(screen);
    screen->setFocus();
}

void CVRDMainAppDlg::Defer(const uikit::ScreenEvent& request)
{
    deferred_.push_back(
        std::make_unique<uikit::ScreenEvent>(request.code(), request.wParam(), request.lParam(), request.text()));
    timers_.SetTimer(kDeferredTimer, kDeferredRetryMs);
}

void CVRDMainAppDlg::RunDeferred()
{
    if (ModalLoopOpen())
        return;
    timers_.KillTimer(kDeferredTimer);
    if (pendingQuit_ >= 0) {
        deferred_.clear();
        Quit(pendingQuit_);
        return;
    }
    std::vector<std::unique_ptr<uikit::ScreenEvent>> requests = std::move(deferred_);
    deferred_.clear();
    for (const auto& request : requests)
        HandleMessage(*request);
}

// ---- Messages and timers.

bool CVRDMainAppDlg::event(QEvent* event)
{
    if (const uikit::ScreenEvent* message = uikit::AsScreenEvent(event)) {
        HandleMessage(*message);
        return true;
    }
    return QWidget::event(event);
}

void CVRDMainAppDlg::HandleMessage(const uikit::ScreenEvent& message)
{
    switch (message.code()) {
    case uikit::WM_STARTUP_BEGIN:
    case uikit::WM_STARTUP_CATALOGUE:
    case uikit::WM_STARTUP_SCREENS:
    case uikit::WM_STARTUP_SHOW:
        OnStartupStep(message.code());
        break;
    case uikit::WM_APP_QUIT:
        Quit(kExitOk);
        break;
    case uikit::WM_GOTO_SENSORS:
    case uikit::WM_GOTO_MEASUREMENT:
    case uikit::WM_GOTO_ANALYSIS:
    case uikit::WM_GOTO_PROJECTS:
    case uikit::WM_SHOW_HTML:
    case uikit::WM_HTML_BACK:
        Navigate(message);
        break;
    case uikit::WM_PCSYNC_ENTER:
        EnterPcSync();
        break;
    case uikit::WM_PCSYNC_DONE:
        PcSyncDone();
        break;
    case uikit::WM_PCSYNC_LEAVE:
        LeavePcSync();
        break;
    case uikit::WM_STOP_DEVICE_POLL:
        timers_.KillTimer(kPollTimer);
        break;
    default:
        // WM_MENU_BUTTON5 and anything else: nothing.
        break;
    }
}

void CVRDMainAppDlg::timerEvent(QTimerEvent* event)
{
    switch (timers_.IdOf(event)) {
    case kPollTimer:
        PollDevice();
        break;
    case kStartupTimer:
        update(kStartupFrameArea);
        update(kStartupTextArea);
        break;
    case kPcSyncTimer:
        update(kPcSyncFrameArea);
        update(kPcSyncTextArea);
        break;
    case kRedrawTimer:
        uikit::PostScreenMessage(GetFrontScreen(), uikit::WM_PERIODIC_REDRAW);
        break;
    case kDeferredTimer:
        RunDeferred();
        break;
    default:
        QWidget::timerEvent(event);
        break;
    }
}

// ---- Device poll.

void CVRDMainAppDlg::PollDevice()
{
    if (!sensor_ || quitting_)
        return;
    // Nothing may pull the sensor object from under a box, a dialog or a worker using it.
    if (ModalLoopOpen() || IsSensorWorkerActive())
        return;
    uint32_t knownPresence = 0;
    uint32_t connected = 0;
    for (int c = 0; c < devicelink::kChannelStateCount; ++c) {
        knownPresence |= sensor_->lastPresence(c) != 0 ? 1u << c : 0u;
        connected |= sensor_->connected(c) == 1 ? 1u << c : 0u;
    }
    lastPoll_ = sensor_->PollSensorState();
    const uint32_t statusWord = uint32_t(sensor_->statusWord());
    const PollDecision decision = pollRule_.Decide(lastPoll_, statusWord, knownPresence, connected);
    switch (decision.action) {
    case PollAction::LoggerLost:
        LoggerLost();
        break;
    case PollAction::AttachBox:
        pollRule_.BoxRan(statusWord);
        RunDeviceBox(uikit::kBoxTypeDeviceAttached, decision.redetect);
        break;
    case PollAction::RemovalBox:
        pollRule_.BoxRan(statusWord);
        RunDeviceBox(uikit::kBoxTypeDeviceRemoved, 0);
        break;
    case PollAction::Nothing:
        break;
    }
}

void CVRDMainAppDlg::RunDeviceBox(int type, uint32_t redetect)
{
    timers_.KillTimer(kPollTimer);
    for (int c = 0; c < devicelink::kChannelStateCount; ++c) {
        if (redetect & (1u << c))
            sensor_->lastPresence(c) = 0;
    }
    StopFrontActivity();
    inDeviceBox_ = true;
    Present(type, {}, {});
    inDeviceBox_ = false;
    if (quitting_)
        return;
    if (!pcSyncMode_) {
        QWidget* front = GetFrontScreen();
        uikit::PostScreenMessage(front, uikit::WM_SCREEN_REFRESH);
        uikit::PostScreenMessage(front, type == uikit::kBoxTypeDeviceAttached ? uikit::WM_DEVICE_FOUND : uikit::WM_DEVICE_NOT_FOUND);
    }
    timers_.SetTimer(kPollTimer, services_.pollMs);
}

void CVRDMainAppDlg::LoggerLost()
{
    timers_.KillTimer(kPollTimer);
    // A run ends and commits what it recorded, and the working copy keeps it, before the user is
    // told and the program ends.
    StopFrontActivity();
    if (screens_.saveWorkingCopy)
        screens_.saveWorkingCopy();
    const QString first = LoadText(kTextLoggerLost, kTextChars);
    const QString second = KeepHeldRunOnLoss();
    Print(first, second);
    Present(uikit::kBoxTypeNotice, first, second);
    Quit(kExitLoggerLost);
}

// ---- PC-link mode.

void CVRDMainAppDlg::EnterPcSync()
{
    if (quitting_)
        return;
    pcSyncLeave_.stop();
    StopFrontActivity();
    HideMainMenu();
    HideFrontScreen();
    for (QWidget* screen : {screens_.help, screens_.sensors, screens_.measurement, screens_.analysis, screens_.projects}) {
        if (screen)
            screen->hide();
    }
    pcSyncDone_ = false;
    pcSyncText_ = LoadText(kTextPcSyncReceiving, kPcSyncTextChars);
    pcSyncMode_ = true;
    update();
    timers_.SetTimer(kPcSyncTimer, kPcSyncTickMs);
    // The session that asked for the mode waits on the link's own event.
    pcSync_->event().Set();
}

void CVRDMainAppDlg::PcSyncDone()
{
    if (!pcSyncMode_)
        return;
    pcSyncDone_ = true;
    pcSyncText_ = LoadText(kTextPcSyncDone, kPcSyncTextChars);
    update();
    timers_.KillTimer(kPollTimer);
    timers_.KillTimer(kPcSyncTimer);
}

void CVRDMainAppDlg::LeavePcSync()
{
    if (!pcSyncMode_)
        return;
    pcSyncDone_ = false;
    pcSyncText_ = LoadText(kTextPcSyncLeaving, kPcSyncTextChars);
    update();
    // The leaving text stays a second; the UI thread goes on meanwhile.
    pcSyncLeave_.start(kPcSyncLeaveMs);
}

void CVRDMainAppDlg::FinishLeavingPcSync()
{
    if (quitting_ || !pcSyncMode_)
        return;
    timers_.KillTimer(kPcSyncTimer);
    if (sensor_)
        timers_.SetTimer(kPollTimer, services_.pollMs);
    pcSyncMode_ = false;
    pcSync_->event().Reset();
    update();
    ShowScreen(screens_.sensors);
    uikit::PostScreenMessage(screens_.sensors, uikit::WM_SCREEN_SHOW);
}

// ---- Painting.

void CVRDMainAppDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (pcSyncMode_) {
        DrawBitmapNatural(painter, pcSyncBackground_, 0, 0, width(), height());
        pcSyncFrame_ = NextPcSyncFrame(pcSyncFrame_, pcSyncDone_);
        const QRect& f = kPcSyncFrameArea;
        DrawBitmapTransparent(painter, pcSyncFrames_[size_t(pcSyncFrame_)], f.left(), f.top(), f.right() + 1,
                              f.bottom() + 1, uikit::kSkinKey);
        painter.fillRect(kPcSyncTextArea, Qt::white);
        const QRect& t = kPcSyncTextArea;
        DrawTextInRect(painter, pcSyncText_, t.left(), t.top(), t.right() + 1, t.bottom() + 1, &font_,
                       kPcSyncTextColour, uikit::kFormatCentredLine);
        return;
    }
    DrawBitmap(painter, background_, 0, 0, width(), height());
    const QRect& f = kStartupFrameArea;
    DrawBitmapTransparent(painter, startupFrames_[size_t(startupFrame_)], f.left(), f.top(), f.right() + 1,
                          f.bottom() + 1, uikit::kSkinKey);
    startupFrame_ = NextStartupFrame(startupFrame_);
}

void CVRDMainAppDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    GetClientSize(this);
    for (QWidget* screen : {screens_.help, screens_.sensors, screens_.measurement, screens_.analysis, screens_.projects}) {
        if (screen)
            screen->setGeometry(rect());
    }
    if (auto* menu = qobject_cast<CMainMenuDlg*>(GetMainMenu()))
        menu->Place();
}

// ---- The end.

void CVRDMainAppDlg::closeEvent(QCloseEvent* event)
{
    // The window stays until the program has ended in order.
    event->ignore();
    Quit(kExitOk);
}

QString CVRDMainAppDlg::KeepHeldRunOnLoss()
{
    if (!screens_.holdsUnsavedRun || !screens_.holdsUnsavedRun())
        return LoadText(kTextRecordingKept, kTextChars);
    // Nobody is asked: the program ends, and the user's own folder is the one place left.
    const std::string folder = project::UserDataFolder();
    std::error_code ignored;
    if (!folder.empty())
        std::filesystem::create_directories(folder, ignored);
    const std::string path = folder.empty() ? std::string() : project::DatedProjectPath(folder, project::LocalProjectTime());
    if (path.empty() || !screens_.saveProjectTo || !screens_.saveProjectTo(path))
        return LoadText(kTextHeldRunLost, kTextChars);
    return LoadText(kTextHeldRunSaved, kTextChars) + QLatin1Char(' ') + QString::fromStdString(path);
}

bool CVRDMainAppDlg::ConfirmQuitWithHeldRun()
{
    if (askingQuit_)
        return false;
    // A run going now ends here, so that what it recorded is asked about too.
    StopFrontActivity();
    if (!screens_.holdsUnsavedRun || !screens_.holdsUnsavedRun())
        return true;
    askingQuit_ = true;
    bool quit = false;
    if (Present(uikit::kBoxTypeQuestion, LoadText(kTextAskSaveHeldRun, kTextChars)) == kBoxOk)
        quit = screens_.saveProjectElsewhere && screens_.saveProjectElsewhere();
    else
        quit = Present(uikit::kBoxTypeQuestion, LoadText(kTextAskDropHeldRun, kTextChars)) == kBoxOk;
    askingQuit_ = false;
    // Close requests made while the question was open were answered by it.
    pendingQuit_ = -1;
    return quit;
}

void CVRDMainAppDlg::Quit(int exitCode)
{
    if (finished_ || quitting_)
        return;
    if (ModalLoopOpen()) {
        // Whatever runs the loop is still on the stack: end once it has returned.
        pendingQuit_ = exitCode;
        timers_.SetTimer(kDeferredTimer, kDeferredRetryMs);
        return;
    }
    if (exitCode == kExitOk && started_ && !ConfirmQuitWithHeldRun())
        return;
    quitting_ = true;
    exitCode_ = exitCode;
    TearDown();
    finished_ = true;
    emit finished(exitCode);
}

void CVRDMainAppDlg::TearDown()
{
    JoinStartupThread();
    timers_.KillAll();
    pcSyncLeave_.stop();
    deferred_.clear();
    if (!started_)
        return;
    SetKeyFilterEnabled(false);
    HideMainMenu();
    StopFrontActivity();
    // The screens go before the sensor object: their destructors stop and join what they run.
    for (QPointer<QWidget>* screen : {&screens_.projects, &screens_.analysis, &screens_.measurement,
                                      &screens_.sensors, &screens_.help}) {
        delete screen->data();
        *screen = nullptr;
    }
    screens_ = {};
    if (pcSync_) {
        pcSync_->StopRemote();
        pcSync_->TerminateThreads();
    }
    pcSync_ = std::make_unique<devicelink::CVRDPCSync>();
    if (sensor_)
        sensor_->SetPowerTimeouts(0, 0, 0);
    sensor_ = nullptr;
    // The message box (its detection worker joined), the main menu, the sensor object (which
    // closes the logger) and the modules.
    Shutdown();
    project::ProcessWorkingCopy().End();
}

int CVRDMainAppDlg::Present(int type, const QString& first, const QString& second)
{
    if (services_.present)
        return services_.present(this, type, first, second);
    return GetFrontScreen() ? ShowMessageBox(this, type, first, second) : RunMessageBox(this, type, first, second);
}

}  // namespace shell
