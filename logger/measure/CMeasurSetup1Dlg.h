#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QString>

#include "logger/measure/core/MeasureSetupModel.h"
#include "logger/project/ExperimentRecords.h"
#include "uikit/common/CVRDCommonBase.h"
#include "uikit/window/CVRDWindowBase.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace uikit {
class CButtonST;
}

// The measurement set-up dialog (320 x 214, modal over the measurement screen): the current data
// set's title, mode, rate and its unit, length and its unit, how the run ends, the Y scaling and
// optional per-channel rates. The rules are MeasureSetupModel's; OK writes the record only when
// every entry is acceptable and otherwise says which is not, Cancel leaves it untouched.
namespace measure {

class CMeasurSetup1Dlg : public QDialog, public uikit::CVRDCommonBase, public uikit::CVRDWindowBase {
    Q_OBJECT

public:
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 214;
    enum Control : int {
        kOk = 1,
        kCancel = 2,
        kTitle = 1026,
        kRate = 1031,
        kLength = 1032,
        kMarker = 1033,
        kEndOfRun = 1035,
        kRepeat = 1036,
        kYScale = 1037,
        kRateUnit = 1044,
        kLengthUnit = 1045,
        kMode = 1117,
        kPerChannel = 1126,
    };
    static constexpr int kChannelEdits[project::kChannelCount] = {1034, 1038, 1039, 1040};
    static constexpr int kChannelUnits[project::kChannelCount] = {1046, 1047, 1048, 1049};

    // How a refused OK is told: the text of the reason. The program's message box unless set.
    using Notice = std::function<void(const QString& text)>;

    // `maxRates`: each channel's largest rate, 0 where no sensor is connected.
    CMeasurSetup1Dlg(QWidget* owner, project::DataSetRecord& record, const int32_t (&maxRates)[project::kChannelCount],
                     Notice notice = {});
    ~CMeasurSetup1Dlg() override;

    void accept() override;
    void reject() override;

    MeasureSetupModel& Model() { return model_; }
    QLineEdit& Edit(int id) const;
    QComboBox& Combo(int id) const;
    QCheckBox& PerChannelBox() const { return *perChannel_; }
    uikit::CButtonST& OkButton() const { return *ok_; }
    uikit::CButtonST& CancelButton() const { return *cancel_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void CreateControls();
    // The controls from the model's values, and the model's values from the controls.
    void PushValues();
    void PullValues();
    // Which controls are shown and enabled for the mode, end of run and per-channel choice.
    void UpdateStates();

    project::DataSetRecord& record_;
    MeasureSetupModel model_;
    Notice notice_;
    QPixmap background_;
    QFont font_;
    QString heading_;
    std::array<QString, 5> rowLabels_;
    QString rateHeading_;
    QString timesSign_;
    QString yAxisLabel_;

    QLineEdit* title_ = nullptr;
    QLineEdit* rate_ = nullptr;
    QLineEdit* length_ = nullptr;
    QLineEdit* marker_ = nullptr;
    QLineEdit* repeat_ = nullptr;
    QComboBox* rateUnit_ = nullptr;
    QComboBox* lengthUnit_ = nullptr;
    QComboBox* endOfRun_ = nullptr;
    QComboBox* yScale_ = nullptr;
    QComboBox* mode_ = nullptr;
    QCheckBox* perChannel_ = nullptr;
    std::array<QLineEdit*, project::kChannelCount> channelRate_{};
    std::array<QComboBox*, project::kChannelCount> channelUnit_{};
    uikit::CButtonST* ok_ = nullptr;
    uikit::CButtonST* cancel_ = nullptr;
};

}  // namespace measure
