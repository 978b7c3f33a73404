#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

#include "logger/project/WorkingCopySession.h"
#include "tests/support/ProjectTestSupport.h"

using namespace logger;
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
