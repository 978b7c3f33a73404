#include <cstring>
#include <memory>
#include <random>

#include <gtest/gtest.h>

#include "logger/project/ProjectFile.h"
#include "logger/project/RunModel.h"
#include "tests/support/ProjectTestSupport.h"

using namespace project;
using namespace projecttest;

namespace {

std::vector<uint8_t> BlockBytes(const ExperimentBlock& block)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(&block);
    return {bytes, bytes + sizeof block};
}

// Four recorded sets whose every byte, described or not, carries data: notes, analysis areas,
// the reserved gaps. Only the fields the file logic reads are kept meaningful.
class FullProject : public ProjectFixture {
protected:
    FullProject()
    {
        std::mt19937 random(1234);
        auto* bytes = reinterpret_cast<uint8_t*>(block.get());
        for (size_t i = 0; i < sizeof *block; ++i)
            bytes[i] = uint8_t(random());
        for (int k = 0; k < kRunCount; ++k) {
            DataSetRecord& record = block->records[k];
            record.inUse = 0;
            record.dataSetSerial = kSerialBase + k;
            std::fill(std::begin(record.sampleCount), std::end(record.sampleCount), 0);
            std::memcpy(record.note.text, u"some words", 20);
            record.note.textLength = 10;
        }
        platform::CopyToFullField(project.Record().note.text, u"project note");
        project.Record().note.textLength = 12;
        for (int k = 0; k < kRunCount; ++k)
            RecordAndSave(k, Counts(k));
        block->usedCount = 4;
        block->currentIndex = 3;
        EXPECT_EQ(project.SaveProject(), ProjectResult::Ok);
    }

    static const std::vector<int32_t>& Counts(int k)
    {
        static const std::vector<int32_t> counts[] = {{100, 0, 7}, {0, 3000}, {1, 2, 3, 4}, {0, 0, 0, 9}};
        return counts[k];
    }
};

TEST_F(FullProject, OpenThenSaveAsIsByteIdentical)
{
    const std::string original = folder.File("original.vrd");
    ASSERT_EQ(project.SaveProjectAs(original), ProjectResult::Ok);
    const auto originalBytes = ReadBytes(original);

    ASSERT_EQ(project.NewProject(u"Other", {}), ProjectResult::Ok);
    block->currentIndex = 2;
    ASSERT_EQ(project.OpenProject(original), ProjectResult::Ok);
    ExpectSamples(*samples, 2, Counts(2));
    ASSERT_EQ(project.SaveProjectAs(folder.File("copy.vrd")), ProjectResult::Ok);
    EXPECT_EQ(ReadBytes(folder.File("copy.vrd")), originalBytes);
}

TEST_F(FullProject, SavesAndLoadsKeepEveryByteOfTheBlockAndSamples)
{
    const auto savedBlock = BlockBytes(*block);
    const auto savedHead = std::make_unique<ProjectRecord>(project.Record());
    for (int round = 0; round < 2; ++round) {
        for (int k : {0, 3, 1, 2}) {
            block->currentIndex = k;
            ASSERT_EQ(project.LoadProject(), ProjectResult::Ok);
            ExpectSamples(*samples, k, Counts(k));
            ASSERT_EQ(project.SaveProject(), ProjectResult::Ok);
            ASSERT_EQ(project.SaveProjectKeepRecord(), ProjectResult::Ok);
        }
    }
    block->currentIndex = 3;
    ASSERT_EQ(project.LoadProject(), ProjectResult::Ok);
    EXPECT_EQ(BlockBytes(*block), savedBlock);
    // Only where the sets' samples lie may have changed in the head.
    const ProjectRecord& head = project.Record();
    EXPECT_EQ(std::memcmp(&head, savedHead.get(), offsetof(ProjectRecord, dataOffset)), 0);
    EXPECT_EQ(NoteText(head.note), u"project note");
}

