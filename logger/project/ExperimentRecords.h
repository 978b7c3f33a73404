#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "devicelink/sensor/ChannelState.h"
#include "uikit/chart/ChartNote.h"

// The recorded experiment data of the measurement program: four data sets with their set-up,
// notes, measurement-view graphs and analysis areas, plus the raw samples of the current set.
// The project file stores ExperimentBlock byte for byte, so every offset here is a stored format.
// Fields a layout does not describe are kept as reserved byte arrays and are never written by
// this code, so an untouched file saves back unchanged.
//
// Everything read from a file may be garbage: counts, indexes and text lengths are checked by the
// accessors at the end of this header, never trusted where they are used.
namespace project {

static_assert(std::endian::native == std::endian::little,
              "records are stored as little-endian images and read and written whole");

constexpr int kChannelCount = 4;
constexpr int kRunCount = 4;
constexpr int kGraphCount = 4;
constexpr int kSetsPerGraph = 4;
constexpr int kSeriesCount = 32;
constexpr int kGraphNoteCount = 8;
constexpr int32_t kMaxSampleEntries = 1048576;  // per channel, raw value and time arrays alike
constexpr int32_t kSerialBase = 0x12300000;

// The sensor object's channel state of one channel, stored byte for byte: the bytes of a
// devicelink::ChannelState, whose header fixes every offset.
struct alignas(4) ChannelStateImage {
    uint8_t bytes[1536];
};
static_assert(sizeof(ChannelStateImage) == 1536);
static_assert(sizeof(ChannelStateImage) == sizeof(devicelink::ChannelState));
static_assert(std::is_trivially_copyable_v<devicelink::ChannelState>);

// The one crossing between a stored image and the sensor object's record: the whole record is
// copied each way, so code on either side names fields and never reads or writes an image's bytes
// by offset. A copy, never a cast: an image read from a file is only bytes until it is copied out.
// Every byte, reserved ones and float bit patterns included, comes back as it went in, so an image
// read out and written back is unchanged.
inline devicelink::ChannelState ToDeviceState(const ChannelStateImage& image)
{
    devicelink::ChannelState state;
    std::memcpy(&state, image.bytes, sizeof state);
    return state;
}

inline ChannelStateImage ToStateImage(const devicelink::ChannelState& state)
{
    ChannelStateImage image;
    std::memcpy(image.bytes, &state, sizeof image.bytes);
    return image;
}

// The note of a project, a data set or an analysis set.
struct NoteRecord {
    char16_t title[32];   // may be full without a terminator
    char16_t text[384];
    int32_t textLength;   // UTF-16 units in text; the note is shown only when above 0
    int32_t reserved0;
    int32_t fontSize;
    int32_t bold;
    uint8_t reserved1[176];
};
static_assert(sizeof(NoteRecord) == 1024);
static_assert(offsetof(NoteRecord, title) == 0);
static_assert(offsetof(NoteRecord, text) == 64);
static_assert(offsetof(NoteRecord, textLength) == 832);
static_assert(offsetof(NoteRecord, reserved0) == 836);
static_assert(offsetof(NoteRecord, fontSize) == 840);
static_assert(offsetof(NoteRecord, bold) == 844);
static_assert(offsetof(NoteRecord, reserved1) == 848);

// A note placed on an analysis graph: the chart's own note record, so the notes stored with a
// graph are handed to its chart as they stand.
using GraphNote = uikit::ChartNote;
static_assert(kGraphNoteCount == uikit::kMaxChartNotes);
static_assert(sizeof(GraphNote) == 256);
static_assert(offsetof(GraphNote, x) == 0);
static_assert(offsetof(GraphNote, y) == 4);
static_assert(offsetof(GraphNote, textLength) == 8);
static_assert(offsetof(GraphNote, colour) == 12);
static_assert(offsetof(GraphNote, fontSize) == 16);
static_assert(offsetof(GraphNote, bold) == 20);
static_assert(offsetof(GraphNote, series) == 24);
static_assert(offsetof(GraphNote, resultLink) == 28);
static_assert(offsetof(GraphNote, set) == 32);
static_assert(offsetof(GraphNote, text) == 36);

// One graph of the analysis screen; the measurement view's graphs share the layout.
struct AnalysisGraphRecord {
    int32_t inUse;
    int32_t chartRect[4];            // left, top, right, bottom
    int32_t seriesShown[kSeriesCount];
    int32_t ySeries;
    int32_t xFromSeries;
    int32_t lineMode;
    int32_t gridX;
    int32_t gridY;
    int32_t secondAxis;
    int32_t decimals;
    float autoScalePad;              // also the measurement view's Y zoom step
    int32_t reserved0;
    char16_t xLabel[32];
    int32_t markerSpacing;
    float xScaleA;
    float xOffsetB;
    float xFactor;
    float xMin;
    float xMax;
    int32_t autoX;
    float yFactor;
    float yMin;
    float yMax;
    int32_t autoY;
    float viewXOffset;
    float viewYOffset;
    float viewXScale;
    float viewYScale;
    int32_t manualRange[kSeriesCount];
    float manualYMin[kSeriesCount];
    float manualYMax[kSeriesCount];
    int32_t noteCount;
    GraphNote notes[kGraphNoteCount];
    uint8_t reserved1[5448];
};
static_assert(sizeof(AnalysisGraphRecord) == 8192);
static_assert(offsetof(AnalysisGraphRecord, inUse) == 0);
static_assert(offsetof(AnalysisGraphRecord, chartRect) == 4);
static_assert(offsetof(AnalysisGraphRecord, seriesShown) == 20);
static_assert(offsetof(AnalysisGraphRecord, ySeries) == 148);
static_assert(offsetof(AnalysisGraphRecord, xFromSeries) == 152);
static_assert(offsetof(AnalysisGraphRecord, lineMode) == 156);
static_assert(offsetof(AnalysisGraphRecord, gridX) == 160);
static_assert(offsetof(AnalysisGraphRecord, gridY) == 164);
static_assert(offsetof(AnalysisGraphRecord, secondAxis) == 168);
static_assert(offsetof(AnalysisGraphRecord, decimals) == 172);
static_assert(offsetof(AnalysisGraphRecord, autoScalePad) == 176);
static_assert(offsetof(AnalysisGraphRecord, reserved0) == 180);
static_assert(offsetof(AnalysisGraphRecord, xLabel) == 184);
static_assert(offsetof(AnalysisGraphRecord, markerSpacing) == 248);
static_assert(offsetof(AnalysisGraphRecord, xScaleA) == 252);
static_assert(offsetof(AnalysisGraphRecord, xOffsetB) == 256);
static_assert(offsetof(AnalysisGraphRecord, xFactor) == 260);
static_assert(offsetof(AnalysisGraphRecord, xMin) == 264);
static_assert(offsetof(AnalysisGraphRecord, xMax) == 268);
static_assert(offsetof(AnalysisGraphRecord, autoX) == 272);
static_assert(offsetof(AnalysisGraphRecord, yFactor) == 276);
static_assert(offsetof(AnalysisGraphRecord, yMin) == 280);
static_assert(offsetof(AnalysisGraphRecord, yMax) == 284);
static_assert(offsetof(AnalysisGraphRecord, autoY) == 288);
static_assert(offsetof(AnalysisGraphRecord, viewXOffset) == 292);
static_assert(offsetof(AnalysisGraphRecord, viewYOffset) == 296);
static_assert(offsetof(AnalysisGraphRecord, viewXScale) == 300);
static_assert(offsetof(AnalysisGraphRecord, viewYScale) == 304);
static_assert(offsetof(AnalysisGraphRecord, manualRange) == 308);
static_assert(offsetof(AnalysisGraphRecord, manualYMin) == 436);
static_assert(offsetof(AnalysisGraphRecord, manualYMax) == 564);
static_assert(offsetof(AnalysisGraphRecord, noteCount) == 692);
static_assert(offsetof(AnalysisGraphRecord, notes) == 696);
static_assert(offsetof(AnalysisGraphRecord, reserved1) == 2744);

// Which sets of the current graph the analysis tools act on.
struct AnalysisSetSelector {
    int32_t seenSerial;   // dataSetSerial when the analysis was last bound
    int32_t currentSet;
    int32_t setCount;
    int32_t recordedChannels[kChannelCount];
    int32_t recordedChannelCount;
};
static_assert(sizeof(AnalysisSetSelector) == 32);
static_assert(offsetof(AnalysisSetSelector, seenSerial) == 0);
static_assert(offsetof(AnalysisSetSelector, currentSet) == 4);
static_assert(offsetof(AnalysisSetSelector, setCount) == 8);
static_assert(offsetof(AnalysisSetSelector, recordedChannels) == 12);
static_assert(offsetof(AnalysisSetSelector, recordedChannelCount) == 28);

// One analysis set of a graph. Bytes 64..1087 are the set's note.
struct AnalysisSettings {
    char16_t setName[32];
    NoteRecord memo;
    int32_t ySlot;
    int32_t ySub;
    int32_t xSlot;
    int32_t xSub;
    int32_t resultCapacity;
    int32_t analysisType;
    int32_t resultSeries;
    int32_t resultShown;
    int32_t inUse;
    int32_t colour;
    int32_t showEquation;
    int32_t showR2;
    int32_t extraOption;
    char16_t legendText[96];
    int32_t ySeries;
    int32_t xSeries;
    int32_t selectionRect[4];
    int32_t rangeStart;
    int32_t rangeEnd;
    int32_t derivativeMethod;
    int32_t integralMethod;
    int32_t curveModel;
    int32_t polynomialOrder;
    int32_t expVariant;
    uint8_t reserved[152];
};
static_assert(sizeof(AnalysisSettings) == 1536);
static_assert(offsetof(AnalysisSettings, setName) == 0);
static_assert(offsetof(AnalysisSettings, memo) == 64);
static_assert(offsetof(AnalysisSettings, memo) + offsetof(NoteRecord, text) == 128);
static_assert(offsetof(AnalysisSettings, memo) + offsetof(NoteRecord, textLength) == 896);
static_assert(offsetof(AnalysisSettings, memo) + offsetof(NoteRecord, fontSize) == 904);
static_assert(offsetof(AnalysisSettings, memo) + offsetof(NoteRecord, bold) == 908);
static_assert(offsetof(AnalysisSettings, ySlot) == 1088);
static_assert(offsetof(AnalysisSettings, ySub) == 1092);
static_assert(offsetof(AnalysisSettings, xSlot) == 1096);
static_assert(offsetof(AnalysisSettings, xSub) == 1100);
static_assert(offsetof(AnalysisSettings, resultCapacity) == 1104);
static_assert(offsetof(AnalysisSettings, analysisType) == 1108);
static_assert(offsetof(AnalysisSettings, resultSeries) == 1112);
static_assert(offsetof(AnalysisSettings, resultShown) == 1116);
static_assert(offsetof(AnalysisSettings, inUse) == 1120);
static_assert(offsetof(AnalysisSettings, colour) == 1124);
static_assert(offsetof(AnalysisSettings, showEquation) == 1128);
static_assert(offsetof(AnalysisSettings, showR2) == 1132);
static_assert(offsetof(AnalysisSettings, extraOption) == 1136);
static_assert(offsetof(AnalysisSettings, legendText) == 1140);
static_assert(offsetof(AnalysisSettings, ySeries) == 1332);
static_assert(offsetof(AnalysisSettings, xSeries) == 1336);
static_assert(offsetof(AnalysisSettings, selectionRect) == 1340);
static_assert(offsetof(AnalysisSettings, rangeStart) == 1356);
static_assert(offsetof(AnalysisSettings, rangeEnd) == 1360);
static_assert(offsetof(AnalysisSettings, derivativeMethod) == 1364);
static_assert(offsetof(AnalysisSettings, integralMethod) == 1368);
static_assert(offsetof(AnalysisSettings, curveModel) == 1372);
static_assert(offsetof(AnalysisSettings, polynomialOrder) == 1376);
static_assert(offsetof(AnalysisSettings, expVariant) == 1380);
static_assert(offsetof(AnalysisSettings, reserved) == 1384);

// How a data set records (DataSetRecord::mode): timed at a rate, one sample at each press of the
// user's key, or one at each event of the photogates. The set-up dialog lists them in this order.
enum RunMode : int32_t {
    kRunTimed = 0,
    kRunManual = 1,
    kRunPhotogateT1 = 2,
    kRunPhotogateT2 = 3,
    kRunPhotogateT1T2 = 4,
};
inline constexpr int32_t kRunModeCount = 5;

constexpr bool IsPhotogateRun(int32_t mode)
{
    return mode >= kRunPhotogateT1 && mode <= kRunPhotogateT1T2;
}

// One recorded data set (run). Offsets from the start of the record.
struct DataSetRecord {
    int32_t inUse;
    char16_t title[32];                          // may be full without a terminator
    ChannelStateImage channels[kChannelCount];   // taken when a measurement starts
    int32_t reserved0;
    int32_t mode;                                // a RunMode
    int32_t perChannelRates;
    int32_t length;                              // seconds (untimed modes: the entered number)
    int32_t rate;                                // Hz
    int32_t period;                              // microseconds
    int32_t channelRate[kChannelCount];
    int32_t channelPeriod[kChannelCount];
    int32_t channelDivider[kChannelCount];
    int32_t targetCount[kChannelCount];
    int32_t totalTarget;
    int32_t stopCount;
    int32_t fixedScale;
    int32_t reserved1;
    int32_t markerSpacing;
    int32_t specialSensor;
    int32_t channelSpecial[kChannelCount];
    int32_t specialTotal[kChannelCount];
    uint8_t undescribed0[112];
    int32_t channelRecorded[kChannelCount];
    int32_t sampleCount[kChannelCount];          // raw 32-bit entries stored per channel
    int32_t elapsedMs;
    int32_t selectedChannel;
    int32_t dataSetSerial;
    NoteRecord note;
    int32_t viewGraph;
    int32_t viewGraphCount;
    uint8_t undescribed1[16];
    AnalysisGraphRecord viewGraphs[kGraphCount];
    uint8_t undescribed2[4072];

