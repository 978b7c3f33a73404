#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <random>

#include <gtest/gtest.h>

#include "logger/project/FileIo.h"
#include "logger/project/ProjectFile.h"
#include "tests/support/ProjectTestSupport.h"

using namespace project;
using namespace projecttest;

namespace {

constexpr int64_t kStart = kDataAreaOffset;

using ProjectFileTest = ProjectFixture;

TEST_F(ProjectFileTest, NewProjectIsHeaderAndRecordOnly)
{
    const auto bytes = Working();
    ASSERT_EQ(bytes.size(), 525512u);
    EXPECT_EQ(WordAt<uint32_t>(bytes, 0), 0x12345678u);
    EXPECT_EQ(WordAt<int32_t>(bytes, 4), 0);
    EXPECT_EQ(WordAt<int32_t>(bytes, 8), 201110101);
    EXPECT_EQ(WordAt<int32_t>(bytes, 12), 0);
    const auto record = RecordOf(bytes);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(record->dataSize[k], 0);
        EXPECT_EQ(record->dataOffset[k], 525512);
    }
    EXPECT_EQ(record->year, 2026);
    EXPECT_EQ(record->hour, 5);
    EXPECT_EQ(platform::FieldView(record->title), u"Project");
    EXPECT_EQ(NoteTitle(record->note), u"Note");
    EXPECT_EQ(WordAt<int32_t>(bytes, 16 + 984), 0);
    EXPECT_EQ(WordAt<int32_t>(bytes, 16 + 988), 0);
    EXPECT_EQ(WordAt<int32_t>(bytes, 16 + 992), 16);
    EXPECT_EQ(WordAt<int32_t>(bytes, 16 + 996), 0);
}

TEST_F(ProjectFileTest, TheWorkingCopyIsAsLongAsItsData)
{
    RecordAndSave(0, {5000, 5000});
    const size_t longer = Working().size();
    EXPECT_EQ(longer, 525512u + 80000u);
    block->currentIndex = -1;
    ASSERT_EQ(project.SaveProjectFile(project.WorkingPath(), SaveMode::New), ProjectResult::Ok);
    EXPECT_EQ(Working().size(), longer);
    ASSERT_EQ(project.NewProject(u"Again", {}), ProjectResult::Ok);
    EXPECT_EQ(Working().size(), 525512u);
}

TEST_F(ProjectFileTest, SamplesAreWrittenOnceAndRewrittenInPlace)
{
    RecordAndSave(0, {100, 100});
    auto bytes = Working();
    EXPECT_EQ(bytes.size(), 525512u + 1600u);
    EXPECT_EQ(RecordOf(bytes)->dataSize[0], 1600);
    EXPECT_EQ(RecordOf(bytes)->dataOffset[0], 525512);
    EXPECT_EQ(WordAt<uint32_t>(bytes, kStart), ValueEntry(0, 0, 0));
    EXPECT_EQ(WordAt<int32_t>(bytes, kStart + 400), TimeEntry(0, 0, 0));
    EXPECT_EQ(WordAt<uint32_t>(bytes, kStart + 800), ValueEntry(0, 1, 0));

    // Saved again with nothing changed: not a byte is written, however often.
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(project.SaveProject(), ProjectResult::Ok);
    EXPECT_EQ(Working(), bytes);

    // A rename is a head change only; a new run into the set replaces its samples where they are.
    platform::CopyToFullField(block->records[0].title, u"Renamed");
    ASSERT_EQ(project.SaveProject(), ProjectResult::Ok);
    auto renamed = Working();
    EXPECT_EQ(renamed.size(), bytes.size());
    EXPECT_EQ(std::memcmp(renamed.data() + kStart, bytes.data() + kStart, 1600), 0);
    EXPECT_EQ(RunTitle(RecordOf(renamed)->block.records[0]), u"Renamed");

    StopInto(*block, *samples, 0, {100, 100});
    samples->rawValues[0][0] = 0xABCDEF01;
    ASSERT_EQ(project.SaveProject(), ProjectResult::Ok);
    bytes = Working();
    EXPECT_EQ(bytes.size(), 525512u + 1600u);
    EXPECT_EQ(RecordOf(bytes)->dataOffset[0], 525512);
    EXPECT_EQ(WordAt<uint32_t>(bytes, kStart), 0xABCDEF01u);
}

