#pragma once

#include <cstdint>
#include <memory>

#include <QPoint>

// The series records that every chart of the program draws from. There are exactly 32 of them
// per process (0..15 recorded data: channel + 4 x value index; 16..31 analysis results:
// 16 + graph x 4 + set), so a series index names the same data in every chart. The records own
// their buffers; charts only point at them.
namespace uikit {

constexpr int kChartSeriesCount = 32;
constexpr int kMaxSeriesCapacity = 0x100000;
// Device points a series is thinned to before drawing (32,000 bytes of integer points).
constexpr int kSeriesPointCapacity = 4000;
constexpr int kAxisUnitLength = 48;   // 96 bytes of UTF-16
constexpr int kSeriesTextLength = 64;

// Sentinels that make an auto-scale scan start afresh (about +3.4e38 and -3.4e38).
constexpr uint32_t kScanStartMinimumBits = 0x7F7FFFEE;
constexpr uint32_t kScanStartMaximumBits = 0xFF7FFFEE;

struct ChartAxis {
    float factor = 0.0f;       // display factor applied to labels
    float minimum = 0.0f;
    float maximum = 0.0f;
    float dataMinimum = 0.0f;  // range found by the last auto-scale scan
    float dataMaximum = 0.0f;
    int32_t autoScale = 0;
    char16_t unit[kAxisUnitLength] = {};
};

struct ChartSeries {
    int32_t capacity = 0;
    int32_t used = 0;
    std::unique_ptr<float[]> values;  // Y, `capacity` floats
    std::unique_ptr<float[]> times;   // X, `capacity` floats
    int32_t start = 0;
    int32_t window = 0;
    int32_t decimals = 0;
    std::unique_ptr<QPoint[]> points;  // kSeriesPointCapacity device points
    uint32_t colour = 0;               // 0x00BBGGRR
    int32_t hasData = 0;
    int32_t state = 0;  // 0 set-up, 2 normal, 3 selected
    int32_t link = 0;   // series whose values give this one's X, -1 none
    ChartAxis xAxis;
    char16_t xTitle[kSeriesTextLength] = {};
    char16_t name[kSeriesTextLength] = {};
    int32_t group = 0;
    ChartAxis yAxis;
    int32_t cursorIndex = 0;
    int32_t selectionFirst = 0;
    int32_t selectionLast = 0;
    float margin = 0.0f;
    int32_t penWidth = 0;
    // Leading times known to be non-decreasing, so that drawing need not read them all again on
    // every redraw. Set and append keep it; code that rewrites `times` in place below `used`
    // must set it to 0.
    int32_t timesOrdered = 0;

    bool HasBuffers() const { return values && times && points && capacity > 0; }
};

// (Re)allocates the buffers of a record for `capacity` points; false when memory runs out, in
// which case the record is left without buffers.
bool AllocateSeriesBuffers(ChartSeries& series, int capacity);
void FreeSeriesBuffers(ChartSeries& series);

// The process-wide table: made on first use, alive until the process ends.
ChartSeries* SharedChartSeries(int index);
// Copies the 32 record pointers into a caller's table, the way the common services lend them.
int GetChartSeriesTable(ChartSeries* destination[kChartSeriesCount]);
// Frees every record's buffers and puts every field back as a new record has it (the common
// services do so at start-up and shut-down, so a second program run in one process starts clean).
void ResetSharedChartSeries();

}  // namespace uikit