// Random values in every count, index, size and offset the file holds must load, save and be read
// through the bounded accessors without touching memory outside the records and arrays.
TEST_F(FullProject, RandomCountsAndOffsetsLoadSafely)
{
    const auto clean = ReadBytes(project.WorkingPath());
    const std::string path = folder.File("random.vrd");
    std::mt19937 random(99);
    auto anyInt = [&] {
        switch (random() % 6) {
        case 0: return int32_t(random());
        case 1: return int32_t(-int32_t(random() % 10));
        case 2: return int32_t(random() % 8);
        case 3: return int32_t(0x7FFFFFFF - int32_t(random() % 4));
        case 4: return int32_t(kDataAreaOffset + int32_t(random() % 40000));
        default: return int32_t(random() % 2000000);
        }
    };
    constexpr size_t kHead = kProjectRecordOffset;
    constexpr size_t kBlock = kHead + offsetof(ProjectRecord, block);

    for (int round = 0; round < 60; ++round) {
        auto bytes = clean;
        for (size_t k = 0; k < 4; ++k) {
            PutWord(bytes, kHead + offsetof(ProjectRecord, dataSize) + 4 * k, anyInt());
            PutWord(bytes, kHead + offsetof(ProjectRecord, dataOffset) + 4 * k, anyInt());
        }
        PutWord(bytes, kHead + offsetof(ProjectRecord, note) + offsetof(NoteRecord, textLength), anyInt());
        PutWord(bytes, kBlock + offsetof(ExperimentBlock, currentIndex), anyInt());
        PutWord(bytes, kBlock + offsetof(ExperimentBlock, usedCount), anyInt());
        for (size_t k = 0; k < 4; ++k) {
            const size_t record = kBlock + offsetof(ExperimentBlock, records) + k * sizeof(DataSetRecord);
            PutWord(bytes, record + offsetof(DataSetRecord, inUse), int32_t(random() % 3));
            for (size_t c = 0; c < 4; ++c)
                PutWord(bytes, record + offsetof(DataSetRecord, sampleCount) + 4 * c, anyInt());
            PutWord(bytes, record + offsetof(DataSetRecord, note) + offsetof(NoteRecord, textLength), anyInt());
            PutWord(bytes, record + offsetof(DataSetRecord, currentGraph), anyInt());
            PutWord(bytes, record + offsetof(DataSetRecord, graphCount), anyInt());
            PutWord(bytes, record + offsetof(DataSetRecord, selector) + offsetof(AnalysisSetSelector, setCount), anyInt());
            for (size_t g = 0; g < 4; ++g) {
                const size_t graph = record + offsetof(DataSetRecord, graphs) + g * sizeof(AnalysisGraphRecord);
                PutWord(bytes, graph + offsetof(AnalysisGraphRecord, noteCount), anyInt());
                PutWord(bytes, graph + offsetof(AnalysisGraphRecord, ySeries), anyInt());
                PutWord(bytes, graph + offsetof(AnalysisGraphRecord, notes) + offsetof(GraphNote, textLength), anyInt());
            }
        }
        if (round % 5 == 0)
            bytes.resize(kDataAreaOffset + random() % (bytes.size() - kDataAreaOffset));
        WriteBytes(path, bytes);

        block->currentIndex = int32_t(random() % 7) - 2;
        const ProjectResult opened = project.OpenProject(path);
        ASSERT_EQ(opened, ProjectResult::Ok);

        size_t touched = 0;
        for (const DataSetRecord& record : block->records) {
            touched += RunTitle(record).size() + NoteText(record.note).size();
            for (int c = 0; c < kChannelCount; ++c) {
                const int32_t n = StoredEntryCount(record, c);
                if (n > 0)
                    touched += samples->rawValues[c][n - 1] & 1;
            }
            for (int g = 0; g < GraphCountOf(record); ++g) {
                const AnalysisGraphRecord& graph = record.graphs[g];
                for (int n = 0; n < NoteCountOf(graph); ++n)
                    touched += GraphNoteText(graph.notes[n]).size();
            }
            touched += record.graphs[CurrentGraphOf(record)].inUse & 1;
            for (int s = 0; s < SetCountOf(record.selector); ++s)
                touched += LegendText(record.settings[s]).size();
        }
        touched += NoteText(project.Record().note).size();
        EXPECT_GE(touched, 0u);

        project.SaveProject();
        project.SaveProjectKeepRecord();
        ASSERT_EQ(project.LoadProject(), ProjectResult::Ok);

        FakeSensor sensor;
        RunModel model(*block, project, sensor, {}, u"Run");
        model.NewRun();
        model.DeleteRun(int(random() % 6) - 1);
        model.SelectRun(int(random() % 6) - 1);
        EXPECT_LE(CountCreatedRuns(*block), 4);
    }
}

}  // namespace
