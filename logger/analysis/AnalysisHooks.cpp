#include "logger/analysis/AnalysisHooks.h"

#include <algorithm>

#include "logger/analysis/core/AnalysisChoices.h"
#include "logger/analysis/core/AnalysisScreenModel.h"

namespace analysis {

// A new set stores order 0, which no choice offers: it is taken as the lowest order offered. A
// stored model, form or method no choice offers (a damaged file) is taken as the first.
bool AnalysisDialogs::ChooseCurveFit(CAnalyzeDlg&, const project::AnalysisSettings& current, CurveFitChoice& choice)
{
    choice.curveModel = ComboSelection(current.curveModel, kCurveModelCount);
    choice.polynomialOrder = std::clamp(current.polynomialOrder, kMinPolynomialOrder, kMaxPolynomialOrder);
    choice.expVariant = ComboSelection(current.expVariant, kExpFormCount);
    return true;
}

bool AnalysisDialogs::ChooseIntegral(CAnalyzeDlg&, const project::AnalysisSettings& current, int& method)
{
    method = ComboSelection(current.integralMethod, kIntegralMethodCount);
    return true;
}

bool AnalysisDialogs::ChooseDerivative(CAnalyzeDlg&, const project::AnalysisSettings& current, int& method)
{
    method = ComboSelection(current.derivativeMethod, kDerivativeMethodCount);
    return true;
}

}  // namespace analysis
