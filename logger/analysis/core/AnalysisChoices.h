#pragma once

#include <array>

#include "logger/project/ExperimentRecords.h"

// The curve-fit, integral and derivative choices and the details window without their widgets:
// what each combo opens on, what OK hands back, which curve-fit combos take part, and which
// result line each row of the details window shows.
namespace analysis {

constexpr int kCurveModelCount = 4;      // polynomial, logarithmic, exponential, power
constexpr int kOrderChoiceCount = 9;     // orders 3..11
constexpr int kExpFormCount = 3;
constexpr int kIntegralMethodCount = 5;  // running curve, trapezoid, Simpson 1/3, Simpson 3/8, Boole
constexpr int kDerivativeMethodCount = 3;
constexpr int kLowestOrder = 3;

// A combo's selection for a stored choice. A value no item stands for (a damaged file) opens on
// the first item, so OK never hands back a choice the screen cannot map. Only the order of a new
// set (0, below every item) opens with nothing selected, as the stored set asks for.
int ComboSelection(int stored, int itemCount);
// What OK returns for a combo selection: -1 (nothing selected) and the items as they stand.
inline int OrderFromSelection(int selection) { return selection + kLowestOrder; }

struct CurveFitCombos {
    int model = 0;  // selections
    int order = -1;
    int form = 0;
};
CurveFitCombos CurveFitOpening(const project::AnalysisSettings& settings);

struct CurveFitEnabling {
    bool order = false;
    bool form = false;
};
// Polynomial takes an order, exponential a form, the others neither.
CurveFitEnabling EnablingForModel(int model);

// The details window: two fixed rows (title and count) above lines that scroll.
class DetailsPager {
public:
    static constexpr int kMaxLines = 64;
    static constexpr int kFixedRows = 2;

    // lineCount 0..64, a client height and the text's line height in pixels.
    DetailsPager(int lineCount, int clientHeight, int lineHeight);

    int RowsPerPage() const { return rows_; }
    int ScrollRange() const { return range_; }
    int Position() const { return position_; }
    void SetPosition(int position);
    void LineUp() { SetPosition(position_ - 1); }
    void LineDown() { SetPosition(position_ + 1); }
    // The line drawn in row d, -1 for an empty row (past the lines).
    int LineForRow(int row) const;

private:
    int lines_ = 0;
    int rows_ = 0;
    int range_ = 0;
    int position_ = 0;
};

}  // namespace analysis
