// What goes wrong in a lesson, each through the program's windows: the logger unplugged during a
// run, a logger that falls silent for a while, a reply lost while a sensor is identified, a full
// disk, the program killed, a second program started. Nothing recorded may be lost, and the user
// is told what happened.
#include "tests/lesson/Classroom.h"

#include "devicelink/sensor/PowerTimeouts.h"
#include "logger/measure/CMeasurmentDlg.h"
#include "logger/project/FileIo.h"
#include "logger/project/ProjectFile.h"
#include "logger/projectmgr/core/ProjectTexts.h"
#include "logger/shell/core/ShellTexts.h"
#include "platform/RegistryStore.h"

#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace lesson {
namespace {

using measure::CMeasurmentDlg;

constexpr int kProbe = 2;
constexpr int kTextSensorRemoved = 2053;
constexpr int kTextCheckCables = 2067;
constexpr int kTextRunNotSaved = 2826;

// A program of the suite run as its own process in `folder`, its standard output and error read
// through a pipe; killed if it is still there when the object goes.
class Process {
public:
    Process(const std::string& program, const fs::path& folder)
    {
        int out[2];
        if (::pipe(out) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(out[1], STDERR_FILENO);
            ::close(out[0]);
            if (::chdir(folder.c_str()) == 0)
                ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        output_ = out[0];
    }
    ~Process()
    {
        if (pid_ > 0 && status_ < 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (output_ >= 0)
            ::close(output_);
    }
    // Waits (running the event loop) until the output holds `text`; false when the process ended
    // or the time ran out first.
    bool WaitForOutput(const std::string& text, int timeoutMs)
    {
        return LookUntil([&] { return Read(), output.find(text) != std::string::npos || Ended(); }, timeoutMs) &&
               output.find(text) != std::string::npos;
    }
    // Waits for the end; the exit status, or -1.
    int WaitForExit(int timeoutMs)
    {
        LookUntil([&] { return Read(), Ended(); }, timeoutMs);
        Read();
        return status_ >= 0 && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }
    void Kill()
    {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status_, 0);
    }

    std::string output;

private:
    void Read()
    {
        char buffer[4096];
        pollfd p{output_, POLLIN, 0};
        while (output_ >= 0 && ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(output_, buffer, sizeof buffer);
            if (n <= 0)
                break;
            output.append(buffer, size_t(n));
        }
    }
    bool Ended() { return status_ >= 0 || (pid_ > 0 && ::waitpid(pid_, &status_, WNOHANG) == pid_); }

    pid_t pid_ = -1;
    int output_ = -1;
    int status_ = -1;
};

class Faults : public Classroom {
protected:
    void TearDown() override
    {
        project::fileio::SetWriteFault(0);
        Classroom::TearDown();
    }
    // A timed run of the probe at 50 Hz, started.
    void StartRun(int seconds)
    {
        GoTo(kMenuMeasurement);
        ASSERT_TRUE(WaitForText(Front(), QStringLiteral("Run 1")));
        SwitchOn({kProbe});
        SetUpRun(kTextTimed, QStringLiteral("50"), QString::number(seconds));
        Click(CMeasurmentDlg::kStart);
    }
    // A two-second run that ends with the data folder's disk full (`room` bytes left): the
    // program says the working project could not take it; what it said.
    QString HoldARun(int64_t room = 0)
    {
        StartProgram(kClassroomReady);
        StartRun(2);
        project::fileio::SetWriteFault(ENOSPC, data.string(), room);
        const QString told = AnswerBox(Text(kTextRunNotSaved), {}, kOk, 10000);
        EXPECT_FALSE(told.isEmpty());
        EXPECT_TRUE(WaitForText(Front(), QStringLiteral("00:00:02")));
        return told;
    }
    // The samples of the first data set, as its CSV file holds them.
    int RecordedSamples(const std::string& name)
    {
        GoTo(kMenuProjects);
        fs::create_directories(documents / name);
        FileCommand(projectmgr::kTextMenuCsv, documents / name / "run.csv", projectmgr::kTextMenuSaveOther);
        return int(CsvLines(documents / name / "run_1.csv").size()) - 3;
    }
    // After a restart: the last session's project, kept in the file the start-up notice names,
    // opened; the file's name.
    QString OpenKeptProject()
    {
        const QRegularExpressionMatch kept =
            QRegularExpression(QStringLiteral("temp_project-\\d{8}-\\d{6}\\.vrd")).match(startNotices.join(QString()));
        EXPECT_TRUE(kept.hasMatch()) << startNotices.join(QString()).toStdString();
        if (!kept.hasMatch())
            return {};
        GoTo(kMenuProjects);
        FileCommand(projectmgr::kTextMenuOpen, data / kept.captured().toStdString());
        return kept.captured();
    }
};

TEST_F(Faults, EverySensorPulledDuringARunEndsItWithWhatItRecorded)
{
    StartProgram(kClassroomReady);
    StartRun(10);
    Spin(2000);
    for (int c = 0; c < 4; ++c)
        Console("pull " + std::to_string(c));
    EXPECT_FALSE(AnswerBox(Text(kTextSensorRemoved), {}, kOk, 8000).isEmpty());
    // The run stopped at the pull, kept, and saved.
    ASSERT_TRUE(LookUntil([&] { return !Shows(Front(), QStringLiteral("00:00:00")); }, 3000));
    EXPECT_FALSE(Shows(Front(), QStringLiteral("00:00:10")));
    const int samples = RecordedSamples("pulled");
    EXPECT_GE(samples, 50);
    EXPECT_LT(samples, 400);

    // Plugged in again, the sensors are back on the monitor.
    for (int c = 0; c < 4; ++c)
        Console("replug " + std::to_string(c));
    GoTo(kMenuSensors);
    EXPECT_TRUE(WaitForText(Front(), QStringLiteral("Photogate"), 8000));
}

TEST_F(Faults, TheLoggersCablePulledDuringARunEndsTheProgramAndTheRunComesBack)
{
    StartProgram(kClassroomReady);
    StartRun(10);
    Spin(2000);
    Console("disconnect");
    const QString told = AnswerBox(Text(shell::kTextLoggerLost), {}, kOk, 15000);
    EXPECT_TRUE(Flat(told).contains(Flat(Text(shell::kTextRecordingKept)))) << told.toStdString();
    EXPECT_EQ(WaitForEnd(5000), shell::CVRDMainAppDlg::kExitLoggerLost);

    // The cable back in, the program started again: the run is in the kept project.
    StartProgram(kClassroomReady);
    ASSERT_FALSE(OpenKeptProject().isEmpty());
    const int samples = RecordedSamples("kept");
    EXPECT_GE(samples, 50);
    EXPECT_LT(samples, 500);
}

TEST_F(Faults, ALoggerSilentForAFewSecondsLosesNothing)
{
    StartProgram(kClassroomReady);
    StartRun(6);
    Spin(1000);
    Console("fault 0x10000011 drop times 4");   // four polls unanswered
    ASSERT_TRUE(WaitForText(Front(), QStringLiteral("00:00:06"), 15000));
    EXPECT_TRUE(Running());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "nothing to tell";
    EXPECT_EQ(RecordedSamples("silent"), 300);
    // Answering again, the logger is watched as before.
    Console("pull 1");
    EXPECT_FALSE(AnswerBox(Text(kTextSensorRemoved), {}, kOk, 8000).isEmpty());
}

// The barometer's recipe is the first one detection tries: its reply is the one lost.
TEST_F(Faults, AReplyLostWhileASensorIsIdentifiedIsToldAndPluggingAgainHelps)
{
    StartProgram(kClassroomReady);
    QWidget* monitor = Front();
    ASSERT_TRUE(WaitForText(monitor, QStringLiteral("Barometer")));
    Console("pull 1");
    ASSERT_TRUE(LookUntil([&] {
        return !Shows(monitor, QStringLiteral("Barometer")) && Shows(monitor, QStringLiteral("Photogate"));
    }, 8000));
    Console("fault 0x10000006 drop");
    Console("replug 1");
    EXPECT_FALSE(AnswerBox(Text(kTextCheckCables), {}, kOk, 15000).isEmpty());
    EXPECT_TRUE(Running());
    Console("pull 1");
    ASSERT_TRUE(LookUntil([&] { return Shows(monitor, QStringLiteral("Photogate")); }, 8000));
    Spin(1500);
    Console("replug 1");
    EXPECT_TRUE(WaitForText(monitor, QStringLiteral("Barometer"), 10000));
}

TEST_F(Faults, FullDisksAreToldAndTheRunIsSavedOnceThereIsRoom)
{
    StartProgram(kClassroomReady);
    // The run ends with the data folder's disk full: it stays in the program, which says so.
    project::fileio::SetWriteFault(ENOSPC, data.string());
    StartRun(2);
    EXPECT_FALSE(AnswerBox(Text(kTextRunNotSaved), {}, kOk, 10000).isEmpty());
    ASSERT_TRUE(WaitForText(Front(), QStringLiteral("00:00:02")));
    project::fileio::SetWriteFault(0);

    // Saved to a full memory stick: the save fails, says why and leaves no file behind.
    const fs::path project = documents / "lesson.vrd";
    project::fileio::SetWriteFault(ENOSPC, documents.string());
    GoTo(kMenuProjects);
    const QString told = AnswerBox(Text(projectmgr::OperationTextId(projectmgr::Operation::Save)),
                                   [&] { FileCommand(projectmgr::kTextMenuSave, project); });
    EXPECT_TRUE(Flat(told).contains(Flat(Text(projectmgr::ReasonTextId(project::ProjectResult::IoError)))))
        << told.toStdString();
    EXPECT_TRUE(fs::is_empty(documents)) << "no half-written file";

    // Room on the stick: the project is saved with the whole run.
    project::fileio::SetWriteFault(0);
    FileCommand(projectmgr::kTextMenuSave, project);
    ASSERT_TRUE(fs::exists(project));
    EXPECT_EQ(RecordedSamples("saved"), 100);
}

// A project file's set 0 as its head describes it: in use and its samples whole, with nothing
// behind the data. The size of those samples, or -1.
int64_t StoredFirstSet(const fs::path& file)
{
    const std::string bytes = Pupil::Bytes(file);
    if (bytes.size() < size_t(project::kDataAreaOffset))
        return -1;
    auto head = std::make_unique<project::ProjectRecord>();
    std::memcpy(head.get(), bytes.data() + project::kProjectRecordOffset, sizeof *head);
    int64_t end = project::kDataAreaOffset;
    for (int k = 0; k < project::kRunCount; ++k) {
        if (head->dataSize[k] > 0)
            end = std::max<int64_t>(end, int64_t(head->dataOffset[k]) + head->dataSize[k]);
    }
    if (int64_t(bytes.size()) != end || head->block.records[0].inUse == 0)
        return -1;
    return head->dataSize[0];
}

// The data folder's disk nearly full as a run ends: the run is held in memory, the working copy
// keeps nothing of the part that fitted, and the run is saved and exported elsewhere.
TEST_F(Faults, ARunTheWorkingCopyCannotTakeIsSavedAndExportedElsewhere)
{
    const QString told = HoldARun(300);
    EXPECT_TRUE(Flat(told).contains(Flat(Text(projectmgr::ReasonTextId(project::ProjectResult::IoError)))))
        << told.toStdString();
    EXPECT_EQ(StoredFirstSet(data / "temp_project.vrd"), -1) << "the run is not stored";
    const std::string working = Bytes(data / "temp_project.vrd");
    EXPECT_EQ(working.size(), size_t(project::kDataAreaOffset)) << "no partial tail";

    // Still full: the project is saved on another disk, and exported, from memory.
    const fs::path project = documents / "held.vrd";
    GoTo(kMenuProjects);
    FileCommand(projectmgr::kTextMenuSave, project);
    EXPECT_GT(StoredFirstSet(project), 0);
    EXPECT_EQ(RecordedSamples("held"), 100);
    EXPECT_EQ(Bytes(data / "temp_project.vrd"), working);

    // Room again: the working copy takes the run at the next save.
    project::fileio::SetWriteFault(0);
    GoTo(kMenuMeasurement);
    GoTo(kMenuProjects);
    EXPECT_EQ(StoredFirstSet(data / "temp_project.vrd"), StoredFirstSet(project));
}

// Quitting with a run held only in memory asks first: staying keeps it, and saving it elsewhere
// lets the program close.
TEST_F(Faults, QuittingWithARunHeldOnlyInMemoryAsksFirst)
{
    HoldARun();

    // The question as the user sees it, kept when pictures are asked for.
    QTimer picture;
    QObject::connect(&picture, &QTimer::timeout, [&] {
        QWidget* box = QApplication::activeModalWidget();
        const char* folder = std::getenv("CORVIK_PICTURES_DIR");
        if (folder && box && box->isVisible() && Flat(ShownText(box)).contains(Flat(Text(shell::kTextAskSaveHeldRun)))) {
            box->grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/quit_with_held_run.png"));
            picture.stop();
        }
    });
    picture.start(1);
    // The second question comes while the first one's answer is still being taken: it is
    // looked for from the start.
    EXPECT_FALSE(AnswerBox(Text(shell::kTextAskDropHeldRun), [&] {
        EXPECT_FALSE(AnswerBox(Text(shell::kTextAskSaveHeldRun), [&] { GoTo(kMenuQuit); }, kCancel).isEmpty());
    }, kCancel).isEmpty());
    Spin(300);
    ASSERT_TRUE(Running()) << "the program stays with the run";

    const fs::path project = documents / "before-closing.vrd";
    EXPECT_TRUE(Answer("QFileDialog", [&] {
        EXPECT_FALSE(AnswerBox(Text(shell::kTextAskSaveHeldRun), [&] { GoTo(kMenuQuit); }, kOk).isEmpty());
    }, [&](QWidget& d) { ChooseFile(d, QString::fromStdString(project.string())); }));
    EXPECT_EQ(WaitForEnd(10000), shell::CVRDMainAppDlg::kExitOk);
    EXPECT_GT(StoredFirstSet(project), 0);
}

// A lost logger asks nothing: the held run goes to the user's data folder, and the box says where.
TEST_F(Faults, ALostLoggerWritesAHeldRunToTheUsersFolder)
{
    HoldARun();

    Console("disconnect");
    const QString told = AnswerBox(Text(shell::kTextLoggerLost), {}, kOk, 15000);
    EXPECT_TRUE(Flat(told).contains(Flat(Text(shell::kTextHeldRunSaved)))) << told.toStdString();
    EXPECT_EQ(WaitForEnd(5000), shell::CVRDMainAppDlg::kExitLoggerLost);
    const fs::path userFolder = folder / "user" / "corvik";
    int kept = 0;
    for (const auto& entry : fs::directory_iterator(userFolder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("temp_project-", 0) == 0 && entry.path().extension() == ".vrd") {
            ++kept;
            EXPECT_TRUE(Flat(told).contains(QString::fromStdString(name))) << told.toStdString();
            EXPECT_GT(StoredFirstSet(entry.path()), 0);
        }
    }
    EXPECT_EQ(kept, 1);
}

// The run comes back, and so do the machine's suspend time-outs, which the killed program had
// switched off.
TEST_F(Faults, AKilledProgramsRunsComeBackWhenItStartsAgain)
{
    platform::IniRegistryStore machine(folder / "settings");
    const auto suspend = [&](const char* name) {
        uint32_t seconds = 0xDEAD;
        machine.ReadDword(platform::RegistryRoot::LocalMachine, devicelink::kPowerTimeoutsKey, name, seconds);
        return seconds;
    };
    ASSERT_TRUE(machine.WriteDword(platform::RegistryRoot::LocalMachine, devicelink::kPowerTimeoutsKey,
                                   devicelink::kBatterySuspendValue, 300));
    ASSERT_TRUE(machine.WriteDword(platform::RegistryRoot::LocalMachine, devicelink::kPowerTimeoutsKey,
                                   devicelink::kMainsSuspendValue, 600));
    ::setenv("LESSON_DATA", data.c_str(), 1);
    Process pupil(LESSON_PUPIL_PATH, data);
    ASSERT_TRUE(pupil.WaitForOutput("recorded", 60000)) << pupil.output;
    pupil.Kill();
    EXPECT_EQ(suspend(devicelink::kBatterySuspendValue), 0u) << "switched off while it ran";
    EXPECT_EQ(suspend(devicelink::kHeldBatterySuspendValue), 300u);

    StartProgram(kClassroomReady);
    ASSERT_FALSE(OpenKeptProject().isEmpty());
    EXPECT_EQ(RecordedSamples("kept"), 100);
    EXPECT_EQ(suspend(devicelink::kMainsSuspendValue), 0u) << "switched off again while this one runs";
    EXPECT_EQ(QuitProgram(), shell::CVRDMainAppDlg::kExitOk);
    EXPECT_EQ(suspend(devicelink::kBatterySuspendValue), 300u);
    EXPECT_EQ(suspend(devicelink::kMainsSuspendValue), 600u);
    EXPECT_EQ(suspend(devicelink::kHeldBatterySuspendValue), 0xDEADu);
}

TEST_F(Faults, ASecondProgramIsRefusedAndLeavesTheFirstAlone)
{
    StartProgram(kClassroomReady);
    StartRun(2);
    ASSERT_TRUE(WaitForText(Front(), QStringLiteral("00:00:02"), 10000));
    const std::string workingCopy = Bytes(data / "temp_project.vrd");

    Process second(PLOVEX_LOGGER_PATH, data);
    EXPECT_EQ(second.WaitForExit(20000), shell::CVRDMainAppDlg::kExitStartFailed);
    EXPECT_NE(second.output.find(Text(projectmgr::kTextSecondInstance).toStdString()), std::string::npos)
        << second.output;
    EXPECT_EQ(Bytes(data / "temp_project.vrd"), workingCopy);
    // The first goes on with its logger.
    Console("pull 1");
    EXPECT_FALSE(AnswerBox(Text(kTextSensorRemoved), {}, kOk, 8000).isEmpty());
    EXPECT_EQ(RecordedSamples("first"), 100);
}

TEST_F(Faults, ASecondCopyFromAnotherFolderIsToldTheLoggerIsInUse)
{
    StartProgram(kClassroomReady);
    const fs::path otherData = folder / "other-data";
    fs::create_directories(otherData);
    for (const fs::directory_entry& entry : fs::directory_iterator(data))
        if (entry.is_symlink())
            fs::create_symlink(fs::read_symlink(entry.path()), otherData / entry.path().filename());

    Process second(PLOVEX_LOGGER_PATH, otherData);
    EXPECT_EQ(second.WaitForExit(20000), shell::CVRDMainAppDlg::kExitStartFailed);
    EXPECT_NE(second.output.find(Text(shell::kTextLoggerInUse).toStdString()), std::string::npos) << second.output;
    EXPECT_EQ(second.output.find(Text(shell::kTextNoLogger).toStdString()), std::string::npos) << second.output;
    // The first keeps its logger.
    Console("pull 1");
    EXPECT_FALSE(AnswerBox(Text(kTextSensorRemoved), {}, kOk, 8000).isEmpty());
}

}  // namespace
}  // namespace lesson
