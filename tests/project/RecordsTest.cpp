#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "logger/project/ExperimentRecords.h"

using namespace logger;

namespace {

TEST(ExperimentRecords, AnalysisResetTouchesExactlyItsTwoRuns)
{
    auto record = std::make_unique<DataSetRecord>();
    std::memset(record.get(), 0xAB, sizeof *record);
    ResetAnalysisArea(*record);

    auto expected = std::make_unique<DataSetRecord>();
    std::memset(expected.get(), 0xAB, sizeof *expected);
    std::memset(reinterpret_cast<uint8_t*>(expected.get()) + 44400, 0, 118128 - 44400);
    const int32_t one = 1;
    const float full = 1.0f;
    std::memcpy(reinterpret_cast<uint8_t*>(expected.get()) + 44404, &one, 4);
    std::memcpy(reinterpret_cast<uint8_t*>(expected.get()) + 44412, &full, 4);
    std::memcpy(reinterpret_cast<uint8_t*>(expected.get()) + 44416, &full, 4);
    EXPECT_EQ(std::memcmp(record.get(), expected.get(), sizeof *record), 0);
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
    record->graphs[0].notes[0].textLength = 1 << 30;
    EXPECT_EQ(GraphNoteText(record->graphs[0].notes[0]).size(), 110u);
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
    EXPECT_EQ(SetCountOf(record->selector), 0);
    record->sampleCount[2] = 0x7FFFFFFF;
    record->sampleCount[3] = -1;
    EXPECT_EQ(StoredEntryCount(*record, 2), kMaxSampleEntries);
    EXPECT_EQ(StoredEntryCount(*record, 3), 0);
    EXPECT_EQ(StoredEntryCount(*record, 4), 0);
    EXPECT_FALSE(IsSeriesIndex(32));
    EXPECT_FALSE(IsSeriesIndex(-1));
}

}  // namespace
