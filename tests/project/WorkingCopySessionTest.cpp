#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <set>

#include <gtest/gtest.h>

#include "logger/project/WorkingCopySession.h"
#include "tests/support/ProjectTestSupport.h"

using namespace project;
using namespace projecttest;

namespace {

namespace fs = std::filesystem;

constexpr ProjectTime kNow{2026, 12, 9, 5, 40, 7};

class WorkingCopySessionTest : public ::testing::Test {
protected:
    std::string Data() const { return (data.Path() / "share").string(); }
    std::string User() const { return (user.Path() / "corvik").string(); }
    std::string Working() const { return (fs::path(Data()) / ProjectFile::kWorkingName).string(); }

    // What a session of the program leaves when it is killed: a working copy with a recording.
    void LeaveRecording(const std::string& folder)
    {
        auto block = std::make_unique<ExperimentBlock>();
        auto samples = std::make_unique<SampleArrays>();
        ProjectFile project(*block, *samples, folder);
        ASSERT_EQ(project.NewProject(u"Lesson", kNow), ProjectResult::Ok);
        StopInto(*block, *samples, 0, {500, 500});
        ASSERT_EQ(project.SaveProject(), ProjectResult::Ok);
    }

    void SetUp() override { fs::create_directories(Data()); }

    TempFolder data;
    TempFolder user;
};

TEST_F(WorkingCopySessionTest, TheDataFolderIsLockedForTheProgramsLife)
{
    WorkingCopySession first;
    const WorkingCopyStart start = first.Begin(Data(), User(), kNow);
    ASSERT_EQ(start.status, WorkingCopyStatus::Ready);
    EXPECT_EQ(start.folder, Data());
    EXPECT_EQ(start.workingPath, Working());
    EXPECT_FALSE(start.inUserFolder);
    EXPECT_TRUE(start.backupPath.empty());
    EXPECT_TRUE(first.Active());

    // A second instance is refused and touches nothing; once the first ends it may start.
    LeaveRecording(Data());
    const auto bytes = ReadBytes(Working());
    WorkingCopySession second;
    EXPECT_EQ(second.Begin(Data(), User(), kNow).status, WorkingCopyStatus::InUse);
    EXPECT_FALSE(second.Active());
    EXPECT_EQ(ReadBytes(Working()), bytes);
    EXPECT_FALSE(fs::exists(User()));
    first.End();
    EXPECT_EQ(second.Begin(Data(), User(), kNow).status, WorkingCopyStatus::Ready);
}

TEST_F(WorkingCopySessionTest, AnotherProcessIsRefused)
{
    WorkingCopySession session;
    ASSERT_EQ(session.Begin(Data(), User(), kNow).status, WorkingCopyStatus::Ready);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        WorkingCopySession other;
        _exit(int(other.Begin(Data(), User(), kNow).status));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), int(WorkingCopyStatus::InUse));
}

TEST_F(WorkingCopySessionTest, AKilledSessionsRecordingIsKeptAsADatedBackup)
{
    LeaveRecording(Data());
    const auto left = ReadBytes(Working());
    {
        WorkingCopySession session;
        const WorkingCopyStart start = session.Begin(Data(), User(), kNow);
        ASSERT_EQ(start.status, WorkingCopyStatus::Ready);
        EXPECT_EQ(start.backupPath, (fs::path(Data()) / "temp_project-20261209-054007.vrd").string());
        EXPECT_EQ(ReadBytes(start.backupPath), left);
        EXPECT_FALSE(fs::exists(Working()));
    }
    // The next one left at the same second does not replace the first backup.
    LeaveRecording(Data());
    WorkingCopySession session;
    const WorkingCopyStart start = session.Begin(Data(), User(), kNow);
    EXPECT_EQ(start.backupPath, (fs::path(Data()) / "temp_project-20261209-054007-2.vrd").string());
    EXPECT_EQ(ReadBytes((fs::path(Data()) / "temp_project-20261209-054007.vrd").string()), left);
}

