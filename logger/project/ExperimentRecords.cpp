#include "logger/project/ExperimentRecords.h"

#include <algorithm>
#include <cstring>

#include "platform/Text.h"

namespace project {

namespace {

// A zero-terminated text whose stored length may be wrong: bounded by the field, the first zero
// and the stored length, whichever is shortest.
template <size_t N>
std::u16string_view CountedText(const char16_t (&field)[N], int32_t storedLength)
{
    const size_t length = std::min(platform::FieldLength(field, N), size_t(std::max(storedLength, 0)));
    return {field, length};
}

}  // namespace

void ClearAllRuns(ExperimentBlock& block)
{
    // Index 0 and count 0 are the zero bytes.
    std::memset(&block, 0, sizeof block);
}

DataSetRecord* RecordAt(ExperimentBlock& block, int index)
{
    return index >= 0 && index < kRunCount ? &block.records[index] : nullptr;
}

const DataSetRecord* RecordAt(const ExperimentBlock& block, int index)
{
    return index >= 0 && index < kRunCount ? &block.records[index] : nullptr;
}

bool IsCreated(const DataSetRecord& record)
{
    return record.inUse != 0 || record.dataSetSerial != 0;
}

int CountCreatedRuns(const ExperimentBlock& block)
{
    return int(std::count_if(std::begin(block.records), std::end(block.records), IsCreated));
}

bool AnyRunInUse(const ExperimentBlock& block)
{
    return std::any_of(std::begin(block.records), std::end(block.records),
                       [](const DataSetRecord& r) { return r.inUse != 0; });
}

void InitNoteRecord(NoteRecord& note)
{
    std::memset(&note, 0, sizeof note);
    platform::CopyToFullField(note.title, u"Note");
    note.fontSize = 16;
}

void ResetAnalysisArea(DataSetRecord& record)
{
    // Two runs of 0x9000 bytes from the start of the area; the tail of the record beyond them
    // is left as it is.
    constexpr size_t kRun = 0x9000;
    auto* start = reinterpret_cast<uint8_t*>(&record) + offsetof(DataSetRecord, currentGraph);
    static_assert(offsetof(DataSetRecord, currentGraph) + 2 * kRun <= sizeof(DataSetRecord));
    std::memset(start, 0, kRun);
    std::memset(start + kRun, 0, kRun);
    record.graphCount = 1;
    record.widthFraction = 1.0f;
    record.heightFraction = 1.0f;
}

int32_t StoredEntryCount(const DataSetRecord& record, int channel)
{
    if (!IsChannelIndex(channel))
        return 0;
    return std::clamp(record.sampleCount[channel], 0, kMaxSampleEntries);
}

std::u16string_view NoteText(const NoteRecord& note) { return CountedText(note.text, note.textLength); }
std::u16string_view NoteTitle(const NoteRecord& note) { return platform::FieldView(note.title); }
std::u16string_view RunTitle(const DataSetRecord& record) { return platform::FieldView(record.title); }
std::u16string_view GraphNoteText(const GraphNote& note) { return CountedText(note.text, note.textLength); }
std::u16string_view SetNameText(const AnalysisSettings& settings) { return platform::FieldView(settings.setName); }
std::u16string_view LegendText(const AnalysisSettings& settings) { return platform::FieldView(settings.legendText); }

int GraphCountOf(const DataSetRecord& record)
{
    return std::clamp(record.graphCount, 1, kGraphCount);
}

int CurrentGraphOf(const DataSetRecord& record)
{
    const int32_t graph = record.currentGraph;
    return graph >= 0 && graph < GraphCountOf(record) ? graph : 0;
}

int NoteCountOf(const AnalysisGraphRecord& graph)
{
    return std::clamp(graph.noteCount, 0, kGraphNoteCount);
}

int SetCountOf(const AnalysisSetSelector& selector)
{
    return std::clamp(selector.setCount, 0, kSetsPerGraph);
}

int CurrentSetOf(const AnalysisSetSelector& selector)
{
    return std::clamp(selector.currentSet, 0, kSetsPerGraph - 1);
}

AnalysisGraphRecord* AnalysisGraphAt(DataSetRecord& record, int graph)
{
    return graph >= 0 && graph < kGraphCount ? &record.graphs[graph] : nullptr;
}

AnalysisSettings* SettingsAt(DataSetRecord& record, int graph, int set)
{
    if (graph < 0 || graph >= kGraphCount || set < 0 || set >= kSetsPerGraph)
        return nullptr;
    return &record.settings[graph * kSetsPerGraph + set];
}

const AnalysisSettings* SettingsAt(const DataSetRecord& record, int graph, int set)
{
    return SettingsAt(const_cast<DataSetRecord&>(record), graph, set);
}

int CountSetsInUse(const DataSetRecord& record, int graph)
{
    int count = 0;
    for (int s = 0; s < kSetsPerGraph; ++s) {
        const AnalysisSettings* settings = SettingsAt(record, graph, s);
        count += settings && settings->inUse == 1 ? 1 : 0;
    }
    return count;
}

bool IsSeriesIndex(int32_t series) { return series >= 0 && series < kSeriesCount; }
bool IsDataSeries(int32_t series) { return series >= 0 && series < kSeriesCount / 2; }
bool IsChannelIndex(int32_t channel) { return channel >= 0 && channel < kChannelCount; }

}  // namespace project
