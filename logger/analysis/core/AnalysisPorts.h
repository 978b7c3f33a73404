#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "uikit/msgbox/MessageBoxKind.h"

// What the analysis engine and the analysis screen's model are given from outside: the chart's
// series records, the language module's texts and the message box. The program hands in the
// real chart, resource module and message box; tests hand in plain tables.
namespace analysis {

// One of the 32 chart series as the analysis reads it: the buffers of a shared series record.
struct SeriesView {
    int32_t capacity = 0;
    int32_t used = 0;
    float* values = nullptr;
    float* times = nullptr;
    bool hasData = false;

    bool HasBuffers() const { return values && times && capacity > 0; }
    // Points that may be read: the used ones, never more than the buffers hold.
    int Readable() const { return HasBuffers() ? std::clamp(used, 0, capacity) : 0; }
};

class SeriesTable {
public:
    virtual ~SeriesTable() = default;
    // An empty view outside 0..31 or for a record without buffers.
    virtual SeriesView View(int series) const = 0;
    // Makes `result` hold `count` points (never more than its capacity) along the X values
    // (times) of `source`, with its group and link; the caller then writes its values.
    virtual void BindResult(int result, int source, int count, int group, int link) = 0;
    virtual void SetGroupLink(int series, int group, int link) = 0;
    // Gives the series buffers of `capacity` points (kept when it has them already, so a result
    // drawn in another graph survives) and its colour; false when that cannot be done.
    virtual bool EnsureBuffers(int series, int capacity, uint32_t colour) = 0;
    // The selected stretch of sample indexes (first, last) of a series.
    virtual void SetSelection(int series, int first, int last) = 0;
    // A value of the series' X axis as the chart writes the axis' end labels.
    virtual std::string FormatTickLabel(int series, double value) const = 0;
};

// The language module: the text of an id as a buffer of maxChars units (terminator included)
// would receive it.
class TextSource {
public:
    virtual ~TextSource() = default;
    virtual std::u16string String(int id, int maxChars) const = 0;
};

// The program's message box: a uikit::MessageBoxKind with two texts.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(int kind, std::u16string_view first, std::u16string_view second) = 0;
};

}  // namespace analysis