// A school year of crashes: each start keeps the last session's project, and only the newest
// backups stay; files that are not the program's backups are never touched.
TEST_F(WorkingCopySessionTest, OnlyTheNewestBackupsStay)
{
    const fs::path folder = Data();
    const auto aged = [&](const std::string& name, int hoursOld) {
        WriteBytes((folder / name).string(), {1, 2, 3});
        fs::last_write_time(folder / name, fs::file_time_type::clock::now() - std::chrono::hours(hoursOld));
    };
    for (int i = 0; i < 12; ++i)
        aged("temp_project-202601" + std::to_string(10 + i) + "-080000.vrd", 100 - i);  // day 10 the oldest
    aged("temp_project-backup.vrd", 200);
    aged("temp_project-mine.vrd", 300);  // the teacher's own name
    aged("temp_project-20250101-000000.txt", 300);
    WriteBytes((data.Path() / "elsewhere.vrd").string(), {4});
    fs::create_symlink(data.Path() / "elsewhere.vrd", folder / "temp_project-20240101-000000.vrd");

    LeaveRecording(Data());
    WorkingCopySession session;
    WorkingCopyStart start = session.Begin(Data(), User(), kNow);
    ASSERT_EQ(start.status, WorkingCopyStatus::Ready);
    ASSERT_FALSE(start.backupPath.empty());
    EXPECT_EQ(start.removedBackups, 4);
    std::set<std::string> left;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        left.insert(entry.path().filename().string());
    for (const char* gone : {"temp_project-backup.vrd", "temp_project-20260110-080000.vrd",
                             "temp_project-20260111-080000.vrd", "temp_project-20260112-080000.vrd"})
        EXPECT_EQ(left.count(gone), 0u) << gone;
    for (const char* kept : {"temp_project-20260113-080000.vrd", "temp_project-20260121-080000.vrd",
                             "temp_project-20261209-054007.vrd", "temp_project-mine.vrd",
                             "temp_project-20250101-000000.txt", "temp_project-20240101-000000.vrd"})
        EXPECT_EQ(left.count(kept), 1u) << kept;
    EXPECT_TRUE(fs::exists(data.Path() / "elsewhere.vrd"));

    // Every later crash keeps its own and still leaves ten; a start without one removes nothing.
    for (int crash = 0; crash < 4; ++crash) {
        session.End();
        LeaveRecording(Data());
        start = session.Begin(Data(), User(), {2026, 12, 10, 9, 0, uint8_t(crash)});
        ASSERT_FALSE(start.backupPath.empty());
        EXPECT_TRUE(fs::exists(start.backupPath));
        EXPECT_EQ(start.removedBackups, 1);
    }
    session.End();
    EXPECT_EQ(session.Begin(Data(), User(), kNow).removedBackups, 0);
    int backups = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        backups += IsBackupName(entry.path().filename().string()) && !entry.is_symlink() ? 1 : 0;
    EXPECT_EQ(backups, WorkingCopySession::kKeptBackups);
}

TEST(BackupNames, AreTheOnesTheStartUpGives)
{
    for (const char* name : {"temp_project-20261209-054007.vrd", "temp_project-20261209-054007-2.vrd",
                             "temp_project-backup.vrd", "temp_project-backup-13.vrd"})
        EXPECT_TRUE(IsBackupName(name)) << name;
    for (const char* name : {"temp_project.vrd", "temp_project-.vrd", "temp_project-mine.vrd",
                             "temp_project-2026120-054007.vrd", "temp_project-20261209-054007-.vrd",
                             "temp_project-20261209-054007-x.vrd", "temp_project-backupx.vrd",
                             "temp_project-20261209-054007.vrd.lock", "Temp_project-backup.vrd"})
        EXPECT_FALSE(IsBackupName(name)) << name;
}

