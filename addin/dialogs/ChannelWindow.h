#pragma once

#include "addin/dialogs/core/DisplayWorker.h"
#include "addin/dialogs/CVRDWindowBase.h"
#include "addin/dialogs/FlatDialogDevice.h"

#include "uikit/events/TimerIds.h"

#include <QDialog>
#include <QFont>
#include <QPixmap>

#include <atomic>
#include <string>

class QPainter;

// What the measurement and snapshot windows share: four channel panels (160 pixels a channel:
// the value lines right-aligned one under the other, the sensor's name centred below, all in the
// channel's colour) fed by a display thread, and timer 5005. The display thread only posts copies
// of its texts; each copy carries the generation of the thread that sent it, so what a replaced
// thread still had on its way is dropped. The timer never runs twice at once, and a tick that
// finds the device layer busy (the display thread inside a read) comes back shortly instead of
// waiting for it.
namespace addin::dialogs {

inline constexpr uint32_t kChannelColours[device::kTableChannels] = {0x9B2E29, 0x2C0973, 0x1C3B65, 0x264C0A};

struct PanelLayout {
    int valueTop = 0;
    int titleTop = 0;
    int titleBottom = 0;
};

struct WindowLook {
    int dialogId = 0;
    const char* caption = "";
    int width = 640;
    int height = 0;
    int background = 0;
    PanelLayout panels;
    int tickMs = 1000;
};

class ChannelWindow : public QDialog, public CVRDWindowBase {
    Q_OBJECT

public:
    static constexpr int kTimerId = 5005;

    // Ends the display thread; what it still had on the way is dropped. Needs no event loop.
    void StopDisplay();

protected:
    ChannelWindow(const WindowLook& look, QWidget* parent);
    ~ChannelWindow() override;

    // The display thread over the window's table; with a detection first (on the thread).
    void StartDisplay(bool detectFirst);
    void StartTicks();
    void StopTicks();

    // The tick's work while the device layer is held (no waiting for other threads there).
    virtual void TickHeld() = 0;
    // Then the rest of it; false when the window has ended (the timer stays off).
    virtual bool TickDone() = 0;
    // A detection's table arrived: by default the panels of absent channels are emptied.
    virtual void TakeDetection(const DisplayUpdate& update);
    // Readings arrived: by default every channel read is shown.
    virtual void TakeReadings(const DisplayUpdate& update);
    // Texts changed: kept for screen readers and tests, and repainted.
    void ShowTexts();

    void PaintChannels(QPainter& painter);
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void customEvent(QEvent* event) override;

    FlatDialogDevice device_;
    device::SensorTableEntry table_[device::kTableChannels] = {};
    ChannelTexts texts_[device::kTableChannels];
    QFont valueFont_;
    QFont titleFont_;

private:
    const WindowLook look_;
    std::atomic<int> generation_{0};
    DisplayWorker display_;
    uikit::TimerIds timers_;
    bool inTick_ = false;
    bool ticking_ = false;
    QPixmap background_;
};

QString ToQString(const std::u16string& text);

}  // namespace addin::dialogs
