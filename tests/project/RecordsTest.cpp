#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "logger/project/ExperimentRecords.h"

using namespace logger;

namespace {

const uint8_t* BytesOf(const DataSetRecord& record) { return reinterpret_cast<const uint8_t*>(&record); }

TEST(ExperimentRecords, AnalysisResetTouchesExactlyItsTwoRuns)
{
    auto record = std::make_unique<DataSetRecord>();
    std::memset(record.get(), 0xAB, sizeof *record);
    ResetAnalysisArea(*record);

    const uint8_t* bytes = BytesOf(*record);
    auto expectedAt = [&](size_t offset) -> uint8_t {
        if (offset < 44400 || offset >= 118128)
            return 0xAB;
        auto wordByte = [&](size_t field, uint32_t word) -> int {
            return offset >= field && offset < field + 4 ? int((word >> (8 * (offset - field))) & 0xFF) : -1;
        };
        for (int b : {wordByte(44404, 1u), wordByte(44412, 0x3F800000u), wordByte(44416, 0x3F800000u)}) {
            if (b >= 0)
                return uint8_t(b);
        }
        return 0;
    };
    for (size_t i = 0; i < sizeof *record; ++i) {
        if (bytes[i] != expectedAt(i)) {
            FAIL() << "byte " << i << " is " << int(bytes[i]);
        }
    }
    EXPECT_EQ(record->graphCount, 1);
    EXPECT_EQ(record->widthFraction, 1.0f);
    EXPECT_EQ(record->heightFraction, 1.0f);
}

TEST(ExperimentRecords, ClearAllRunsZeroesTheWholeBlock)
{
    auto block = std::make_unique<ExperimentBlock>();
    std::memset(block.get(), 0x77, sizeof *block);
    ClearAllRuns(*block);
    const auto* bytes = reinterpret_cast<const uint8_t*>(block.get());
    for (size_t i = 0; i < sizeof *block; ++i)
        ASSERT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(CountCreatedRuns(*block), 0);
}

TEST(ExperimentRecords, ChannelStateWordsAreLittleEndianAtTheirOffsets)
{
    ChannelStateImage state{};
    SetStateInt(state, kStateTimeOffset, 0x01020304);
    SetStateFloat(state, kStateTimeScale, 0.001f);
    EXPECT_EQ(state.bytes[808], 0x04);
    EXPECT_EQ(state.bytes[811], 0x01);
    EXPECT_EQ(StateInt(state, kStateTimeOffset), 0x01020304);
    EXPECT_EQ(StateFloat(state, kStateTimeScale), 0.001f);
}

TEST(ExperimentRecords, NewNoteHasTitleNoteAndFontSixteen)
{
    NoteRecord note;
    std::memset(&note, 0x11, sizeof note);
    InitNoteRecord(note);
    EXPECT_EQ(NoteTitle(note), u"Note");
    EXPECT_EQ(note.textLength, 0);
    EXPECT_EQ(note.reserved0, 0);
    EXPECT_EQ(note.fontSize, 16);
    EXPECT_EQ(note.bold, 0);
    EXPECT_TRUE(NoteText(note).empty());
}

TEST(ExperimentRecords, TextsAndCountsFromAFileAreBounded)
{
    auto record = std::make_unique<DataSetRecord>();
    std::memset(record.get(), 0x41, sizeof *record);   // every text full, no terminator anywhere

    EXPECT_EQ(RunTitle(*record).size(), 32u);
    record->note.textLength = 100000;
    EXPECT_EQ(NoteText(record->note).size(), 384u);
    record->note.textLength = -5;
    EXPECT_TRUE(NoteText(record->note).empty());
    record->note.textLength = 3;
    EXPECT_EQ(NoteText(record->note).size(), 3u);

    GraphNote& note = record->graphs[0].notes[0];
    note.textLength = 1 << 30;
    EXPECT_EQ(GraphNoteText(note).size(), 110u);
    EXPECT_EQ(SetNameText(record->settings[15]).size(), 32u);
    EXPECT_EQ(LegendText(record->settings[15]).size(), 96u);

    record->graphCount = 9;
    record->currentGraph = 3;
    EXPECT_EQ(GraphCountOf(*record), 4);
    EXPECT_EQ(CurrentGraphOf(*record), 3);
    record->graphCount = 2;
    EXPECT_EQ(CurrentGraphOf(*record), 0);
    record->graphCount = -1;
    EXPECT_EQ(GraphCountOf(*record), 1);

    record->graphs[1].noteCount = 9;
    EXPECT_EQ(NoteCountOf(record->graphs[1]), 8);
    record->selector.setCount = -3;
    record->selector.recordedChannelCount = 5;
    EXPECT_EQ(SetCountOf(record->selector), 0);
    EXPECT_EQ(RecordedChannelCountOf(record->selector), 4);

    record->sampleCount[2] = 0x7FFFFFFF;
    record->sampleCount[3] = -1;
    EXPECT_EQ(StoredEntryCount(*record, 2), kMaxSampleEntries);
    EXPECT_EQ(StoredEntryCount(*record, 3), 0);
    EXPECT_EQ(StoredEntryCount(*record, 4), 0);
    EXPECT_TRUE(IsSeriesIndex(31));
    EXPECT_FALSE(IsSeriesIndex(32));
    EXPECT_FALSE(IsSeriesIndex(-1));
}

}  // namespace
