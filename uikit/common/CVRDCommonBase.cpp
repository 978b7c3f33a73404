#include "uikit/common/CVRDCommonBase.h"

#include "devicelink/sensor/CNI2CSensor.h"
#include "platform/Clock.h"
#include "uikit/common/DoubleTap.h"
#include "uikit/common/ExperimentSource.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"
#include "uikit/msgbox/CMessageBoxDlg.h"
#include "uikit/resources/FallbackTexts.h"
#include "uikit/resources/ResourceModule.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <new>

namespace uikit {

namespace {

// Sees every event of the application; FilterKeyMessage decides what concerns the front screen.
class ScreenKeyFilter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        return CVRDCommonBase::FilterKeyMessage(watched, event) == 1;
    }
};

struct CommonState {
    bool initialised = false;
    int fullScreen = 0;
    int byteSetting = 0;
    QString dataDirectory;
    std::unique_ptr<float[]> work1;
    std::unique_ptr<float[]> work2;
    QPointer<QWidget> front;
    QPointer<QWidget> screens[kScreenSlotCount];
    QPointer<CMessageBoxDlg> messageBox;
    QPointer<QWidget> mainMenu;
    bool mainMenuShown = false;
    CommonServices services;
    std::unique_ptr<devicelink::CNI2CSensor> sensor;
    int sensorWorkers = 0;
    int recordings = 0;
    TapMemory taps;
    std::unique_ptr<ScreenKeyFilter> keyFilter;
};

CommonState& State()
{
    static CommonState state;
    return state;
}

bool ValidSlot(int index)
{
    return index >= 0 && index < kScreenSlotCount;
}

bool IsWithin(const QWidget* widget, const QWidget* ancestor)
{
    return widget && ancestor && (widget == ancestor || ancestor->isAncestorOf(widget));
}

uint16_t Clamp16(int v)
{
    return uint16_t(std::clamp(v, 0, 0xFFFF));
}

// The reaction to a key that nothing on the front screen took.
void HandleScreenKey(QWidget* front, const QKeyEvent& key)
{
    if (key.isAutoRepeat())
        return;
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        CVRDCommonBase::ShowMainMenu();
        break;
    case Qt::Key_Escape:
        PostScreenMessage(front, WM_KEY_ESCAPE);
        break;
    case Qt::Key_Left:
        if (CVRDCommonBase::ResetChannelStates() == 1)
            PostScreenMessage(front, WM_CALIBRATION_RESET);
        break;
    default:
        break;
    }
}

}  // namespace

CommonServices::CommonServices()
    : makeSensor([] { return std::make_unique<devicelink::CNI2CSensor>(); }),
      allocateWorkBuffer([](size_t floats) { return std::unique_ptr<float[]>(new (std::nothrow) float[floats]()); })
{
}

CVRDCommonBase::~CVRDCommonBase() = default;

// ---- Registry.

int CVRDCommonBase::RegReadValue(RegistryRoot root, std::string_view subkey, std::string_view name, void* buffer,
                                 size_t bufferSize)
{
    return uikit::RegReadValue(root, subkey, name, buffer, bufferSize);
}

int CVRDCommonBase::RegWriteDword(RegistryRoot root, std::string_view subkey, std::string_view name, uint32_t value)
{
    return uikit::RegWriteDword(root, subkey, name, value);
}

int CVRDCommonBase::SetFullScreen(int value)
{
    return RegWriteDword(RegistryRoot::LocalMachine, kPlovexKey, kFullScreenValue, uint32_t(value));
}

int CVRDCommonBase::GetFullScreen()
{
    return State().fullScreen;
}

// ---- Start-up and shut-down.

int CVRDCommonBase::InitGlobals(CommonServices services)
{
    if (State().initialised)
        Shutdown();
    CommonState& s = State();
    s.services = std::move(services);
    s.fullScreen = 0;
    s.byteSetting = 0;
    s.front = nullptr;
    s.messageBox = nullptr;
    s.mainMenu = nullptr;
    s.mainMenuShown = false;
    for (auto& screen : s.screens)
        screen = nullptr;
    s.taps.Forget();

    s.work1 = s.services.allocateWorkBuffer(kWorkBufferFloats);
    s.work2 = s.services.allocateWorkBuffer(kWorkBufferFloats);
    if (!s.work1 || !s.work2) {
        s.work1.reset();
        s.work2.reset();
        return 0;
    }
    s.dataDirectory = QDir::currentPath();
    ResetSharedChartSeries();

    uint32_t value = 0;
    if (RegReadValue(RegistryRoot::LocalMachine, kPlovexKey, kFullScreenValue, &value, sizeof value) == 1)
        s.fullScreen = int(value);
    else
        RegWriteDword(RegistryRoot::LocalMachine, kPlovexKey, kFullScreenValue, 0);
    s.initialised = true;
    return 1;
}

