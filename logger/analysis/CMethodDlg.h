#pragma once

#include "logger/analysis/CSkinnedDlg.h"

class QComboBox;

// The integral and derivative choices: one combo of methods. Opens on the stored method; after
// OK Method() holds the new one. They write nothing themselves.
namespace analysis {

class CMethodDlg : public CSkinnedDlg {
    Q_OBJECT

public:
    static constexpr int kWidth = 235;
    static constexpr int kHeight = 120;

    int Method() const { return method_; }
    QComboBox& MethodCombo() const { return *combo_; }

protected:
    // The method items by text id, the labels' ids and the stored method.
    CMethodDlg(QWidget* owner, int comboId, const int* itemIds, int itemCount, int firstLabelId, int secondLabelId,
               int stored);
    bool TakeChoices() override;

private:
    QComboBox* combo_ = nullptr;
    int itemCount_ = 0;
    int method_ = 0;
};

// Methods 0..4 of the integral: running curve, trapezoid, Simpson 1/3, Simpson 3/8, Boole.
class CIntegralDlg : public CMethodDlg {
    Q_OBJECT

public:
    static constexpr int kComboId = 1114;
    CIntegralDlg(QWidget* owner, int storedMethod);
};

// Methods 0..2 of the derivative.
class CDerivativeDlg : public CMethodDlg {
    Q_OBJECT

public:
    static constexpr int kComboId = 1113;
    CDerivativeDlg(QWidget* owner, int storedMethod);
};

}  // namespace analysis
