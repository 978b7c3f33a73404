#pragma once

#include "firmware/UpgradeFlow.h"

#include "uikit/resources/ResourceModule.h"

#include <QBasicTimer>
#include <QDialog>
#include <QFont>

#include <functional>
#include <memory>

class QProgressBar;

namespace uikit {
class CButtonST;
}

// The tool's one window: a fixed 673 x 405 dialog painted from the tool's picture set, with the
// open-file (1000), download (1003) and upgrade (1001) buttons, the progress bar (1002) and three
// texts. It shows what its UpgradeFlow holds and hands it the clicks and the ticks of timer 11.
namespace firmware {

class CCorvikFirmwareUpgradeDlg : public QDialog {
    Q_OBJECT
public:
    // Asks the user for an image file; an empty path when cancelled. Tests put their own here.
    using FileChooser = std::function<QString(QWidget* parent)>;

    struct Options {
        UpgradeFlow::Options flow;
        QString pictureSet = QString::fromLatin1(uikit::kFirmwareBitmapsName);  // relative: the data folder
        FileChooser chooser;  // empty: the file-open dialog
        // Shown in place of the texts when the tool's data folder was not found (what is missing
        // and where it was looked for); empty otherwise.
        QString dataNotice;
    };

    static constexpr int kClientWidth = 673;
    static constexpr int kClientHeight = 405;
    static constexpr int kProgressId = 1002;

    CCorvikFirmwareUpgradeDlg(UpgradeDevice& device, Options options, QWidget* parent = nullptr);
    ~CCorvikFirmwareUpgradeDlg() override;

    UpgradeFlow& Flow() { return flow_; }
    uikit::CButtonST* Button(int id) const;
    QProgressBar* Progress() const { return progress_; }
    // The about box of the window's context menu; shown without blocking.
    QDialog* ShowAbout();

    // The file-open dialog of button 1000.
    static QString ChooseImageFile(QWidget* parent);

public slots:
    // Escape: refused while an image is being written.
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    uikit::CButtonST* MakeButton(int id, int normal, int hot, int disabled, const QRect& place,
                                 const QString& plainCaption);
    void OnOpenFirmwareFile();
    // Takes the flow's state: buttons, progress, timer 11, and a repaint for the texts.
    void ShowFlow();

    UpgradeFlow flow_;
    uikit::ResourceModule pictures_;
    FileChooser chooser_;
    QFont font_;
    QFont noticeFont_;
    QString dataNotice_;
    QPixmap background_;
    uikit::CButtonST* open_ = nullptr;
    uikit::CButtonST* download_ = nullptr;
    uikit::CButtonST* upgrade_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QBasicTimer timer11_;
    std::unique_ptr<QDialog> about_;
};

}  // namespace firmware
