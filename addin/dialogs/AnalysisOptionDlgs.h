#pragma once

#include "addin/dialogs/CVRDWindowBase.h"

#include <QDialog>

#include <cstdint>
#include <vector>

class QComboBox;

// The modal option dialogs before an analysis: the curve of a fit (dialog 5014), the integration
// method (5015) and the differentiation method (5016). Each ends with 1 for OK (5016) and 2 for
// Cancel (5017), Escape and closing included.
namespace addin::dialogs {

inline constexpr int kOkId = 5016;
inline constexpr int kCancelId = 5017;

class OptionDialog : public QDialog, public CVRDWindowBase {
    Q_OBJECT

public:
    using QDialog::QDialog;

public slots:
    void reject() override;

protected:
    // The OK and Cancel buttons, in a row for the dialog's layout.
    QLayout* MakeButtonRow();
};

class CCurveSelectdlg : public OptionDialog {
    Q_OBJECT

public:
    static constexpr int kDialogId = 5014;
    static constexpr int kCurveId = 5019;
    static constexpr int kOrderId = 5020;
    static constexpr int kLogarithmicId = 5021;
    static constexpr int kExponentialId = 5022;
    static constexpr int kPowerId = 5023;
    static constexpr int kModelId = 5024;

    explicit CCurveSelectdlg(QWidget* parent = nullptr);

    // 0 polynomial, 1 logarithmic, 2 exponential, 3 power.
    int32_t Choice() const { return choice_; }
    int32_t OrderIndex() const { return orderIndex_; }
    int32_t ModelIndex() const { return modelIndex_; }

private:
    int32_t choice_ = 0;
    int32_t orderIndex_ = 0;
    int32_t modelIndex_ = 0;
};

// A method chosen from a list of language-module texts: CIntegnaldlg and CDerivativedlg.
class ModelChoiceDlg : public OptionDialog {
    Q_OBJECT

public:
    static constexpr int kModelId = 5020;

    ModelChoiceDlg(int dialogId, const QString& caption, const QString& label, const std::vector<int>& textIds,
                   QWidget* parent);
    int32_t Model() const { return model_; }

private:
    int32_t model_ = 0;
};

class CIntegnaldlg : public ModelChoiceDlg {
    Q_OBJECT

public:
    static constexpr int kDialogId = 5015;
    explicit CIntegnaldlg(QWidget* parent = nullptr);
};

class CDerivativedlg : public ModelChoiceDlg {
    Q_OBJECT

public:
    static constexpr int kDialogId = 5016;
    explicit CDerivativedlg(QWidget* parent = nullptr);
};

}  // namespace addin::dialogs
