#include <atomic>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "logger/export/core/CsvExportJob.h"
#include "logger/export/core/ExportMessages.h"
#include "logger/export/core/ExportNames.h"
#include "tests/support/ExportTestSupport.h"

using namespace project;
using namespace exporting;
using namespace exporttest;

namespace {

const std::string kBom = "\xEF\xBB\xBF";

class CsvExportTest : public ExportFixture {
protected:
    std::string Chosen(const std::string& name) const { return folder.File(name); }

    std::vector<CsvFileResult> Export(const std::string& chosen, bool serviceMode = false)
    {
        snapshot = TakeCsvSnapshot(Csv(), chosen, serviceMode);
        std::atomic<bool> cancel{false};
        return WriteCsvFiles(snapshot, {}, cancel);
    }
    std::vector<std::vector<std::string>> Parsed(const std::string& path)
    {
        auto rows = ParseWithPython(path);
        if (!rows)
            ADD_FAILURE() << "python3 could not read " << path;
        return rows.value_or(std::vector<std::vector<std::string>>{});
    }

    CsvSnapshot snapshot;
};

TEST_F(CsvExportTest, OneSensorAtACommonRateGivesTheDocumentedFile)
{
    Record(0, {{0, 3, 1}});
    chart.fixedNames[0] = u"Temperature(°C)";
    const auto results = Export(Chosen("run.csv"));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].result, CsvResult::Written);
    EXPECT_EQ(results[0].path, Chosen("run_1.csv"));
    EXPECT_EQ(ReadText(Chosen("run_1.csv")), kBom +
                                                 " , ,CH [A],Title : Project (Run 1)\r\n"
                                                 " , ,,Date : 2026-12-9\r\n"
                                                 "[2211],Time (s),Temperature(\xC2\xB0" "C),\r\n"
                                                 "1,0.0,1000.00,\r\n"
                                                 "2,0.1,1000.01,\r\n"
                                                 "3,0.2,1000.02,\r\n");
}

TEST_F(CsvExportTest, OnlyTheDataSetsInUseAreWrittenEachUnderItsNumber)
{
    Record(1, {{0, 4, 1}});
    Record(3, {{1, 2, 1}});
    Export(Chosen("x.csv"));
    EXPECT_EQ(FilesIn(folder.Path()), (std::vector<std::string>{"temp_project.vrd", "x_2.csv", "x_4.csv"}));
    // Each file holds its own set's samples, whichever set was current.
    EXPECT_NE(ReadText(Chosen("x_2.csv")).find("1,0.0,2000.00,"), std::string::npos);
    EXPECT_NE(ReadText(Chosen("x_4.csv")).find("1,0.0,4100.00,"), std::string::npos);
    EXPECT_EQ(block->currentIndex, 3);
}

TEST_F(CsvExportTest, FileNamesComeFromTheStemNotFromReplacingTheExtension)
{
    Record(0, {{0, 1, 1}});
    Export(Chosen("csv.data.csv"));
    EXPECT_TRUE(fs::exists(Chosen("csv.data_1.csv")));
    const ExportName name = SplitExportName("/F/run");
    EXPECT_EQ(name.folder, "/F");
    EXPECT_EQ(name.stem, "run");
    EXPECT_EQ(NumberedPath(name.folder, name.stem, AnalysisSuffix(0, 1), ".bmp"), "/F/run_12.bmp");
}