TEST_F(WorkingCopySessionTest, OnlyWhatHoldsDataIsKept)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool kept;
    };
    auto block = std::make_unique<ExperimentBlock>();
    auto samples = std::make_unique<SampleArrays>();
    ProjectFile project(*block, *samples, data.Path().string());
    ASSERT_EQ(project.NewProject(u"Empty", kNow), ProjectResult::Ok);
    const auto empty = ReadBytes(project.WorkingPath());
    platform::CopyToFullField(project.Record().note.text, u"Bring goggles");
    project.Record().note.textLength = 13;
    ASSERT_EQ(project.SaveProject(), ProjectResult::Ok);
    const auto noted = ReadBytes(project.WorkingPath());

    const Case cases[] = {
        {"a new, empty project", empty, false},
        {"an empty file", {}, false},
        {"a project note", noted, true},
        {"something that is no project", std::vector<uint8_t>(4000, 0x41), true},
        {"a project cut inside its head", std::vector<uint8_t>(empty.begin(), empty.begin() + 600000 / 2), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(Data());
        fs::create_directories(Data());
        WriteBytes(Working(), c.bytes);
        EXPECT_EQ(WorkingCopyHoldsData(Working()), c.kept);
        WorkingCopySession session;
        const WorkingCopyStart start = session.Begin(Data(), User(), kNow);
        ASSERT_EQ(start.status, WorkingCopyStatus::Ready);
        EXPECT_EQ(!start.backupPath.empty(), c.kept);
        if (c.kept) {
            EXPECT_EQ(ReadBytes(start.backupPath), c.bytes);
        }
    }
}

TEST_F(WorkingCopySessionTest, AFolderThatCannotBeWrittenGivesTheUsersDataFolder)
{
    const std::string missing = (data.Path() / "not-there").string();
    std::vector<std::string> unusable = {missing, Working() + ".file"};
    WriteBytes(unusable.back(), {1, 2, 3});
    if (::geteuid() != 0) {
        // Permissions bind only a user other than root.
        const std::string readOnly = (data.Path() / "read-only").string();
        fs::create_directories(readOnly);
        ::chmod(readOnly.c_str(), 0555);
        unusable.push_back(readOnly);
    }
    for (const std::string& folder : unusable) {
        SCOPED_TRACE(folder);
        WorkingCopySession session;
        const WorkingCopyStart start = session.Begin(folder, User(), kNow);
        ASSERT_EQ(start.status, WorkingCopyStatus::Ready);
        EXPECT_TRUE(start.inUserFolder);
        EXPECT_EQ(start.folder, User());
        EXPECT_TRUE(fs::is_directory(User()));
        EXPECT_EQ(ProcessWorkingCopy().Active(), false);
    }
    WorkingCopySession session;
    EXPECT_EQ(session.Begin(missing, "", kNow).status, WorkingCopyStatus::NoFolder);
    // A user folder that cannot be made: its parent is a file.
    EXPECT_EQ(session.Begin(missing, Working() + ".file/corvik", kNow).status, WorkingCopyStatus::NoFolder);
}

TEST_F(WorkingCopySessionTest, TheProcessSessionNamesTheWorkingCopyFolder)
{
    EXPECT_EQ(WorkingCopyFolder("/fallback"), "/fallback");
    ASSERT_EQ(ProcessWorkingCopy().Begin(Data(), User(), kNow).status, WorkingCopyStatus::Ready);
    EXPECT_EQ(WorkingCopyFolder("/fallback"), Data());
    ProcessWorkingCopy().End();
    EXPECT_EQ(WorkingCopyFolder("/fallback"), "/fallback");
}

TEST(UserDataFolder, FollowsXdgDataHome)
{
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string keep = saved ? saved : "";
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("XDG_DATA_HOME", "/srv/xdg", 1);
    EXPECT_EQ(UserDataFolder(), "/srv/xdg/corvik");
    ::setenv("XDG_DATA_HOME", "relative", 1);   // not absolute: ignored, as the XDG rules say
    ::setenv("HOME", "/home/pupil", 1);
    EXPECT_EQ(UserDataFolder(), "/home/pupil/.local/share/corvik");
    ::setenv("HOME", home.c_str(), 1);
    if (saved)
        ::setenv("XDG_DATA_HOME", keep.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
