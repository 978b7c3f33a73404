#pragma once

#include "platform/WorkerThread.h"
#include "uikit/common/CVRDCommonBase.h"
#include "uikit/events/TimerIds.h"
#include "uikit/msgbox/MessageBoxKind.h"
#include "uikit/msgbox/MessageBoxServices.h"
#include "uikit/window/CVRDWindowBase.h"

#include <cstdint>
#include <string>

#include <QDialog>
#include <QFont>
#include <QPixmap>

namespace devicelink {
class CNI2CSensor;
}

// The program's skinned modal message box, 500 x 300, of a MessageBoxKind (its type). The
// device-change notices run detection on a worker while the box is up, then the box shows the
// result and closes by itself. The reports, the notice and the question close by themselves after
// 1 or 5 seconds; the two-button box waits for a button; the waiting notice waits for OK. Without
// its skin the box is drawn plainly, its buttons as framed panels. exec() gives kResultOk (1) for
// OK and kResultCancel (2) for Cancel, close, Escape and time-out. Screens open it only through CVRDCommonBase::RunMessageBox or ShowMessageBox.
//
// While detection runs nothing ends the box: Escape and close requests are ignored, and a Cancel
// appears only after 30 seconds (a logger that does not answer); it asks detection to stop and
// the box closes once the worker has ended. The worker is always joined before the box goes. How
// detection runs and that delay are the box's services, given at construction.
namespace uikit {

class CButtonST;

class CMessageBoxDlg : public QDialog, public CVRDCommonBase, public CVRDWindowBase {
    Q_OBJECT

public:
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;
    static constexpr int kOkId = 1002;
    static constexpr int kCancelId = 1095;
    static constexpr int kAutoCloseTimer = 111;
    static constexpr int kLateCancelTimer = 112;
    static constexpr int kWidth = 500;
    static constexpr int kHeight = 300;

    CMessageBoxDlg(QWidget* owner, int type, const QString& text1 = {}, const QString& text2 = {},
                   MessageBoxServices services = {});
    ~CMessageBoxDlg() override;

    int Type() const { return type_; }
    int PictureIndex() const;
    bool DetectionRunning() const { return workerActive_; }
    CButtonST& OkButton() { return *ok_; }
    CButtonST& CancelButton() { return *cancel_; }
    // What the body shows now: its main text and the line under it.
    QString BodyText() const;
    QString LowerText() const;

    void reject() override;

protected:
    bool event(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void SetUpButton(CButtonST& button, int captionId, const QRect& place);
    void ApplyType();
    void StartDetection();
    void DetectionReported(int code);
    void Cancel();
    void EndWorker();

    QWidget* owner_;
    const MessageBoxServices services_;
    int type_;
    QString text1_;
    QString text2_;
    QString detectionText_;
    TimerIds timers_{this};
    CButtonST* ok_ = nullptr;
    CButtonST* cancel_ = nullptr;
    QPixmap pictures_[4];
    QPixmap background_;
    QFont font_;
    QFont reportFont_;

    devicelink::CNI2CSensor* sensor_ = nullptr;
    platform::WorkerThread worker_;
    // Written by the worker before it posts its report; read only after the join.
    std::u16string workerText_;
    bool workerActive_ = false;
    bool cancelRequested_ = false;
};

}  // namespace uikit
