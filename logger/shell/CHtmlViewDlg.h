#pragma once

#include "logger/shell/core/HelpHistory.h"
#include "logger/shell/ScreenServices.h"
#include "uikit/common/CVRDCommonBase.h"
#include "uikit/window/CVRDWindowBase.h"

#include <QPixmap>
#include <QString>
#include <QWidget>

namespace uikit {
class CButtonST;
}

// The help viewer, one of the program's five screens: a frameless child page of the root window
// with a skinned top bar (main menu, back, forward, close, the clock) over the browser. Screens
// open a page by posting WM_SHOW_HTML with its address as the text to the root window, which
// shows this page and forwards the address with WM_SCREEN_SHOW (OpenHelpPage in HelpPages.h does
// the posting). Close posts WM_HTML_BACK to the root window. It has no screen-table slot.
namespace shell {

class CHtmlCtrl;

class CHtmlViewDlg : public QWidget, public uikit::CVRDCommonBase, public uikit::CVRDWindowBase {
    Q_OBJECT

public:
    static constexpr int kMenuButtonId = 1051;
    static constexpr int kBackButtonId = 1078;
    static constexpr int kForwardButtonId = 1079;
    static constexpr int kHomeButtonId = 1077;
    static constexpr int kCloseButtonId = 1080;
    static constexpr int kPrintButtonId = 1081;
    static constexpr int kButtonCount = 6;
    static constexpr int kTopBarHeight = 55;

    // Of `services` it takes what the browser does about commands and outside links.
    CHtmlViewDlg(QWidget* rootWindow, const ScreenServices& services);
    ~CHtmlViewDlg() override;

    CHtmlCtrl& Browser() { return *browser_; }
    const HelpHistory& History() const { return history_; }
    // The button of a control id, null for another id.
    uikit::CButtonST* Button(int id) const;

    // Back and forward through the pages visited since the last one opened.
    void Back();
    void Forward();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OpenPage(const QString& address);
    void ShowHistoryEntry(const std::u16string* address);
    void PlaceBrowser();

    CHtmlCtrl* browser_ = nullptr;
    uikit::CButtonST* buttons_[kButtonCount] = {};
    HelpHistory history_;
    QPixmap topTile_;
    QPixmap clockPlate_;
};

}  // namespace shell