TEST_F(ProjectFileTest, NothingIsWrittenForASetNotInUseOrWithoutCurrentIndex)
{
    ASSERT_EQ(project.SaveProject(), ProjectResult::Ok);
    EXPECT_EQ(Working().size(), 525512u);
    RecordAndSave(0, {10});
    const auto before = RecordOf(Working());
    block->currentIndex = -1;
    ASSERT_EQ(project.SaveProject(), ProjectResult::Ok);
    const auto after = RecordOf(Working());
    EXPECT_EQ(after->dataSize[0], before->dataSize[0]);
    EXPECT_EQ(after->dataOffset[0], before->dataOffset[0]);
    EXPECT_EQ(Working().size(), 525512u + 80u);
}

// Set 0 recorded again while set 1's data follow it: set 1 never moves, and set 0 goes back where
// it was when it still fits there, else behind set 1. Stray bytes behind the data are cut off.
class RerecordTest : public ProjectFileTest, public ::testing::WithParamInterface<int32_t> {};

TEST_P(RerecordTest, OtherSetsStayWhereTheyAre)
{
    const int32_t newCount = GetParam();
    RecordAndSave(0, {300, 0, 50});
    ASSERT_EQ(RecordOf(Working())->dataSize[0], 2800);
    RecordAndSave(1, {1000});
    auto bytes = Working();
    bytes.insert(bytes.end(), {0xC0, 0xC1, 0xC2});
    WriteBytes(project.WorkingPath(), bytes);
    const auto before = RecordOf(bytes);
    const std::vector<uint8_t> set1(bytes.begin() + before->dataOffset[1], bytes.begin() + before->dataOffset[1] + 8000);

    block->currentIndex = 0;
    StopInto(*block, *samples, 0, {newCount, 0, 50});
    ASSERT_EQ(project.SaveProject(), ProjectResult::Ok);

    bytes = Working();
    const auto record = RecordOf(bytes);
    EXPECT_EQ(record->dataOffset[1], before->dataOffset[1]);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + record->dataOffset[1], bytes.begin() + record->dataOffset[1] + 8000),
              set1);
    const int32_t size0 = 8 * (newCount + 50);
    EXPECT_EQ(record->dataSize[0], size0);
    if (size0 <= 2800) {
        EXPECT_EQ(record->dataOffset[0], kStart);
        EXPECT_EQ(int64_t(bytes.size()), kStart + 2800 + 8000);
    } else {
        EXPECT_EQ(record->dataOffset[0], kStart + 2800 + 8000);
        EXPECT_EQ(int64_t(bytes.size()), kStart + 2800 + 8000 + size0);
    }

    block->currentIndex = 1;
    ASSERT_EQ(project.LoadProject(), ProjectResult::Ok);
    ExpectSamples(*samples, 1, {1000});
    block->currentIndex = 0;
    ASSERT_EQ(project.LoadProject(), ProjectResult::Ok);
    ExpectSamples(*samples, 0, {newCount, 0, 50});
}

INSTANTIATE_TEST_SUITE_P(Sizes, RerecordTest, ::testing::Values(300, 120, 301, 5000));

