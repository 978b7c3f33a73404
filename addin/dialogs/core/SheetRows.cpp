#include "addin/dialogs/core/SheetRows.h"

#include "addin/dialogs/core/CellText.h"

#include <algorithm>

namespace addin::dialogs {

ColumnPlan PlanColumns(const device::SensorTableEntry* table, uint32_t mask)
{
    ColumnPlan plan;
    plan.mask = mask & ((1u << device::kTableChannels) - 1);
    for (int c = 0; c < device::kTableChannels; ++c) {
        if (!(plan.mask >> c & 1u))
            continue;
        const device::SensorTableEntry& entry = table[c];
        const int32_t quantities = std::clamp(entry.quantityCount, 1, device::kMaxQuantities);
        plan.firstColumn[c] = plan.columns;
        plan.quantities[c] = quantities;
        for (int q = 0; q < quantities; ++q)
            plan.decimals[plan.columns + q] = entry.decimals[q][device::kShownUnit];
        plan.columns += quantities;
    }
    return plan;
}

std::vector<HeadingCell> HeadingCells(const device::SensorTableEntry* table, const ColumnPlan& plan)
{
    std::vector<HeadingCell> cells{{kNumberColumn, u"번호"}, {kTimeColumn, u"시간(초)"}};
    for (int c = 0; c < device::kTableChannels; ++c) {
        for (int q = 0; q < plan.quantities[c]; ++q)
            cells.push_back({plan.firstColumn[c] + q, HeaderText(table[c], q)});
    }
    return cells;
}

RowBlock BuildRows(const SampleIntake& intake, const ColumnPlan& plan, int64_t from, int64_t to)
{
    RowBlock block;
    block.firstRow = int32_t(kFirstSampleRow + from);
    block.rows = int32_t(std::max<int64_t>(to - from, 0));
    block.columns = plan.columns;
    const size_t size = size_t(block.rows) * size_t(block.columns);
    block.cells.assign(size, 0.0);
    block.filled.assign(size, 0);
    for (int32_t r = 0; r < block.rows; ++r) {
        const int64_t k = from + r;
        const size_t row = size_t(r) * size_t(block.columns);
        block.cells[row + kNumberColumn] = double(k + 1);
        block.filled[row + kNumberColumn] = 1;
        for (int c = 0; c < device::kTableChannels; ++c) {
            if (!plan.quantities[c] || !intake.Chosen(c) || k >= intake.Samples(c))
                continue;
            if (!block.filled[row + kTimeColumn]) {
                block.cells[row + kTimeColumn] = RoundToDecimals(intake.SampleTime(c, k), kTimeDecimals);
                block.filled[row + kTimeColumn] = 1;
            }
            const float* values = intake.SampleValues(c, k);
            const int32_t quantities = std::min(plan.quantities[c], intake.Quantities(c));
            for (int q = 0; q < quantities; ++q) {
                const size_t cell = row + size_t(plan.firstColumn[c] + q);
                block.cells[cell] = RoundToDecimals(values[q], plan.decimals[plan.firstColumn[c] + q]);
                block.filled[cell] = 1;
            }
        }
    }
    return block;
}

}  // namespace addin::dialogs
