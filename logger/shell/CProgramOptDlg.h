#pragma once

#include "logger/shell/core/ProgramOptions.h"
#include "uikit/common/CVRDCommonBase.h"
#include "uikit/window/CVRDWindowBase.h"

#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QString>

#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QPushButton;
class QTimeEdit;

namespace uikit {
class CButtonST;
}

// The small modal options dialog (320 x 214) that the project manager opens: the machine's date
// and time, the back-light level it keeps and whether the screens open full-screen at the next
// start. OK applies them (ProgramOptionsModel), Cancel changes nothing.
//
//     shell::RunProgramOptions(this);    // 1 after OK, 2 after Cancel
namespace shell {

// What the options dialog works on besides the process's registry; an empty field takes the
// program's own: the machine's clock, the power manager's "PowerManager/ReloadActivityTimeouts"
// event, the message box for a clock that could not be set.
struct ProgramOptionsServices {
    ClockSetter* clock = nullptr;
    std::u16string eventName;
    std::function<void(const QString& text)> notice;
};

class CProgramOptDlg : public QDialog, public uikit::CVRDCommonBase, public uikit::CVRDWindowBase {
    Q_OBJECT

public:
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 214;
    static constexpr int kOkId = 1;
    static constexpr int kCancelId = 2;

    using Services = ProgramOptionsServices;

    explicit CProgramOptDlg(QWidget* owner, Services services = {});
    ~CProgramOptDlg() override;

    QDateEdit& DatePicker() { return *date_; }
    QTimeEdit& TimePicker() { return *time_; }
    QCheckBox& FullScreenBox() { return *fullScreen_; }
    QComboBox& BackLightBox() { return *backLight_; }
    uikit::CButtonST& OkButton() { return *ok_; }
    uikit::CButtonST& CancelButton() { return *cancel_; }
    bool PickerEdited() const { return pickerEdited_; }
    // What the last OK did.
    const OptionsOutcome& Outcome() const { return outcome_; }

    void accept() override;
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Apply();

    ProgramOptionsModel model_;
    std::function<void(const QString&)> notice_;
    OptionsOutcome outcome_;
    bool pickerEdited_ = false;
    QDateEdit* date_ = nullptr;
    QTimeEdit* time_ = nullptr;
    QComboBox* languages_ = nullptr;
    QComboBox* backLight_ = nullptr;
    QCheckBox* fullScreen_ = nullptr;
    QPushButton* spare_ = nullptr;
    uikit::CButtonST* ok_ = nullptr;
    uikit::CButtonST* cancel_ = nullptr;
    QPixmap background_;
    QFont font_;
    QString heading_;
};

// Runs the options dialog over `owner`: 1 after OK, 2 after Cancel.
int RunProgramOptions(QWidget* owner, ProgramOptionsServices services = {});

}  // namespace shell
