#pragma once

#include "logger/shell/core/MainMenuRules.h"
#include "uikit/common/CVRDCommonBase.h"
#include "uikit/events/TimerIds.h"
#include "uikit/window/CVRDWindowBase.h"

#include <QFont>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <array>

namespace uikit {
class CButtonST;
}

// The main menu: a strip of six picture buttons over the bottom of the front screen that jumps
// between the four screens or quits. The common services make it on the first Enter (through the
// factory the root window registers) and show it; it hides itself after a choice, on Enter, on a
// tap elsewhere and after ten seconds. It never navigates itself: it posts the navigation codes
// to the root window. A frameless overlay child of the root window, raised and given the keys
// while it is up.
namespace shell {

class CMainMenuDlg : public QWidget, public uikit::CVRDCommonBase, public uikit::CVRDWindowBase {
    Q_OBJECT

public:
    static constexpr int kFirstButtonId = 1000;
    static constexpr int kAnalysisButtonId = 1003;
    static constexpr int kButtonCount = 6;
    static constexpr int kAutoHideTimer = 444;
    static constexpr int kAutoHideMs = 10000;

    explicit CMainMenuDlg(QWidget* rootWindow);
    ~CMainMenuDlg() override;

    // The button of a control id (1000..1005), null for another id.
    uikit::CButtonST* Button(int id) const;
    // Over the front screen (the root window's middle when there is none).
    void Place();
    // Every way the menu goes ends here: hidden, the common services' flag cleared, timer 444
    // stopped, the keys back to the front screen.
    void Dismiss();
    bool AutoHideRunning() const { return timers_.IsActive(kAutoHideTimer); }
    // How long the menu stays up untouched from its next showing (0: kAutoHideMs).
    void SetAutoHideDelay(int ms) { autoHideMs_ = ms > 0 ? ms : kAutoHideMs; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void OnKey(int key);
    void OnButton(int index);
    bool RunExists() const;

    uikit::TimerIds timers_{this};
    MainMenuKeys keys_;
    std::array<uikit::CButtonST*, kButtonCount> buttons_{};
    std::array<QString, kButtonCount> captions_;
    QPixmap background_;
    QFont font_;
    int autoHideMs_ = kAutoHideMs;
};

}  // namespace shell