TEST_F(CsvExportTest, FourChannelsOfFourValuesAtTheirOwnRatesFillTwentyEightColumns)
{
    Record(0, {{0, 5, 4}, {1, 9, 4}, {2, 3, 4}, {3, 7, 4}}, 1000, true);
    Export(Chosen("all.csv"));
    const auto rows = Parsed(Chosen("all_1.csv"));
    ASSERT_EQ(rows.size(), 3u + 9u);
    // 28 columns and the title behind them on line 1, every row 28 cells and the trailing one.
    const std::vector<std::string>& channels = rows[0];
    const std::vector<std::string>& names = rows[2];
    ASSERT_EQ(names.size(), 29u);
    for (size_t r = 3; r < rows.size(); ++r)
        EXPECT_EQ(rows[r].size(), 29u) << r;
    for (int c = 0; c < 4; ++c) {
        const std::string letter = "CH [" + std::string(1, char('A' + c)) + "]";
        const auto at = std::find(channels.begin(), channels.end(), letter);
        ASSERT_NE(at, channels.end()) << letter;
        const size_t column = size_t(at - channels.begin());
        EXPECT_EQ(column, size_t(7 * c + 2)) << letter;
        // Above the channel's first value column; its own sample and time columns in front.
        EXPECT_EQ(names[column], std::string(1, char('A' + c)) + "-v0(V)");
        EXPECT_EQ(names[column - 2], "[2211]");
        EXPECT_EQ(names[column - 1], "Time (s)");
        EXPECT_EQ(rows[3][column], "1" + std::to_string(c) + "00.00");
        EXPECT_EQ(rows[4][column + 3], "1" + std::to_string(c) + "30.01");
        // Channel c's period is (c + 1) ms: its second time.
        EXPECT_EQ(rows[4][column - 1], "0.00" + std::to_string(c + 1));
    }
    EXPECT_EQ(channels[7 * 4 + 2], "Title : Project (Run 1)");
}

TEST_F(CsvExportTest, ShorterColumnsGiveEmptyCellsToTheLongestRow)
{
    Record(0, {{0, 4, 1}, {1, 2, 1}});
    Export(Chosen("s.csv"));
    const std::string text = ReadText(Chosen("s_1.csv"));
    EXPECT_NE(text.find("\r\n2,0.1,1000.01,1100.01,\r\n3,0.2,1000.02,,\r\n4,0.3,1000.03,,\r\n"), std::string::npos)
        << text;
}

TEST_F(CsvExportTest, TheTimeColumnIsTheFirstRecordedChannelsAndOnlyRecordedChannelsAreExported)
{
    // Set 1 shows channels A and C on the chart; set 2 records B and (without entries) C.
    Record(0, {{0, 3, 1}, {2, 3, 1}}, 100000);
    DataSetRecord& second = Record(1, {{1, 2, 1}}, 200000);
    second.channelRecorded[2] = 1;
    ASSERT_EQ(second.selectedChannel, -1);
    ASSERT_EQ(project.SaveProject(), ProjectResult::Ok);
    Export(Chosen("t.csv"));
    const auto rows = Parsed(Chosen("t_2.csv"));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{" ", " ", "CH [B]", "Title : Project (Run 2)"}));
    EXPECT_EQ(rows[3], (std::vector<std::string>{"1", "0.0", "2100.00", ""}));
    EXPECT_EQ(rows[4], (std::vector<std::string>{"2", "0.2", "2100.01", ""}));
}

TEST_F(CsvExportTest, TextCellsWithCommasQuotesAndLineBreaksKeepTheirColumns)
{
    Record(0, {{0, 2, 1}, {1, 2, 1}});
    chart.fixedNames[0] = u"Force, \"pull\"";
    chart.fixedNames[1] = u"온도\n(°C)";
    platform::CopyToField(block->records[0].title, u"A, B");
    ASSERT_EQ(project.SaveProject(), ProjectResult::Ok);
    Export(Chosen("q.csv"));
    const auto rows = Parsed(Chosen("q_1.csv"));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0][4], "Title : Project (A, B)");
    EXPECT_EQ(rows[2], (std::vector<std::string>{"[2211]", "Time (s)", "Force, \"pull\"", "온도\n(°C)", ""}));
    EXPECT_EQ(rows[3].size(), 5u);
}