// Any order of recordings, deletions and switches: every set reads back what was recorded into it
// last, and the working copy never holds more than its data and three sets' worth of room.
TEST_F(ProjectFileTest, ManySavesKeepTheWorkingCopyBoundedByItsData)
{
    std::mt19937 random(7);
    const int32_t sizes[] = {10, 400, 2000, 9000, 30000};
    std::vector<std::vector<int32_t>> recorded(kRunCount);
    auto expectEverySet = [&] {
        for (int k = 0; k < kRunCount; ++k) {
            if (recorded[k].empty())
                continue;
            block->currentIndex = k;
            ASSERT_EQ(project.LoadProject(), ProjectResult::Ok);
            ExpectSamples(*samples, k, recorded[k]);
        }
    };
    int32_t largest = 0;
    for (int round = 0; round < 300; ++round) {
        const int k = int(random() % kRunCount);
        block->currentIndex = k;
        if (!recorded[k].empty()) {
            ASSERT_EQ(project.LoadProject(), ProjectResult::Ok);
        }
        if (random() % 5 == 0 && !recorded[k].empty()) {
            std::memset(&block->records[k], 0, sizeof block->records[k]);
            recorded[k].clear();
            ASSERT_EQ(project.SaveProjectKeepRecord(), ProjectResult::Ok);
            continue;
        }
        std::vector<int32_t> counts = {sizes[random() % 5], sizes[random() % 5]};
        largest = std::max(largest, 8 * (counts[0] + counts[1]));
        StopInto(*block, *samples, k, counts);
        recorded[k] = counts;
        ASSERT_EQ(project.SaveProject(), ProjectResult::Ok);

        int64_t data = 0;
        for (const auto& counts : recorded)
            data += counts.empty() ? 0 : 8 * (counts[0] + counts[1]);
        ASSERT_LE(int64_t(Working().size()), kStart + data + 3 * int64_t(largest)) << round;
    }
    expectEverySet();

    // Saved as, the project holds its data packed in set order and nothing else.
    const std::string copy = folder.File("packed.vrd");
    ASSERT_EQ(project.SaveProjectAs(copy), ProjectResult::Ok);
    const auto packed = ReadBytes(copy);
    const auto head = RecordOf(packed);
    int64_t cursor = kStart;
    for (int k = 0; k < kRunCount; ++k) {
        if (recorded[k].empty()) {
            EXPECT_EQ(head->dataSize[k], 0);
            continue;
        }
        EXPECT_EQ(head->dataOffset[k], cursor);
        cursor += head->dataSize[k];
    }
    EXPECT_EQ(int64_t(packed.size()), cursor);
    ASSERT_EQ(project.OpenProject(copy), ProjectResult::Ok);
    expectEverySet();
}

TEST_F(ProjectFileTest, CountsBeyondTheStoredDataReadAsZeros)
{
    RecordAndSave(0, {100, 50});
    auto bytes = Working();
    const std::string path = folder.File("cut.vrd");
    const size_t counts = kProjectRecordOffset + offsetof(ProjectRecord, block) + offsetof(ExperimentBlock, records) +
                          offsetof(DataSetRecord, sampleCount);
    PutWord<int32_t>(bytes, counts, 3000000);   // more than the arrays and the file hold
    PutWord<int32_t>(bytes, kProjectRecordOffset + offsetof(ProjectRecord, dataSize), 1200);
    WriteBytes(path, bytes);

    std::memset(samples.get(), 0xFF, sizeof *samples);
    block->currentIndex = 0;
    ASSERT_EQ(project.LoadProjectFile(path), ProjectResult::Ok);
    // Channel 0 now claims the arrays whole: its first 300 entries are what the 1200 bytes hold,
    // everything after is zero, and channel 1 (beyond the stored size) is all zeros.
    EXPECT_EQ(samples->rawValues[0][0], ValueEntry(0, 0, 0));
    EXPECT_EQ(samples->rawValues[0][99], ValueEntry(0, 0, 99));
    EXPECT_EQ(samples->rawValues[0][100], uint32_t(TimeEntry(0, 0, 0)));
    EXPECT_EQ(samples->rawValues[0][300], 0u);
    EXPECT_EQ(samples->rawValues[0][kMaxSampleEntries - 1], 0u);
    EXPECT_EQ(samples->rawTimes[0][0], 0);
    EXPECT_EQ(samples->rawTimes[0][kMaxSampleEntries - 1], 0);
    EXPECT_EQ(samples->rawValues[1][0], 0u);
    EXPECT_EQ(samples->rawTimes[1][49], 0);

    // A file cut inside the data: what is there is read, the rest is zero.
    bytes = Working();
    bytes.resize(size_t(kStart) + 600);
    WriteBytes(path, bytes);
    std::memset(samples.get(), 0xFF, sizeof *samples);
    ASSERT_EQ(project.LoadProjectFile(path), ProjectResult::Ok);
    EXPECT_EQ(samples->rawValues[0][99], ValueEntry(0, 0, 99));
    EXPECT_EQ(samples->rawTimes[0][49], TimeEntry(0, 0, 49));
    EXPECT_EQ(samples->rawTimes[0][50], 0);
    EXPECT_EQ(samples->rawValues[1][0], 0u);
}

