#include "logger/analysis/core/AnalysisChoices.h"

#include <algorithm>

namespace analysis {

int ComboSelection(int stored, int itemCount)
{
    return stored >= 0 && stored < itemCount ? stored : 0;
}

CurveFitCombos CurveFitOpening(const project::AnalysisSettings& settings)
{
    CurveFitCombos combos;
    combos.model = ComboSelection(settings.curveModel, kCurveModelCount);
    // A new set stores order 0: no item is selected and OK gives order 2, which the fit takes as
    // it is asked. Any other value outside the items opens on order 3.
    combos.order = settings.polynomialOrder == 0
                       ? -1
                       : ComboSelection(settings.polynomialOrder - kLowestOrder, kOrderChoiceCount);
    combos.form = ComboSelection(settings.expVariant, kExpFormCount);
    return combos;
}

CurveFitEnabling EnablingForModel(int model)
{
    return {model == 0, model == 2};
}

DetailsPager::DetailsPager(int lineCount, int clientHeight, int lineHeight)
    : lines_(std::clamp(lineCount, 0, kMaxLines))
{
    // A font that measures 0 pixels high would give no page at all.
    const int height = std::max(lineHeight, 1);
    rows_ = std::clamp(std::max(clientHeight, 0) / height, 0, kMaxLines);
    range_ = std::max(0, lines_ - rows_);
}

void DetailsPager::SetPosition(int position) { position_ = std::clamp(position, 0, range_); }

int DetailsPager::LineForRow(int row) const
{
    if (row < 0 || row >= rows_)
        return -1;
    const int line = row < kFixedRows ? row : row + position_;
    return line < lines_ ? line : -1;
}

}  // namespace analysis
