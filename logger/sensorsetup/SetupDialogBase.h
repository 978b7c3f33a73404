#pragma once

#include <functional>
#include <memory>
#include <utility>

#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QString>

#include "logger/sensorsetup/core/SetupSensor.h"
#include "logger/sensorsetup/core/SetupSensorWorker.h"
#include "uikit/common/CVRDCommonBase.h"
#include "uikit/window/CVRDWindowBase.h"

class QPainter;

namespace uikit {
class CButtonST;
}

// What the set-up and calibration dialog and the function generator dialog share: the modal
// 320 x 214 frameless window over its owner, the skinned OK and Cancel buttons, the worker that
// is the sensor object's only user while the dialog is open (the root window leaves its device
// poll meanwhile), jobs run on it one at a time with the dialog held still, and an end that
// waits for the worker without blocking the event loop.
namespace sensorsetup {

class SetupDialogBase : public QDialog, public uikit::CVRDCommonBase, public uikit::CVRDWindowBase {
    Q_OBJECT

public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 214;
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;
    static constexpr int kOkId = 1;
    static constexpr int kCancelId = 2;

    ~SetupDialogBase() override;

    // Where this dialog's notices go (empty: the program's message box). For tests of the dialogs.
    using NoticeHandler = std::function<void(const QString& text)>;
    void SetNoticeHandler(NoticeHandler handler) { notice_ = std::move(handler); }

    uikit::CButtonST& OkButton() { return *ok_; }
    uikit::CButtonST& CancelButton() { return *cancel_; }
    // A job is running or the dialog is ending.
    bool Busy() const { return busy_; }

    void accept() override;
    void reject() override;

protected:
    // `sensor` is the object the worker drives; the dialog does not touch it once the worker runs.
    SetupDialogBase(QWidget* owner, devicelink::CNI2CSensor& sensor);

    SetupSensor& Sensor() { return sensor_; }
    // Starts the worker: reading `channel` every 450 ms, or only running jobs (-1).
    void StartWorker(int channel);
    SetupSensorWorker& Worker() { return *worker_; }
    // Runs the job after what the worker is doing; `then` gets its outcome on this thread.
    // False (nothing run) while another job runs or the dialog is ending.
    bool RunJob(SetupSensorWorker::Job job, std::function<void(const JobOutcome&)> then);
    // Ends the dialog with `result` once the worker has stopped.
    void Finish(int result);
    void Notice(int textId);
    // OK and Cancel at their places, with the skins' pictures and the 14-pixel font.
    void CreateOkCancel(int left, int top);
    // A picture of the bitmap module; a null one without the module.
    static QPixmap Picture(int id);
    // The background stretched over the dialog (a plain dark face without it).
    void PaintBackground(QPainter& painter, const QPixmap& background);

    // What OK and Cancel do.
    virtual void OnOk() = 0;
    virtual void OnCancel() { Finish(kResultCancel); }
    // A live reading the worker took.
    virtual void OnSample(const LiveSample&) {}
    // The controls follow the busy state.
    virtual void BusyChanged() = 0;

    bool event(QEvent* event) override;

    QFont font14_;
    QFont font16_;

private:
    void SetBusy(bool busy);
    void TakeWorkerNews();

    std::unique_ptr<SetupSensor> ownedSensor_;
    SetupSensor& sensor_;
    std::unique_ptr<SetupSensorWorker> worker_;
    std::function<void(const JobOutcome&)> then_;
    NoticeHandler notice_;
    uikit::CButtonST* ok_ = nullptr;
    uikit::CButtonST* cancel_ = nullptr;
    bool busy_ = false;
    int ending_ = 0;  // the result to end with once the worker has stopped
    bool sensorHeld_ = false;
};

}  // namespace sensorsetup