TEST_F(ProjectFileTest, OffsetsOutsideTheDataAreaAreNotFollowed)
{
    RecordAndSave(0, {100});
    RecordAndSave(1, {60});
    auto bytes = Working();
    const auto good = RecordOf(bytes);
    for (int32_t badOffset : {100, 0, -8, int32_t(bytes.size()) + 8}) {
        auto changed = bytes;
        PutWord<int32_t>(changed, kProjectRecordOffset + offsetof(ProjectRecord, dataOffset), badOffset);
        WriteBytes(project.WorkingPath(), changed);
        block->currentIndex = 0;
        FillSamples(*samples, 0, {100});
        ASSERT_EQ(project.SaveProjectKeepRecord(), ProjectResult::Ok);
        const auto after = Working();
        const auto record = RecordOf(after);
        EXPECT_EQ(record->dataOffset[1], good->dataOffset[1]) << badOffset;
        // Set 0's samples, no longer described, go back into the room in front of set 1.
        ASSERT_EQ(after.size(), bytes.size()) << badOffset;
        EXPECT_EQ(std::memcmp(after.data() + kStart, bytes.data() + kStart, bytes.size() - kStart), 0);
        EXPECT_EQ(record->dataOffset[0], kStart);
        block->currentIndex = 1;
        ASSERT_EQ(project.LoadProject(), ProjectResult::Ok);
        ExpectSamples(*samples, 1, {60});
        block->currentIndex = 0;
        ASSERT_EQ(project.LoadProject(), ProjectResult::Ok);
        ExpectSamples(*samples, 0, {100});
    }
}

TEST_F(ProjectFileTest, VersionAtOrBelowTheOldestIsRefused)
{
    RecordAndSave(0, {10});
    auto bytes = Working();
    const std::string path = folder.File("old.vrd");
    block->records[0].title[0] = u'Z';
    const auto before = std::vector<uint8_t>(reinterpret_cast<uint8_t*>(block.get()),
                                             reinterpret_cast<uint8_t*>(block.get()) + sizeof *block);

    PutWord<int32_t>(bytes, 8, 20110100);
    WriteBytes(path, bytes);
    EXPECT_EQ(project.LoadProjectFile(path), ProjectResult::NotAProject);
    EXPECT_EQ(std::memcmp(block.get(), before.data(), before.size()), 0);

    PutWord<int32_t>(bytes, 8, 20110101);
    WriteBytes(path, bytes);
    EXPECT_EQ(project.LoadProjectFile(path), ProjectResult::Ok);
    EXPECT_EQ(block->records[0].title[0], 0);
}

TEST_F(ProjectFileTest, CurrentIndexSurvivesALoad)
{
    RecordAndSave(1, {20});
    RecordAndSave(2, {30});   // the file's block says 2
    block->currentIndex = 1;
    samples->rawValues[0][0] = 0;
    int refreshed = 0;
    project.SetLoadedHandler([&] { ++refreshed; });
    ASSERT_EQ(project.LoadProject(), ProjectResult::Ok);
    EXPECT_EQ(block->currentIndex, 1);
    ExpectSamples(*samples, 1, {20});
    EXPECT_EQ(refreshed, 1);
}