TEST_F(CsvExportTest, AFailedWriteKeepsTheOldFileAndSaysSo)
{
    Record(0, {{0, 20000, 1}});
    WriteText(Chosen("big_1.csv"), "old file\r\n");
    snapshot = TakeCsvSnapshot(Csv(), Chosen("big.csv"), false);
    {
        FileSizeLimit limit(64 * 1024);
        std::atomic<bool> cancel{false};
        const auto results = WriteCsvFiles(snapshot, {}, cancel);
        ASSERT_EQ(results.size(), 1u);
        EXPECT_EQ(results[0].result, CsvResult::WriteFailed);
        EXPECT_EQ(CsvResultTextId(results[0].result), 2992);
    }
    EXPECT_EQ(ReadText(Chosen("big_1.csv")), "old file\r\n");
    EXPECT_EQ(FilesIn(folder.Path()), (std::vector<std::string>{"big_1.csv", "temp_project.vrd"}));
    // A folder that is not there: the file cannot be made at all.
    EXPECT_EQ(Export(folder.File("none/x.csv"))[0].result, CsvResult::OpenFailed);
}

TEST_F(CsvExportTest, ASetThatCannotBeReadBackIsSkippedAndAFailedReturnLeavesNoSetCurrent)
{
    Record(0, {{0, 3, 1}});
    Record(1, {{0, 3, 1}});
    Record(2, {{0, 3, 1}});
    store.failLoadOf = 1;
    const auto results = Export(Chosen("f.csv"));
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].result, CsvResult::Written);
    EXPECT_EQ(results[1].result, CsvResult::LoadFailed);
    EXPECT_EQ(results[2].result, CsvResult::Written);
    EXPECT_FALSE(fs::exists(Chosen("f_2.csv")));
    EXPECT_NE(ReadText(Chosen("f_3.csv")).find("1,0.0,3000.00,"), std::string::npos);
    EXPECT_EQ(snapshot.restore, ProjectResult::Ok);
    EXPECT_EQ(block->currentIndex, 2);

    // The set put back cannot be read: none is current, so nothing can be saved over a set.
    store.failLoadOf = -2;
    store.loads = 0;
    store.failFromLoad = 4;
    Export(Chosen("g.csv"));
    EXPECT_EQ(snapshot.restore, ProjectResult::IoError);
    EXPECT_EQ(block->currentIndex, -1);
}

TEST_F(CsvExportTest, NothingIsExportedWhenTheWorkingProjectCannotBeSaved)
{
    Record(0, {{0, 3, 1}});
    store.failSave = true;
    const CsvSnapshot taken = TakeCsvSnapshot(Csv(), Chosen("n.csv"), false);
    EXPECT_EQ(taken.result, CsvResult::SaveFailed);
    EXPECT_TRUE(taken.files.empty());
    EXPECT_EQ(store.loads, 0);
    EXPECT_EQ(block->currentIndex, 0);
}

TEST_F(CsvExportTest, ServiceModeWritesNoFileAndSaysSo)
{
    Record(0, {{0, 3, 1}});
    const auto results = Export(Chosen("m.csv"), true);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].result, CsvResult::Suppressed);
    EXPECT_FALSE(fs::exists(Chosen("m_1.csv")));
}

TEST_F(CsvExportTest, TheJobWritesOnAWorkerReportsProgressAndCanBeCancelled)
{
    Record(0, {{0, 200000, 1}});
    Record(1, {{0, 200000, 1}});
    WriteText(Chosen("j_2.csv"), "old");
    CsvExportJob job;
    std::atomic<int> calls{0};
    std::atomic<bool> cancelled{false};
    ASSERT_TRUE(job.Start(TakeCsvSnapshot(Csv(), Chosen("j.csv"), false), [&](const CsvProgress& at) {
        ++calls;
        // Cancel while the second file is being written.
        if (at.file == 1 && at.rowsDone > 0 && !cancelled.exchange(true))
            job.Cancel();
    }));
    job.Wait();
    ASSERT_TRUE(job.Done());
    const auto results = job.Results();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].result, CsvResult::Written);
    EXPECT_EQ(results[1].result, CsvResult::Cancelled);
    EXPECT_EQ(ReadText(Chosen("j_2.csv")), "old");
    EXPECT_GT(calls.load(), 2);
    EXPECT_EQ(job.Progress().files, 2);
    EXPECT_EQ(CsvResultTextId(CsvResult::Cancelled), 2994);
}

}  // namespace
