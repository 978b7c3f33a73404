#include "logger/analysis/CCurveFitDlg.h"

#include <iterator>

#include <QComboBox>

#include "logger/analysis/ChoiceCombo.h"
#include "logger/analysis/core/AnalysisChoices.h"
#include "logger/analysis/core/AnalysisTexts.h"
#include "uikit/paint/SkinPaint.h"

namespace analysis {

namespace {

static_assert(std::size(text::kCurveModels) == kCurveModelCount);
constexpr int kBackgroundId = 2328;
constexpr int kFontHeight = 15;
constexpr int kFormFontHeight = 13;
const char* const kForms[kExpFormCount] = {"f(x)=A*exp(B*x)", "f(x)=A*exp(B*x)+C", "f(x)=A*exp(B*x-C)+D"};
constexpr int kItemLength = 32;

}  // namespace

CCurveFitDlg::CCurveFitDlg(QWidget* owner, const project::AnalysisSettings& current)
    : CSkinnedDlg(owner, kWidth, kHeight, kBackgroundId, kFontHeight)
{
    setObjectName(QStringLiteral("CCurveFitDlg"));
    AddLabel(text::kModelLabel, 15, 18, 100, 37);
    AddLabel(text::kOrderLabel, 15, 65, 165, 82);
    AddLabel(text::kCoefficientLabel, 15, 91, 165, 111);

    modelCombo_ = MakeChoiceCombo(this, kModelComboId, uikit::RectFromEdges(100, 15, 222, 40));
    for (const int id : text::kCurveModels)
        modelCombo_->addItem(LoadText(id, kItemLength));
    orderCombo_ = MakeChoiceCombo(this, kOrderComboId, uikit::RectFromEdges(165, 61, 222, 86));
    for (int order = kLowestOrder; order < kLowestOrder + kOrderChoiceCount; ++order)
        orderCombo_->addItem(QString::number(order));
    // The forms are the longest items: a smaller font keeps them whole beside OK and Cancel.
    formCombo_ = MakeChoiceCombo(this, kFormComboId, uikit::RectFromEdges(15, 113, 172, 137));
    CreateFont(&formFont_, kFormFontHeight, QStringLiteral("Malgun Gothic"), 0, kFontQuality);
    formCombo_->setFont(formFont_);
    for (const char* form : kForms)
        formCombo_->addItem(QString::fromLatin1(form));
    for (QComboBox* combo : {modelCombo_, orderCombo_, formCombo_})
        FitChoiceList(*combo);
    PlaceOkCancel(uikit::RectFromEdges(177, 114, 201, 136), uikit::RectFromEdges(204, 114, 228, 136));

    const CurveFitCombos opening = CurveFitOpening(current);
    modelCombo_->setCurrentIndex(opening.model);
    orderCombo_->setCurrentIndex(opening.order);
    formCombo_->setCurrentIndex(opening.form);
    EnableForModel(opening.model);
    connect(modelCombo_, &QComboBox::currentIndexChanged, this, &CCurveFitDlg::EnableForModel);
    CentreOnOwner();
}

void CCurveFitDlg::EnableForModel(int model)
{
    const CurveFitEnabling enabling = EnablingForModel(model);
    orderCombo_->setEnabled(enabling.order);
    formCombo_->setEnabled(enabling.form);
}

bool CCurveFitDlg::TakeChoices()
{
    model_ = ComboSelection(modelCombo_->currentIndex(), kCurveModelCount);
    order_ = OrderFromSelection(orderCombo_->currentIndex());
    form_ = ComboSelection(formCombo_->currentIndex(), kExpFormCount);
    return true;
}

}  // namespace analysis