void CVRDCommonBase::Shutdown()
{
    CommonState& s = State();
    // A detection still under way gives up at its next step; deleting the box joins its worker.
    if (s.sensor)
        s.sensor->RequestDetectionAbort();
    delete s.messageBox.data();
    s.messageBox = nullptr;
    delete s.mainMenu.data();
    s.mainMenu = nullptr;
    s.mainMenuShown = false;
    SetKeyFilterEnabled(false);
    s.sensor.reset();
    s.sensorWorkers = 0;
    s.recordings = 0;
    ResetSharedChartSeries();
    s.work1.reset();
    s.work2.reset();
    s.dataDirectory.clear();
    s.front = nullptr;
    for (auto& screen : s.screens)
        screen = nullptr;
    s.taps.Forget();
    LanguageModule().Unload();
    BitmapModule().Unload();
    s.services = {};
    s.initialised = false;
}

bool CVRDCommonBase::IsInitialised()
{
    return State().initialised;
}

float* CVRDCommonBase::GetWorkBuffer()
{
    return State().work1.get();
}

float* CVRDCommonBase::GetWorkBuffer2()
{
    return State().work2.get();
}

const QString& CVRDCommonBase::GetDataDirectory()
{
    return State().dataDirectory;
}

// ---- The sensor object.

devicelink::CNI2CSensor* CVRDCommonBase::GetSensor()
{
    CommonState& s = State();
    if (!s.sensor) {
        try {
            s.sensor = s.services.makeSensor();
        } catch (const std::bad_alloc&) {
            s.sensor.reset();
        }
    }
    return s.sensor.get();
}

void CVRDCommonBase::BeginSensorUse(SensorUse use)
{
    ++(use == SensorUse::Worker ? State().sensorWorkers : State().recordings);
}

void CVRDCommonBase::EndSensorUse(SensorUse use)
{
    int& count = use == SensorUse::Worker ? State().sensorWorkers : State().recordings;
    count = std::max(0, count - 1);
}

bool CVRDCommonBase::IsSensorHeld()
{
    return State().sensorWorkers > 0 || State().recordings > 0;
}

bool CVRDCommonBase::IsSensorWorkerActive()
{
    return State().sensorWorkers > 0;
}

int CVRDCommonBase::ResetChannelStates()
{
    if (IsSensorHeld())
        return 0;
    devicelink::CNI2CSensor* sensor = GetSensor();
    if (!sensor)
        return 0;
    for (int c = 0; c < devicelink::kChannelStateCount; ++c)
        sensor->UpdateChannel(c, 0);
    return 1;
}

int CVRDCommonBase::GetBlockTable(ChartSeries* destination[kChartSeriesCount])
{
    return GetChartSeriesTable(destination);
}

// ---- Resource modules.

ResourceModule* CVRDCommonBase::GetBitmapModule()
{
    return BitmapModule().Load() ? &BitmapModule() : nullptr;
}

ResourceModule* CVRDCommonBase::GetLanguageModule()
{
    return LanguageModule().Load() ? &LanguageModule() : nullptr;
}

QString CVRDCommonBase::LoadText(int id, int maxChars)
{
    ResourceModule* module = GetLanguageModule();
    const QString text = module ? module->String(id, maxChars) : QString();
    if (!text.isEmpty() || maxChars < 2)
        return text;
    // Without the module the user must still be told, in English, why the program cannot start.
    return FallbackText(id).left(maxChars - 1);
}

// ---- Screens.

void CVRDCommonBase::SetFrontScreen(QWidget* screen)
{
    State().front = screen;
}

QWidget* CVRDCommonBase::GetFrontScreen()
{
    return State().front;
}

void CVRDCommonBase::SetScreen(int index, QWidget* screen)
{
    if (ValidSlot(index))
        State().screens[index] = screen;
}

QWidget* CVRDCommonBase::GetScreen(int index)
{
    return ValidSlot(index) ? State().screens[index].data() : nullptr;
}

int CVRDCommonBase::PostToScreen(int index, int code, qint64 wParam, qint64 lParam)
{
    return PostScreenMessage(GetScreen(index), code, wParam, lParam) ? 1 : 0;
}

void CVRDCommonBase::HideFrontScreen()
{
    QWidget* front = GetFrontScreen();
    if (!front)
        return;
    PostScreenMessage(front, WM_SCREEN_HIDE);
    front->hide();
}

ExperimentSource* CVRDCommonBase::GetExperimentSource()
{
    return dynamic_cast<ExperimentSource*>(GetScreen(kSlotMeasurement));
}

project::ExperimentBlock* CVRDCommonBase::GetExperimentBlock()
{
    ExperimentSource* source = GetExperimentSource();
    return source ? source->ExperimentData() : nullptr;
}

project::SampleArrays* CVRDCommonBase::GetSampleArrays()
{
    ExperimentSource* source = GetExperimentSource();
    return source ? source->SampleData() : nullptr;
}

