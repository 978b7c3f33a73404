#include "platform/RegistryStore.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace platform;
namespace fs = std::filesystem;

namespace {

class IniRegistry : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("corvik-reg-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

const char* kPower = "System\\CurrentControlSet\\Control\\Power\\Timeouts";

std::string Slurp(const fs::path& p)
{
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST_F(IniRegistry, ValueRoundTripsAcrossProcesses)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        IniRegistryStore writer(dir_);
        const bool ok = writer.WriteDword(RegistryRoot::LocalMachine, kPower, "BattSuspend", 300) &&
                        writer.WriteString(RegistryRoot::CurrentUser, "Software\\Trevasco", "CORVIKWORKPATH",
                                           u"/home/pupil/실험");
        std::_Exit(ok ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    IniRegistryStore reader(dir_);
    uint32_t value = 0;
    ASSERT_TRUE(reader.ReadDword(RegistryRoot::LocalMachine, kPower, "battsuspend", value));
    EXPECT_EQ(value, 300u);
    std::u16string path;
    ASSERT_TRUE(reader.ReadString(RegistryRoot::CurrentUser, "software/trevasco", "CORVIKWORKPATH", path, 260));
    EXPECT_EQ(path, u"/home/pupil/실험");
    EXPECT_FALSE(reader.ReadDword(RegistryRoot::CurrentUser, kPower, "BattSuspend", value))
        << "the two roots are separate";
}

TEST_F(IniRegistry, ReadsRefuseOversizedAndMistypedValues)
{
    IniRegistryStore store(dir_);
    ASSERT_TRUE(store.WriteString(RegistryRoot::CurrentUser, "Software\\Trevasco", "Name", u"abcd"));
    ASSERT_TRUE(store.WriteBinary(RegistryRoot::CurrentUser, "Software\\Trevasco", "Blob", {1, 2, 3, 4}));
    std::u16string text;
    EXPECT_FALSE(store.ReadString(RegistryRoot::CurrentUser, "Software\\Trevasco", "Name", text, 4));
    EXPECT_TRUE(store.ReadString(RegistryRoot::CurrentUser, "Software\\Trevasco", "Name", text, 5));
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(store.ReadBinary(RegistryRoot::CurrentUser, "Software\\Trevasco", "Blob", bytes, 3));
    EXPECT_TRUE(store.ReadBinary(RegistryRoot::CurrentUser, "Software\\Trevasco", "Blob", bytes, 4));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 2, 3, 4}));
    uint32_t dword = 0;
    EXPECT_FALSE(store.ReadDword(RegistryRoot::CurrentUser, "Software\\Trevasco", "Name", dword));
    EXPECT_TRUE(store.DeleteValue(RegistryRoot::CurrentUser, "Software\\Trevasco", "Name"));
    EXPECT_FALSE(store.ReadString(RegistryRoot::CurrentUser, "Software\\Trevasco", "Name", text, 100));
}

TEST_F(IniRegistry, WriteInterruptedBeforeRenameLeavesOldFileIntact)
{
    IniRegistryStore store(dir_);
    ASSERT_TRUE(store.WriteDword(RegistryRoot::LocalMachine, kPower, "ACSuspend", 60));
    const std::string before = Slurp(store.FileFor(RegistryRoot::LocalMachine));
    store.FailNextWriteBeforeRename();
    EXPECT_FALSE(store.WriteDword(RegistryRoot::LocalMachine, kPower, "ACSuspend", 7200));
    EXPECT_EQ(Slurp(store.FileFor(RegistryRoot::LocalMachine)), before);
    uint32_t value = 0;
    ASSERT_TRUE(store.ReadDword(RegistryRoot::LocalMachine, kPower, "ACSuspend", value));
    EXPECT_EQ(value, 60u);
}

TEST_F(IniRegistry, NamesWithIniSyntaxSurvive)
{
    IniRegistryStore store(dir_);
    ASSERT_TRUE(store.WriteString(RegistryRoot::CurrentUser, "Weird[Key]=x", "a=b%c\nd", u"line1\nline2=%"));
    std::u16string text;
    ASSERT_TRUE(store.ReadString(RegistryRoot::CurrentUser, "Weird[Key]=x", "a=b%c\nd", text, 64));
    EXPECT_EQ(text, u"line1\nline2=%");
}

TEST_F(IniRegistry, NamesStartingWithCommentMarksReadBack)
{
    IniRegistryStore store(dir_);
    ASSERT_TRUE(store.WriteDword(RegistryRoot::CurrentUser, "Software\\Trevasco", "#Runs", 3));
    ASSERT_TRUE(store.WriteDword(RegistryRoot::CurrentUser, "Software\\Trevasco", ";Last", 4));
    uint32_t value = 0;
    EXPECT_TRUE(store.ReadDword(RegistryRoot::CurrentUser, "Software\\Trevasco", "#Runs", value));
    EXPECT_EQ(value, 3u);
    EXPECT_TRUE(store.ReadDword(RegistryRoot::CurrentUser, "Software\\Trevasco", ";Last", value));
    EXPECT_EQ(value, 4u);
}

TEST_F(IniRegistry, StoreThatCannotBeReadIsNotReplaced)
{
    IniRegistryStore store(dir_);
    fs::create_directories(dir_);
    const fs::path file = store.FileFor(RegistryRoot::LocalMachine);
    fs::create_symlink(file.filename(), file);  // a link to itself: there, but never readable
    EXPECT_FALSE(store.WriteDword(RegistryRoot::LocalMachine, kPower, "ACSuspend", 60));
    EXPECT_TRUE(fs::is_symlink(file)) << "a write must not replace values it could not read";
    uint32_t value = 0;
    EXPECT_FALSE(store.ReadDword(RegistryRoot::LocalMachine, kPower, "ACSuspend", value));
    // The other root is unaffected.
    EXPECT_TRUE(store.WriteDword(RegistryRoot::CurrentUser, kPower, "ACSuspend", 60));
}

TEST(MemoryRegistry, HoldsValuesPerRoot)
{
    MemoryRegistryStore store;
    SetProcessRegistry(&store);
    ASSERT_TRUE(ProcessRegistry().WriteDword(RegistryRoot::LocalMachine, "SOFTWARE\\Trevasco\\Plovex", "FullScreen", 1));
    uint32_t value = 0;
    EXPECT_TRUE(store.ReadDword(RegistryRoot::LocalMachine, "software\\trevasco\\plovex", "fullscreen", value));
    EXPECT_EQ(value, 1u);
    EXPECT_FALSE(store.ReadDword(RegistryRoot::CurrentUser, "SOFTWARE\\Trevasco\\Plovex", "FullScreen", value));
    SetProcessRegistry(nullptr);
}
