#pragma once

#include "addin/dialogs/ChannelWindow.h"

// The add-in's snapshot window (dialog 5001): the current values of the four channels, five
// times a second, following sensors as they are plugged in and out. Modeless; it ends itself
// when closed or when the logger goes away, and its owner may end it too. Ending is done once:
// the timer stopped, the display thread joined, the window hidden and the object deleted later.
namespace addin::dialogs {

class CSnapShotDlg : public ChannelWindow {
    Q_OBJECT

public:
    static constexpr int kDialogId = 5001;
    static constexpr int kTickMs = 1100;

    explicit CSnapShotDlg(QWidget* parent = nullptr);

    void End();
    bool Ending() const { return ending_; }

public slots:
    void reject() override;

protected:
    void TickHeld() override;
    bool TickDone() override;
    void closeEvent(QCloseEvent* event) override;

private:
    LinkEvent link_ = LinkEvent::Quiet;
    bool ending_ = false;
};

}  // namespace addin::dialogs
