#pragma once

#include "uikit/chart/ChartSeries.h"
#include "uikit/msgbox/MessageBoxKind.h"
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
namespace logger {
struct ExperimentBlock;
struct SampleArrays;
}  // namespace logger

// The process-wide services every screen and dialog of the measurement program reaches through
// its second base: registry values, the resource modules, the work buffers, the data directory,
// the one sensor object, the table of screens, the screen in front, the main menu, the message
// box and the one key filter. All state is the process's, made by InitGlobals and released by
// Shutdown; everything runs on the UI thread.
//
// The program's own parts are not known here: the shell registers its main menu (a factory),
// the measurement screen offers its recording through ExperimentSource, and the sensor object is
// made by a factory that tests replace.
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

class CVRDCommonBase {
public:
    using SensorFactory = std::function<std::unique_ptr<devicelink::CNI2CSensor>()>;
    // Makes the main menu for the front screen. The menu must not be a child of a screen: the
    // common services delete it at shut-down (unless it has gone already).
    using MainMenuFactory = std::function<QWidget*(QWidget* frontScreen)>;

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
    // from a clean state.
    static int InitGlobals();
    static void Shutdown();
    static bool IsInitialised();
    // How InitGlobals gets each work buffer of kWorkBufferFloats floats (null: out of memory);
    // null restores the plain non-throwing allocation. For tests of the out-of-memory start.
    using BufferAllocator = std::function<std::unique_ptr<float[]>(size_t floats)>;
    static void SetWorkBufferAllocator(BufferAllocator allocator);

    static float* GetWorkBuffer();
    static float* GetWorkBuffer2();
    static const QString& GetDataDirectory();

    // The sensor object, made on the first call by the factory; null when it cannot be made.
    static devicelink::CNI2CSensor* GetSensor();
    // Replaces the factory (null restores the program's: a sensor object on the flat device API).
    static void SetSensorFactory(SensorFactory factory);
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
    static logger::ExperimentBlock* GetExperimentBlock();
    static logger::SampleArrays* GetSampleArrays();

    // Main menu.
    static void SetMainMenuFactory(MainMenuFactory factory);
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

    // Message box of a MessageBoxKind: 1 when it ended with OK, 2 otherwise, 0 (nothing shown)
    // while one is open.
    static int RunMessageBox(QWidget* owner, int type, const QString& text1 = {}, const QString& text2 = {});
    // Gives the front screen the focus first; 0 without a front screen.
    static int ShowMessageBox(QWidget* owner, int type, const QString& text1 = {}, const QString& text2 = {});
    static CMessageBoxDlg* GetMessageBox();

    static int GetByteSetting();
    static void SetByteSetting(int value);
};

}  // namespace uikit