// A current index that names no set of the loaded file would leave the screens on a blank
// record: the last set recorded becomes current instead, with its samples.
TEST_F(ProjectFileTest, ALoadMakesASetOfTheFileCurrent)
{
    RecordAndSave(0, {10});
    RecordAndSave(2, {30});
    const std::string two = folder.File("two.vrd");
    ASSERT_EQ(project.SaveProjectAs(two), ProjectResult::Ok);
    RecordAndSave(3, {40});

    ASSERT_EQ(project.OpenProject(two), ProjectResult::Ok);
    EXPECT_EQ(block->currentIndex, 2);
    ExpectSamples(*samples, 2, {30});
    block->currentIndex = -1;
    ASSERT_EQ(project.LoadProject(), ProjectResult::Ok);
    EXPECT_EQ(block->currentIndex, 2);

    // A set made but not recorded into yet is a set of the file: it stays current.
    block->currentIndex = 1;
    block->records[1].dataSetSerial = kSerialBase + 1;
    ASSERT_EQ(project.SaveProject(), ProjectResult::Ok);
    ASSERT_EQ(project.LoadProject(), ProjectResult::Ok);
    EXPECT_EQ(block->currentIndex, 1);
    // With none recorded, the last one made.
    const std::string made = folder.File("made.vrd");
    block->records[0] = block->records[1];
    block->records[0].dataSetSerial = kSerialBase;
    block->records[2] = block->records[1];
    block->records[2].dataSetSerial = 0;
    block->records[3] = block->records[2];
    block->currentIndex = 0;
    ASSERT_EQ(project.SaveProjectFile(made, SaveMode::New), ProjectResult::Ok);
    block->currentIndex = 3;
    ASSERT_EQ(project.LoadProjectFile(made), ProjectResult::Ok);
    EXPECT_EQ(block->currentIndex, 1);
}

TEST_F(ProjectFileTest, OpeningABadFileLeavesTheWorkingCopyAlone)
{
    RecordAndSave(0, {64});
    const auto working = Working();
    auto bad = working;
    PutWord<uint32_t>(bad, 0, 0x12345679);
    WriteBytes(folder.File("magic.vrd"), bad);
    bad = working;
    PutWord<int32_t>(bad, 8, 1);
    WriteBytes(folder.File("version.vrd"), bad);
    bad = working;
    bad.resize(525511);
    WriteBytes(folder.File("short.vrd"), bad);

    EXPECT_EQ(project.OpenProject(folder.File("magic.vrd")), ProjectResult::NotAProject);
    EXPECT_EQ(project.OpenProject(folder.File("version.vrd")), ProjectResult::NotAProject);
    EXPECT_EQ(project.OpenProject(folder.File("short.vrd")), ProjectResult::NotAProject);
    EXPECT_EQ(project.OpenProject(folder.File("missing.vrd")), ProjectResult::OpenFailed);
    EXPECT_EQ(Working(), working);
}

TEST_F(ProjectFileTest, OpeningAReadOnlyFileGivesAWritableWorkingCopy)
{
    RecordAndSave(0, {64});
    const std::string source = folder.File("readonly.vrd");
    WriteBytes(source, Working());
    ASSERT_EQ(::chmod(source.c_str(), 0444), 0);
    ASSERT_EQ(project.NewProject(u"P", {}), ProjectResult::Ok);

    ASSERT_EQ(project.OpenProject(source), ProjectResult::Ok);
    struct stat st {};
    ASSERT_EQ(::stat(project.WorkingPath().c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IWUSR);
    EXPECT_TRUE(st.st_mode & S_IRUSR);
    EXPECT_EQ(project.SaveProject(), ProjectResult::Ok);
    EXPECT_EQ(ReadBytes(source).size(), 525512u + 512u);
}

TEST_F(ProjectFileTest, FailuresAreReportedAndReplaceNothing)
{
    // A path that exists but cannot be opened as a file is neither recreated nor truncated.
    const std::string folderPath = folder.File("a-folder");
    std::filesystem::create_directories(folderPath + "/inside");
    EXPECT_EQ(project.SaveProjectFile(folderPath, SaveMode::Current), ProjectResult::OpenFailed);
    EXPECT_TRUE(std::filesystem::is_directory(folderPath + "/inside"));
    EXPECT_EQ(project.SaveProjectAs(folder.File("empty.vrd")), ProjectResult::NothingToSave);

    RecordAndSave(0, {1000, 1000});
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_EQ(project.SaveProjectFile("/dev/full", SaveMode::Current), ProjectResult::IoError);
    }

    const std::string target = folder.File("mine.vrd");
    WriteBytes(target, std::vector<uint8_t>(3 << 20, 0xEE));   // longer than the project
    ASSERT_EQ(project.SaveProjectAs(target), ProjectResult::Ok);
    EXPECT_EQ(ReadBytes(target), Working());
    EXPECT_EQ(project.SaveProjectAs(folder.File("no-such-folder/x.vrd")), ProjectResult::IoError);
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        ++entries;
    EXPECT_EQ(entries, 3);   // the working copy, the folder and the saved file: no temporaries
}