    // The analysis area.
    int32_t currentGraph;
    int32_t graphCount;
    int32_t graphsResizable;
    float widthFraction;
    float heightFraction;
    int32_t gridShown;
    AnalysisGraphRecord graphs[kGraphCount];
    uint8_t analysisReserved0[4072];
    AnalysisSetSelector selector;
    AnalysisSettings settings[kGraphCount * kSetsPerGraph];   // graph g, set s at g * 4 + s
    uint8_t analysisReserved1[21104];
};
static_assert(sizeof(DataSetRecord) == 0x1F000);
static_assert(offsetof(DataSetRecord, inUse) == 0);
static_assert(offsetof(DataSetRecord, title) == 4);
static_assert(offsetof(DataSetRecord, channels) == 68);
static_assert(offsetof(DataSetRecord, reserved0) == 6212);
static_assert(offsetof(DataSetRecord, mode) == 6216);
static_assert(offsetof(DataSetRecord, perChannelRates) == 6220);
static_assert(offsetof(DataSetRecord, length) == 6224);
static_assert(offsetof(DataSetRecord, rate) == 6228);
static_assert(offsetof(DataSetRecord, period) == 6232);
static_assert(offsetof(DataSetRecord, channelRate) == 6236);
static_assert(offsetof(DataSetRecord, channelPeriod) == 6252);
static_assert(offsetof(DataSetRecord, channelDivider) == 6268);
static_assert(offsetof(DataSetRecord, targetCount) == 6284);
static_assert(offsetof(DataSetRecord, totalTarget) == 6300);
static_assert(offsetof(DataSetRecord, stopCount) == 6304);
static_assert(offsetof(DataSetRecord, fixedScale) == 6308);
static_assert(offsetof(DataSetRecord, reserved1) == 6312);
static_assert(offsetof(DataSetRecord, markerSpacing) == 6316);
static_assert(offsetof(DataSetRecord, specialSensor) == 6320);
static_assert(offsetof(DataSetRecord, channelSpecial) == 6324);
static_assert(offsetof(DataSetRecord, specialTotal) == 6340);
static_assert(offsetof(DataSetRecord, undescribed0) == 6356);
static_assert(offsetof(DataSetRecord, channelRecorded) == 6468);
static_assert(offsetof(DataSetRecord, sampleCount) == 6484);
static_assert(offsetof(DataSetRecord, elapsedMs) == 6500);
static_assert(offsetof(DataSetRecord, selectedChannel) == 6504);
static_assert(offsetof(DataSetRecord, dataSetSerial) == 6508);
static_assert(offsetof(DataSetRecord, note) == 6512);
static_assert(offsetof(DataSetRecord, note) + offsetof(NoteRecord, textLength) == 7344);
static_assert(offsetof(DataSetRecord, viewGraph) == 7536);
static_assert(offsetof(DataSetRecord, viewGraphCount) == 7540);
static_assert(offsetof(DataSetRecord, undescribed1) == 7544);
static_assert(offsetof(DataSetRecord, viewGraphs) == 7560);
static_assert(offsetof(DataSetRecord, undescribed2) == 40328);
static_assert(offsetof(DataSetRecord, currentGraph) == 44400);
static_assert(offsetof(DataSetRecord, graphCount) == 44404);
static_assert(offsetof(DataSetRecord, graphsResizable) == 44408);
static_assert(offsetof(DataSetRecord, widthFraction) == 44412);
static_assert(offsetof(DataSetRecord, heightFraction) == 44416);
static_assert(offsetof(DataSetRecord, gridShown) == 44420);
static_assert(offsetof(DataSetRecord, graphs) == 44424);
static_assert(offsetof(DataSetRecord, analysisReserved0) == 77192);
static_assert(offsetof(DataSetRecord, selector) == 81264);
static_assert(offsetof(DataSetRecord, settings) == 81296);
static_assert(offsetof(DataSetRecord, analysisReserved1) == 105872);

// Everything the measurement screen has recorded.
struct ExperimentBlock {
    int32_t currentIndex;   // 0..3; -1 while none is chosen
    int32_t usedCount;      // data sets created (in use, or made and not yet recorded)
    DataSetRecord records[kRunCount];
    uint8_t reserved[16376];
};
static_assert(sizeof(ExperimentBlock) == 0x80000);
static_assert(offsetof(ExperimentBlock, currentIndex) == 0);
static_assert(offsetof(ExperimentBlock, usedCount) == 4);
static_assert(offsetof(ExperimentBlock, records) == 8);
static_assert(offsetof(ExperimentBlock, reserved) == 507912);

// The raw samples of the current data set, exactly as the driver delivered them (n entries per
// sample for a sensor with n values). 32 MiB: allocate on the heap.
struct SampleArrays {
    uint32_t rawValues[kChannelCount][kMaxSampleEntries];
    int32_t rawTimes[kChannelCount][kMaxSampleEntries];
};

// Block-level operations.
void ClearAllRuns(ExperimentBlock& block);
DataSetRecord* RecordAt(ExperimentBlock& block, int index);   // null outside 0..3
const DataSetRecord* RecordAt(const ExperimentBlock& block, int index);
// Made by a new run and not deleted since: in use, or carrying a serial.
bool IsCreated(const DataSetRecord& record);
int CountCreatedRuns(const ExperimentBlock& block);
bool AnyRunInUse(const ExperimentBlock& block);

// A fresh note: title "Note", empty text, font size 16.
void InitNoteRecord(NoteRecord& note);
// Zero-fills the analysis area (offsets 44400..118127) and sets one full-size graph.
void ResetAnalysisArea(DataSetRecord& record);

// Bounded readers of values that may come from a file.
int32_t StoredEntryCount(const DataSetRecord& record, int channel);   // 0..kMaxSampleEntries
std::u16string_view NoteText(const NoteRecord& note);
std::u16string_view NoteTitle(const NoteRecord& note);
std::u16string_view RunTitle(const DataSetRecord& record);
std::u16string_view GraphNoteText(const GraphNote& note);
std::u16string_view SetNameText(const AnalysisSettings& settings);
std::u16string_view LegendText(const AnalysisSettings& settings);
int GraphCountOf(const DataSetRecord& record);      // 1..4
int CurrentGraphOf(const DataSetRecord& record);    // 0..graphCount-1
int NoteCountOf(const AnalysisGraphRecord& graph);  // 0..8
int SetCountOf(const AnalysisSetSelector& selector);           // 0..4
int CurrentSetOf(const AnalysisSetSelector& selector);          // 0..3
bool IsSeriesIndex(int32_t series);                 // 0..31
bool IsChannelIndex(int32_t channel);               // 0..3
bool IsDataSeries(int32_t series);                  // 0..15, recorded data
// The chart series of graph g, set s's result: 16 + 4g + s.
constexpr int32_t ResultSeriesFor(int graph, int set) { return 16 + graph * kSetsPerGraph + set; }

// The analysis records of graph g (and set s); null outside 0..3.
AnalysisGraphRecord* AnalysisGraphAt(DataSetRecord& record, int graph);
AnalysisSettings* SettingsAt(DataSetRecord& record, int graph, int set);
const AnalysisSettings* SettingsAt(const DataSetRecord& record, int graph, int set);
// Sets of graph g whose in-use flag is set.
int CountSetsInUse(const DataSetRecord& record, int graph);

}  // namespace project