// ---- Main menu.

void CVRDCommonBase::ShowMainMenu()
{
    CommonState& s = State();
    if (!s.mainMenu && s.services.makeMainMenu)
        s.mainMenu = s.services.makeMainMenu(GetFrontScreen());
    if (!s.mainMenu)
        return;
    PostScreenMessage(s.mainMenu, WM_SCREEN_SHOW);
    // Hidden and shown again, so that it comes to the top.
    s.mainMenu->hide();
    s.mainMenu->show();
    s.mainMenu->raise();
    s.mainMenuShown = true;
}

void CVRDCommonBase::HideMainMenu()
{
    CommonState& s = State();
    if (!s.mainMenu || !s.mainMenuShown)
        return;
    s.mainMenu->hide();
    PostScreenMessage(s.mainMenu, WM_SCREEN_HIDE);
    s.mainMenuShown = false;
}

QWidget* CVRDCommonBase::GetMainMenu()
{
    return State().mainMenu;
}

bool CVRDCommonBase::IsMainMenuShown()
{
    // The menu also hides itself (after a choice, after ten seconds): what counts is whether it
    // is up.
    const CommonState& s = State();
    return s.mainMenuShown && s.mainMenu && s.mainMenu->isVisible();
}

// ---- The key filter.

void CVRDCommonBase::SetKeyFilterEnabled(bool on)
{
    CommonState& s = State();
    if (on && !s.keyFilter && QCoreApplication::instance()) {
        s.keyFilter = std::make_unique<ScreenKeyFilter>();
        QCoreApplication::instance()->installEventFilter(s.keyFilter.get());
    } else if (!on && s.keyFilter) {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeEventFilter(s.keyFilter.get());
        s.keyFilter.reset();
    }
}

bool CVRDCommonBase::IsKeyFilterEnabled()
{
    return State().keyFilter != nullptr;
}

int CVRDCommonBase::FilterKeyMessage(QObject* watched, QEvent* event)
{
    if (!watched || !event || !watched->isWidgetType())
        return 0;
    QWidget* target = static_cast<QWidget*>(watched);
    QWidget* front = GetFrontScreen();
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        // Qt hands a press on to the parents of a widget that leaves it; only the first delivery
        // is spontaneous, so each tap is looked at once.
        if (mouse->button() != Qt::LeftButton || !event->spontaneous())
            return 0;
        if (QApplication::activeModalWidget() || IsWithin(target, GetMainMenu()))
            return 0;
        if (IsWithin(target, front)) {
            const QPoint at = mouse->globalPosition().toPoint();
            if (IsDoubleTap(Clamp16(at.x()), Clamp16(at.y())) == 1)
                return 1;
        }
        HideMainMenu();
        return 0;
    }
    case QEvent::KeyPress: {
        // Keys belong to a modal box or the menu while one is up.
        if (!front || QApplication::activeModalWidget() || IsMainMenuShown())
            return 0;
        // Only what reaches the front screen's window: the focused widget and the screen had
        // their turn before, so a text field keeps its keys.
        if (target != front->window())
            return 0;
        const QWidget* focus = QApplication::focusWidget();
        if (focus && focus != target && !IsWithin(focus, front))
            return 0;
        HandleScreenKey(front, *static_cast<const QKeyEvent*>(event));
        return 1;
    }
    default:
        return 0;
    }
}

int CVRDCommonBase::IsDoubleTap(uint16_t x, uint16_t y)
{
    return State().taps.Tap(x, y, platform::GetTickCount32()) ? 1 : 0;
}

// ---- Message box.

int CVRDCommonBase::RunMessageBox(QWidget* owner, int type, const QString& text1, const QString& text2)
{
    CommonState& s = State();
    if (s.messageBox)
        return 0;
    QPointer<CMessageBoxDlg> box = new CMessageBoxDlg(owner, type, text1, text2, s.services.messageBox);
    s.messageBox = box;
    const int result = box->exec();
    // Shut-down may have deleted the box while it ran.
    if (s.messageBox == box)
        s.messageBox = nullptr;
    delete box.data();
    return result == CMessageBoxDlg::kResultOk ? 1 : 2;
}

int CVRDCommonBase::ShowMessageBox(QWidget* owner, int type, const QString& text1, const QString& text2)
{
    QWidget* front = GetFrontScreen();
    if (!front)
        return 0;
    front->setFocus();
    return RunMessageBox(owner, type, text1, text2);
}

CMessageBoxDlg* CVRDCommonBase::GetMessageBox()
{
    return State().messageBox;
}

int CVRDCommonBase::GetByteSetting()
{
    return State().byteSetting;
}

void CVRDCommonBase::SetByteSetting(int value)
{
    State().byteSetting = value & 0xFF;
}

}  // namespace uikit
