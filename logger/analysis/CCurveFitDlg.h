#pragma once

#include "logger/analysis/CSkinnedDlg.h"
#include "logger/project/ExperimentRecords.h"

class QComboBox;

// How a curve fit is computed: the model (polynomial, logarithmic, exponential, power), the
// polynomial's order and the exponential's form. Opens on the set's stored choice; after OK the
// results hold the new one. It writes nothing itself.
namespace analysis {

class CCurveFitDlg : public CSkinnedDlg {
    Q_OBJECT

public:
    static constexpr int kWidth = 235;
    static constexpr int kHeight = 155;
    static constexpr int kModelComboId = 1092;
    static constexpr int kOrderComboId = 1083;
    static constexpr int kFormComboId = 1005;

    CCurveFitDlg(QWidget* owner, const project::AnalysisSettings& current);

    // After OK: model 0..3, order 3..11 (2 while none was chosen), form 0..2.
    int Model() const { return model_; }
    int Order() const { return order_; }
    int Form() const { return form_; }

    QComboBox& ModelCombo() const { return *modelCombo_; }
    QComboBox& OrderCombo() const { return *orderCombo_; }
    QComboBox& FormCombo() const { return *formCombo_; }

protected:
    bool TakeChoices() override;

private:
    void EnableForModel(int model);

    QComboBox* modelCombo_ = nullptr;
    QComboBox* orderCombo_ = nullptr;
    QComboBox* formCombo_ = nullptr;
    QFont formFont_;
    int model_ = 0;
    int order_ = 3;
    int form_ = 0;
};

}  // namespace analysis
