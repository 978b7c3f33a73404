#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "logger/project/ExperimentRecords.h"

using namespace project;

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
    record->note.textLength = 100000;
    record->graphs[0].notes[0].textLength = -5;
    record->graphCount = 9;
    record->currentGraph = 3;
    record->graphs[1].noteCount = 9;
    record->sampleCount[2] = 0x7FFFFFFF;
    record->sampleCount[3] = -1;

    EXPECT_EQ(RunTitle(*record).size(), 32u);
    EXPECT_EQ(NoteText(record->note).size(), 384u);
    EXPECT_TRUE(GraphNoteText(record->graphs[0].notes[0]).empty());
    EXPECT_EQ(LegendText(record->settings[15]).size(), 96u);
    EXPECT_EQ(GraphCountOf(*record), 4);
    EXPECT_EQ(CurrentGraphOf(*record), 3);
    EXPECT_EQ(NoteCountOf(record->graphs[1]), 8);
    EXPECT_EQ(StoredEntryCount(*record, 2), kMaxSampleEntries);
    EXPECT_EQ(StoredEntryCount(*record, 3), 0);
    record->graphCount = 2;
    EXPECT_EQ(CurrentGraphOf(*record), 0);
}

}  // namespace
