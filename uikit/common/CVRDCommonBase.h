#pragma once

#include "uikit/chart/ChartSeries.h"
#include "uikit/msgbox/MessageBoxKind.h"
#include "uikit/msgbox/MessageBoxServices.h"
#include "uikit/registry/RegistryValues.h"

#include <cstdint>
#include <functional>
#include <memory>

#include <QString>
#include <QtGlobal>

class QEvent;
class QObject;
class QWidget;

namespace devicelink {
class CNI2CSensor;
}
namespace project {
struct ExperimentBlock;
struct SampleArrays;
}  // namespace project

// The process-wide services every screen and dialog of the measurement program reaches through
// its second base: registry values, the resource modules, the work buffers, the data directory,
// the one sensor object, the table of screens, the screen in front, the main menu, the message
// box and the one key filter. All state is the process's, made by InitGlobals and released by
// Shutdown; everything runs on the UI thread.
//
// The program's own parts are not known here: the measurement screen offers its recording
// through ExperimentSource, and what the common state needs made or run is given to InitGlobals
// as one value, CommonServices: the sensor object's factory, the work buffers' allocation, the
// shell's main menu and the message box's services. They last until Shutdown, which forgets
// them; the next InitGlobals takes a new value, so nothing of one start reaches the next.
//
// What stays the process's own is state rather than a service: the registered screens and the
// one in front, the one main menu and message box, the one sensor object and who holds it, the
// work buffers, the key filter the root window turns on and the service-mode setting the main
// menu toggles.
namespace uikit {

class CMessageBoxDlg;
class ExperimentSource;
class ResourceModule;

inline constexpr int kScreenSlotCount = 6;
// The filled slots of the screen table; 2 and 5 stay empty.
inline constexpr int kSlotRoot = 0;
inline constexpr int kSlotProjects = 1;
inline constexpr int kSlotMeasurement = 3;
inline constexpr int kSlotAnalysis = 4;

inline constexpr int kWorkBufferFloats = 1048576;
// "Not enough memory to start the program."
inline constexpr int kTextNoMemory = 2800;

// Who may hold the sensor object besides the front screen: a worker thread (the message box's
// detection, a set-up dialog's live reads) or a recorded run. While either holds it the channel
// reset of the Left key is refused, and the root window defers its device poll and navigation.
enum class SensorUse { Worker, Recording };

// What InitGlobals is given. The defaults are the program's but for the main menu, which the
// root window adds; tests give their own.
struct CommonServices {
    // Makes the one sensor object at its first use; a throw of bad_alloc leaves none.
    using SensorFactory = std::function<std::unique_ptr<devicelink::CNI2CSensor>()>;
    // Gets each work buffer of kWorkBufferFloats floats; null: out of memory.
    using BufferAllocator = std::function<std::unique_ptr<float[]>(size_t floats)>;
    // Makes the main menu for the front screen. The menu must not be a child of a screen: the
    // common services delete it at shut-down (unless it has gone already).
    using MainMenuFactory = std::function<QWidget*(QWidget* frontScreen)>;

    // The program's: a sensor object on the flat device API, and each work buffer zeroed by
    // plain allocation (null when memory is short). Made out of line, where the sensor object's
    // type is known.
    CommonServices();

    SensorFactory makeSensor;
    BufferAllocator allocateWorkBuffer;
    // None: the Enter key and the menu buttons show nothing.
    MainMenuFactory makeMainMenu;
    // What every box opened through RunMessageBox is given.
    MessageBoxServices messageBox;
};

class CVRDCommonBase {
public:
    virtual ~CVRDCommonBase();

    // Registry.
    static int RegReadValue(RegistryRoot root, std::string_view subkey, std::string_view name, void* buffer,
                            size_t bufferSize);
    static int RegWriteDword(RegistryRoot root, std::string_view subkey, std::string_view name, uint32_t value);
    // Writes "FullScreen"; the result of the write. The cached value changes at the next start.
    static int SetFullScreen(int value);
    static int GetFullScreen();

    // Start-up and shut-down. InitGlobals returns 1, or 0 when the work buffers cannot be had
    // (the caller then tells the user with text kTextNoMemory and ends); called again it starts
    // from a clean state with the services now given.
    static int InitGlobals(CommonServices services = {});
    static void Shutdown();
    static bool IsInitialised();

    static float* GetWorkBuffer();
    static float* GetWorkBuffer2();
    static const QString& GetDataDirectory();

    // The sensor object, made on the first call by the services' factory; null when it cannot be
    // made.
    static devicelink::CNI2CSensor* GetSensor();
    static void BeginSensorUse(SensorUse use);
    static void EndSensorUse(SensorUse use);
    static bool IsSensorHeld();
    // A worker thread (not a recorded run) uses the sensor object now.
    static bool IsSensorWorkerActive();
    // The Left key's reset: every channel forgotten and back to its neutral settings, so that the
    // next poll detects again. Refused (0) while a run or a worker holds the sensor object.
    static int ResetChannelStates();

    // The 32 shared chart series; 1.
    static int GetBlockTable(ChartSeries* destination[kChartSeriesCount]);

    // The modules once loaded, else null (a failed load is tried again at the next call).
    static ResourceModule* GetBitmapModule();
    static ResourceModule* GetLanguageModule();
    // A language text, cut as a buffer of maxChars characters would hold it. The few texts of a
    // failed start and the box's buttons fall back to built-in English without the module.
    static QString LoadText(int id, int maxChars = 256);

    // Screens. Only slots 0..5 act; other indexes read null and post nothing.
    static void SetFrontScreen(QWidget* screen);
    static QWidget* GetFrontScreen();
    static void SetScreen(int index, QWidget* screen);
    static QWidget* GetScreen(int index);
    // 1 when posted, 0 when the slot is outside 0..5 or empty.
    static int PostToScreen(int index, int code, qint64 wParam = 0, qint64 lParam = 0);
    // Posts WM_SCREEN_HIDE to the front screen and hides it.
    static void HideFrontScreen();
    // Slot 3's recording, or null while slot 3 is empty or offers none.
    static ExperimentSource* GetExperimentSource();
    static project::ExperimentBlock* GetExperimentBlock();
    static project::SampleArrays* GetSampleArrays();

    // Main menu, made at its first showing by the services' factory.
    static void ShowMainMenu();
    static void HideMainMenu();
    static QWidget* GetMainMenu();
    static bool IsMainMenuShown();

    // The key filter: an application event filter acting for the front screen once enabled
    // (the root window enables it when start-up is done).
    static void SetKeyFilterEnabled(bool on);
    static bool IsKeyFilterEnabled();
    // 1 when the event is consumed.
    static int FilterKeyMessage(QObject* watched, QEvent* event);
    // 1 when this tap completes a double tap (positions in pixels, unsigned 16-bit).
    static int IsDoubleTap(uint16_t x, uint16_t y);

    // Message box of a MessageBoxKind, with the services' message box services: 1 when it ended
    // with OK, 2 otherwise, 0 (nothing shown) while one is open.
    static int RunMessageBox(QWidget* owner, int type, const QString& text1 = {}, const QString& text2 = {});
    // Gives the front screen the focus first; 0 without a front screen.
    static int ShowMessageBox(QWidget* owner, int type, const QString& text1 = {}, const QString& text2 = {});
    static CMessageBoxDlg* GetMessageBox();

    // The service mode the main menu toggles (0 off); 0 at every start.
    static int GetByteSetting();
    static void SetByteSetting(int value);
};

}  // namespace uikit
