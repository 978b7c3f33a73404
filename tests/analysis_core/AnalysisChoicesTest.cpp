#include <cmath>
#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "logger/analysis/core/AnalysisChoices.h"
#include "logger/analysis/core/AnalysisLayout.h"

namespace {

using namespace analysis;

struct OpeningCase {
    int model, order, form;
    int wantModel, wantOrder, wantForm;
};

TEST(CurveFitChoiceOpening, StoredChoicesOutsideTheItemsOpenOnTheFirst)
{
    const OpeningCase cases[] = {
        {0, 0, 0, 0, -1, 0},   // a new set: no order selected
        {2, 5, 1, 2, 2, 1},
        {3, 11, 2, 3, 8, 2},
        {7, 12, 9, 0, 0, 0},   // damaged: first items
        {-1, -4, -1, 0, 0, 0},
        {1, 2, 3, 1, 0, 0},
    };
    for (const OpeningCase& c : cases) {
        auto settings = std::make_unique<project::AnalysisSettings>();
        std::memset(settings.get(), 0, sizeof *settings);
        settings->curveModel = c.model;
        settings->polynomialOrder = c.order;
        settings->expVariant = c.form;
        const CurveFitCombos combos = CurveFitOpening(*settings);
        EXPECT_EQ(combos.model, c.wantModel) << c.model;
        EXPECT_EQ(combos.order, c.wantOrder) << c.order;
        EXPECT_EQ(combos.form, c.wantForm) << c.form;
    }
    // Order 0 opens with nothing selected, which OK hands back as order 2.
    EXPECT_EQ(OrderFromSelection(-1), 2);
    EXPECT_EQ(OrderFromSelection(8), 11);
}

TEST(CurveFitChoiceOpening, ModelsEnableTheirCombos)
{
    EXPECT_TRUE(EnablingForModel(0).order);
    EXPECT_FALSE(EnablingForModel(0).form);
    EXPECT_FALSE(EnablingForModel(2).order);
    EXPECT_TRUE(EnablingForModel(2).form);
    for (int model : {1, 3}) {
        EXPECT_FALSE(EnablingForModel(model).order);
        EXPECT_FALSE(EnablingForModel(model).form);
    }
}

TEST(MethodChoiceOpening, AnUnknownMethodSelectsTheFirst)
{
    EXPECT_EQ(ComboSelection(4, kIntegralMethodCount), 4);
    EXPECT_EQ(ComboSelection(5, kIntegralMethodCount), 0);
    EXPECT_EQ(ComboSelection(2, kDerivativeMethodCount), 2);
    EXPECT_EQ(ComboSelection(-1, kDerivativeMethodCount), 0);
}

TEST(DetailsPagerTest, ThirtyLinesInEighteenRowsScrollTwelveWithTwoFixedRows)
{
    DetailsPager pager(30, 18 * 20, 20);
    EXPECT_EQ(pager.RowsPerPage(), 18);
    EXPECT_EQ(pager.ScrollRange(), 12);
    pager.SetPosition(40);
    EXPECT_EQ(pager.Position(), 12);
    EXPECT_EQ(pager.LineForRow(0), 0);
    EXPECT_EQ(pager.LineForRow(1), 1);
    EXPECT_EQ(pager.LineForRow(2), 14);
    EXPECT_EQ(pager.LineForRow(17), 29);
    EXPECT_EQ(pager.LineForRow(18), -1);
    pager.LineDown();
    EXPECT_EQ(pager.Position(), 12);
    pager.SetPosition(0);
    pager.LineUp();
    EXPECT_EQ(pager.Position(), 0);
}

TEST(DetailsPagerTest, FewLinesLeaveEmptyRowsAndOddMeasuresStayInside)
{
    DetailsPager few(5, 300, 16);
    EXPECT_EQ(few.ScrollRange(), 0);
    EXPECT_EQ(few.LineForRow(4), 4);
    EXPECT_EQ(few.LineForRow(5), -1);

    // A font measured 0 high, and more rows than lines, never read past the 64 lines.
    DetailsPager flat(64, 300, 0);
    EXPECT_EQ(flat.RowsPerPage(), 64);
    EXPECT_EQ(flat.ScrollRange(), 0);
    for (int row = 0; row < flat.RowsPerPage(); ++row)
        EXPECT_LT(flat.LineForRow(row), DetailsPager::kMaxLines);
    DetailsPager many(500, 300, 16);
    many.SetPosition(1000);
    for (int row = 0; row < many.RowsPerPage(); ++row)
        EXPECT_LT(many.LineForRow(row), DetailsPager::kMaxLines);
}

TEST(ResizeGripTest, TheHeightFractionStaysFiniteInsideOneGraph)
{
    EXPECT_NEAR(ResizedHeightFraction(300, 600), 0.390f, 0.001f);
    EXPECT_FLOAT_EQ(ResizedHeightFraction(5000, 600), 1.0f);
    EXPECT_GT(ResizedHeightFraction(-5000, 600), 0.0f);
    EXPECT_FLOAT_EQ(ResizedHeightFraction(300, 108), 1.0f);
    EXPECT_TRUE(std::isfinite(ResizedHeightFraction(300, 50)));
}

}  // namespace
