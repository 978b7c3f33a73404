#include "logger/analysis/AnalysisHooks.h"

#include <algorithm>

#include "logger/analysis/core/AnalysisScreenModel.h"

namespace analysis {

// A new set stores order 0, which no choice offers: it is taken as the lowest order offered.
bool AnalysisDialogs::ChooseCurveFit(CAnalyzeDlg&, const logger::AnalysisSettings& current, CurveFitChoice& choice)
{
    choice.curveModel = current.curveModel;
    choice.polynomialOrder = std::clamp(current.polynomialOrder, kMinPolynomialOrder, kMaxPolynomialOrder);
    choice.expVariant = current.expVariant;
    return true;
}

bool AnalysisDialogs::ChooseIntegral(CAnalyzeDlg&, const logger::AnalysisSettings& current, int& method)
{
    method = current.integralMethod;
    return true;
}

bool AnalysisDialogs::ChooseDerivative(CAnalyzeDlg&, const logger::AnalysisSettings& current, int& method)
{
    method = current.derivativeMethod;
    return true;
}

}  // namespace analysis