// A full disk, stood in for by a limit on the size of files this process may write.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    sighandler_t previousHandler_;
};

TEST_F(ProjectFileTest, AFullDiskIsReportedAndLosesNothingStored)
{
    RecordAndSave(0, {100});
    RecordAndSave(1, {3000});
    const std::string target = folder.File("saved.vrd");
    ASSERT_EQ(project.SaveProjectAs(target), ProjectResult::Ok);
    const auto saved = ReadBytes(target);
    // The failed save leaves the working copy as it was: set 0's stored copy is not moved over
    // before its new one is in place.
    const auto before = Working();
    // Set 0 recorded again, longer: it no longer fits in front of set 1 and goes behind it.
    block->currentIndex = 0;
    StopInto(*block, *samples, 0, {200});
    for (size_t room : {size_t(0), size_t(500)}) {
        FileSizeLimit full(before.size() + room);
        EXPECT_EQ(project.SaveProject(), ProjectResult::IoError);
    }
    // Not even a partial append is left behind the data.
    EXPECT_EQ(Working(), before);
    // The new run the disk could not take is held, and comes back from memory.
    EXPECT_TRUE(project.HoldsUnsavedRun());
    ASSERT_EQ(project.LoadProject(), ProjectResult::Ok);
    ExpectSamples(*samples, 0, {200});
    {
        FileSizeLimit full(1000);
        EXPECT_EQ(project.SaveProjectAs(target), ProjectResult::IoError);
    }
    EXPECT_EQ(ReadBytes(target), saved);
    block->currentIndex = 1;
    ASSERT_EQ(project.LoadProject(), ProjectResult::Ok);
    ExpectSamples(*samples, 1, {3000});
}

