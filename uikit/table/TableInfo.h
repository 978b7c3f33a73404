#pragma once

#include <cstdint>

// The description of a table that its owner fills and hands to the table control whole: up to 32
// columns of float data, each with a header, a row count and a number format.
namespace uikit {

constexpr int kTableMaxColumns = 32;
constexpr int kTableHeaderLength = 32;   // UTF-16 units, zero-terminated unless full

struct TableInfo {
    int columnCount = 0;                                    // 0..32
    int rowsPerPage = 0;                                    // computed: client height / row height
    int columnWidths[kTableMaxColumns] = {};                // computed, pixels
    char16_t columnHeaders[kTableMaxColumns][kTableHeaderLength] = {};
    const float* columnData[kTableMaxColumns] = {};         // null: empty cells
    bool rowNumberColumn[kTableMaxColumns] = {};            // shows 1, 2, 3, ... instead of data
    int columnRowCounts[kTableMaxColumns] = {};             // valid entries of each array
    int columnFormats[kTableMaxColumns] = {};               // see FormatTableValue
    int totalRows = 0;                                      // computed: the largest row count
    int verticalPosition = 0;                               // first visible data row
    int rowsPerStep = 1;                                    // rows one scroll step moves
    int horizontalPosition = 0;                             // pixels
    int selectedRow = -1;                                   // data row shown highlighted
    int rowHeight = 0;                                      // computed: font height + 4
    int totalWidth = 0;                                     // computed, pixels
};

}  // namespace uikit
