#pragma once

#include <cstddef>
#include <cstdint>

// The note records a chart draws over its plot. They belong to the caller (the analysis area
// of a data set stores eight per graph); the chart reads them and moves the selected one.
namespace uikit {

constexpr int kMaxChartNotes = 8;
constexpr int kChartNoteTextLength = 110;

struct ChartNote {
    float x;             // anchor, as a fraction of the series' X axis range
    float y;             // anchor, as a fraction of the Y axis range from its maximum down
    int32_t textLength;  // UTF-16 units in `text`; only notes with a length above 0 are drawn
    uint32_t colour;     // 0x00BBGGRR
    int32_t fontSize;    // pixel height
    int32_t bold;
    int32_t series;      // chart series the anchor belongs to
    int32_t resultLink;  // kept for the owner
    int32_t set;         // kept for the owner
    char16_t text[kChartNoteTextLength];
};
static_assert(sizeof(ChartNote) == 256);
static_assert(offsetof(ChartNote, x) == 0);
static_assert(offsetof(ChartNote, y) == 4);
static_assert(offsetof(ChartNote, textLength) == 8);
static_assert(offsetof(ChartNote, colour) == 12);
static_assert(offsetof(ChartNote, fontSize) == 16);
static_assert(offsetof(ChartNote, bold) == 20);
static_assert(offsetof(ChartNote, series) == 24);
static_assert(offsetof(ChartNote, resultLink) == 28);
static_assert(offsetof(ChartNote, set) == 32);
static_assert(offsetof(ChartNote, text) == 36);

}  // namespace uikit