// A run the working copy cannot take (its disk full) is held in memory: visiting the other sets
// and coming back finds it, a save elsewhere writes it, and the next save that works stores it.
TEST_F(ProjectFileTest, ARunTheWorkingCopyCannotTakeIsHeldUntilItIsStored)
{
    RecordAndSave(0, {100});
    RecordAndSave(1, {300, 50});
    const auto before = Working();
    block->currentIndex = 2;
    StopInto(*block, *samples, 2, {400});
    platform::CopyToFullField(block->records[2].title, u"Held");
    // Room for part of the run only: the write fails part way.
    project::fileio::SetWriteFault(ENOSPC, folder.Path().string(), 2000);
    EXPECT_EQ(project.SaveProject(), ProjectResult::IoError);
    EXPECT_TRUE(project.HoldsUnsavedRun());
    EXPECT_EQ(Working(), before) << "no partial tail";

    // The other sets are visited (as CSV export does) without giving the held run up.
    for (int k : {0, 1, 2}) {
        block->currentIndex = k;
        ASSERT_EQ(project.LoadProject(), ProjectResult::Ok) << k;
        ExpectSamples(*samples, k, k == 0 ? std::vector<int32_t>{100} : k == 1 ? std::vector<int32_t>{300, 50}
                                                                               : std::vector<int32_t>{400});
    }
    EXPECT_EQ(RunTitle(block->records[2]), u"Held");
    // While another set is current, nothing may write a head that pairs the held record with
    // older samples.
    block->currentIndex = 0;
    project::fileio::SetWriteFault(0);
    EXPECT_EQ(project.SaveProject(), ProjectResult::IoError);
    EXPECT_EQ(Working(), before);

    // Saved elsewhere from memory, on another disk, while the data folder is still full.
    TempFolder stick;
    project::fileio::SetWriteFault(ENOSPC, folder.Path().string());
    const std::string elsewhere = stick.File("saved.vrd");
    ASSERT_EQ(project.SaveProjectAs(elsewhere), ProjectResult::Ok);
    EXPECT_FALSE(project.HoldsUnsavedRun());
    EXPECT_TRUE(project.HoldsRun());
    project::fileio::SetWriteFault(0);
    {
        auto otherBlock = std::make_unique<ExperimentBlock>();
        auto otherSamples = std::make_unique<SampleArrays>();
        ProjectFile other(*otherBlock, *otherSamples, stick.Path().string());
        for (int k : {0, 1, 2}) {
            otherBlock->currentIndex = k;
            ASSERT_EQ(other.LoadProjectFile(elsewhere), ProjectResult::Ok);
        }
        ExpectSamples(*otherSamples, 2, {400});
        EXPECT_EQ(RunTitle(otherBlock->records[2]), u"Held");
    }

    // Room again: the next save of the held set stores it, and nothing is held any more.
    block->currentIndex = 2;
    ASSERT_EQ(project.LoadProject(), ProjectResult::Ok);
    ASSERT_EQ(project.SaveProject(), ProjectResult::Ok);
    EXPECT_FALSE(project.HoldsRun());
    EXPECT_EQ(RecordOf(Working())->dataSize[2], 3200);
    // A new project gives a held run up with everything else.
    block->currentIndex = 2;
    StopInto(*block, *samples, 2, {10});
    project::fileio::SetWriteFault(ENOSPC, folder.Path().string());
    EXPECT_EQ(project.SaveProject(), ProjectResult::IoError);
    EXPECT_TRUE(project.HoldsRun());
    project::fileio::SetWriteFault(0);
    ASSERT_EQ(project.NewProject(u"Next", {}), ProjectResult::Ok);
    EXPECT_FALSE(project.HoldsRun());
}

// The data folder moved away while a run is held: a plain save as fails (the other sets' samples
// are out of reach), and the last-resort save keeps what memory holds, marking the rest unused.
TEST_F(ProjectFileTest, AHeldRunIsStillWrittenWhenTheWorkingCopyIsOutOfReach)
{
    RecordAndSave(0, {100});
    block->currentIndex = 1;
    StopInto(*block, *samples, 1, {400});
    project::fileio::SetWriteFault(ENOSPC, folder.Path().string());
    ASSERT_EQ(project.SaveProject(), ProjectResult::IoError);
    project::fileio::SetWriteFault(0);
    ASSERT_TRUE(project.HoldsUnsavedRun());
    std::filesystem::remove(project.WorkingPath());

    TempFolder rescue;
    const std::string path = rescue.File("rescued.vrd");
    EXPECT_NE(project.SaveProjectAs(path), ProjectResult::Ok);
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_EQ(project.SaveProjectAs(path, ProjectFile::SetsOutOfReach::Left), ProjectResult::Ok);
    EXPECT_FALSE(project.HoldsUnsavedRun());

    auto otherBlock = std::make_unique<ExperimentBlock>();
    auto otherSamples = std::make_unique<SampleArrays>();
    ProjectFile other(*otherBlock, *otherSamples, rescue.Path().string());
    otherBlock->currentIndex = 1;
    ASSERT_EQ(other.LoadProjectFile(path), ProjectResult::Ok);
    EXPECT_EQ(otherBlock->records[0].inUse, 0) << "the set memory did not hold is left out";
    ASSERT_NE(otherBlock->records[1].inUse, 0);
    ExpectSamples(*otherSamples, 1, {400});
}

}  // namespace
