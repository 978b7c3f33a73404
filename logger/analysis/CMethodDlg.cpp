#include "logger/analysis/CMethodDlg.h"

#include <iterator>

#include <QComboBox>

#include "logger/analysis/ChoiceCombo.h"
#include "logger/analysis/core/AnalysisChoices.h"
#include "logger/analysis/core/AnalysisTexts.h"
#include "uikit/paint/SkinPaint.h"

namespace analysis {

namespace {

static_assert(std::size(text::kIntegralMethods) == kIntegralMethodCount);
static_assert(std::size(text::kDerivativeMethods) == kDerivativeMethodCount);
constexpr int kBackgroundId = 2398;
constexpr int kFontHeight = 15;
constexpr int kItemLength = 32;

}  // namespace

CMethodDlg::CMethodDlg(QWidget* owner, int comboId, const int* itemIds, int itemCount, int firstLabelId,
                       int secondLabelId, int stored)
    : CSkinnedDlg(owner, kWidth, kHeight, kBackgroundId, kFontHeight), itemCount_(itemCount)
{
    AddLabel(firstLabelId, 15, 18, 120, 37);
    AddLabel(secondLabelId, 15, 60, 220, 80);
    combo_ = MakeChoiceCombo(this, comboId, uikit::RectFromEdges(92, 15, 222, 40));
    for (int i = 0; i < itemCount; ++i)
        combo_->addItem(LoadText(itemIds[i], kItemLength));
    FitChoiceList(*combo_);
    combo_->setCurrentIndex(ComboSelection(stored, itemCount));
    PlaceOkCancel(uikit::RectFromEdges(171, 88, 195, 110), uikit::RectFromEdges(201, 88, 225, 110));
    CentreOnOwner();
}

bool CMethodDlg::TakeChoices()
{
    method_ = ComboSelection(combo_->currentIndex(), itemCount_);
    return true;
}

CIntegralDlg::CIntegralDlg(QWidget* owner, int storedMethod)
    : CMethodDlg(owner, kComboId, text::kIntegralMethods, kIntegralMethodCount, text::kIntegralTitle, text::kIntegralPrompt, storedMethod)
{
    setObjectName(QStringLiteral("CIntegralDlg"));
}

CDerivativeDlg::CDerivativeDlg(QWidget* owner, int storedMethod)
    : CMethodDlg(owner, kComboId, text::kDerivativeMethods, kDerivativeMethodCount, text::kDerivativeTitle, text::kDerivativePrompt, storedMethod)
{
    setObjectName(QStringLiteral("CDerivativeDlg"));
}

}  // namespace analysis
