#pragma once

#include "addin/device/SensorTable.h"
#include "addin/dialogs/core/SampleIntake.h"

#include <cstdint>
#include <string>
#include <vector>

// Where a measurement goes in the worksheet: headings in row 2, then one row a sample from row
// 3: its number (from 1), its time and the values of every chosen channel, each channel's
// quantities after those of the channels before it.
namespace addin::dialogs {

inline constexpr int32_t kHeadingRow = 2;
inline constexpr int32_t kFirstSampleRow = 3;
inline constexpr int32_t kNumberColumn = 0;
inline constexpr int32_t kTimeColumn = 1;
inline constexpr int32_t kFirstValueColumn = 2;
// The widest row: number, time and four quantities of each of the four channels.
inline constexpr int32_t kMaxRowColumns = kFirstValueColumn + device::kTableChannels * device::kMaxQuantities;
// Rows handed to the host in one set-cell call.
inline constexpr int32_t kRowsPerCall = 10000;
// The area cleared before a measurement.
inline constexpr int32_t kClearedLastRow = 100003;
inline constexpr int32_t kClearedLastColumn = 26;
inline constexpr int32_t kTimeDecimals = 3;

struct ColumnPlan {
    uint32_t mask = 0;
    int32_t firstColumn[device::kTableChannels] = {};
    int32_t quantities[device::kTableChannels] = {};
    int32_t decimals[kMaxRowColumns] = {};
    int32_t columns = kFirstValueColumn;
};

ColumnPlan PlanColumns(const device::SensorTableEntry* table, uint32_t mask);

struct HeadingCell {
    int32_t column = 0;
    std::u16string text;
};
// Row 2: "번호", "시간(초)" and one heading per chosen quantity.
std::vector<HeadingCell> HeadingCells(const device::SensorTableEntry* table, const ColumnPlan& plan);

// A block of sample rows as the host takes it: rows x columns numbers, row-major; a cell not
// filled (a channel with fewer samples than the row) is left empty.
struct RowBlock {
    int32_t firstRow = 0;
    int32_t rows = 0;
    int32_t columns = 0;
    std::vector<double> cells;
    std::vector<uint8_t> filled;

    double At(int32_t row, int32_t column) const { return cells[size_t(row) * size_t(columns) + size_t(column)]; }
    bool Filled(int32_t row, int32_t column) const { return filled[size_t(row) * size_t(columns) + size_t(column)] != 0; }
};

// The rows of samples [from, to): the number k + 1, the time of the first chosen channel that
// has sample k, cut to thousandths, and the values cut to their quantities' decimals.
RowBlock BuildRows(const SampleIntake& intake, const ColumnPlan& plan, int64_t from, int64_t to);

}  // namespace addin::dialogs
