// The suite installed into an empty prefix: what lands where, and the installed programs started
// from / (where a desktop menu or a terminal starts them), against the simulated logger.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {

constexpr int kWindowWidth = 673;
constexpr int kWindowHeight = 405;

class InstalledSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        prefix_ = new QTemporaryDir;
        ASSERT_TRUE(prefix_->isValid());
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(CORVIK_CMAKE_COMMAND),
                      {QStringLiteral("--install"), QStringLiteral(CORVIK_BINARY_DIR), QStringLiteral("--prefix"),
                       prefix_->path()});
        ASSERT_TRUE(install.waitForFinished(120000));
        ASSERT_EQ(install.exitCode(), 0) << install.readAll().toStdString();
    }
    static void TearDownTestSuite()
    {
        delete prefix_;
        prefix_ = nullptr;
    }
    static QString Installed(const QString& relative) { return QDir(prefix_->path()).filePath(relative); }

    // The environment of a program of the installed suite: the simulated logger over TCP, and the
    // user's settings and working folder in the test's own place.
    QProcessEnvironment Environment(int port) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("CORVIK_TRANSPORT"), QStringLiteral("tcp"));
        env.insert(QStringLiteral("CORVIK_DEVICE_HOST"), QStringLiteral("127.0.0.1"));
        env.insert(QStringLiteral("CORVIK_DEVICE_PORT"), QString::number(port));
        env.insert(QStringLiteral("CORVIK_REGISTRY_DIR"), user_.filePath(QStringLiteral("settings")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), user_.filePath(QStringLiteral("data")));
        return env;
    }
    // The installed simulated logger on a free port; its port.
    int StartLogger()
    {
        devsim_.setProgram(Installed(QStringLiteral("bin/corvik-devsim")));
        devsim_.setArguments({QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--scenario"),
                              Installed(QStringLiteral("share/corvik/devsim/classroom.ini")), QStringLiteral("-v")});
        devsim_.setWorkingDirectory(QStringLiteral("/"));
        devsim_.start();
        if (!devsim_.waitForStarted(10000))
            return 0;
        for (int i = 0; i < 100 && !devsimOut_.contains("listening on"); ++i) {
            devsim_.waitForReadyRead(100);
            devsimOut_ += devsim_.readAllStandardOutput();
        }
        const int at = devsimOut_.indexOf("127.0.0.1:");
        return at < 0 ? 0 : devsimOut_.mid(at + 10).split('\n').front().trimmed().toInt();
    }
    // What the simulated logger logged so far (its -v log goes to the error stream).
    QByteArray LoggerLog()
    {
        devsimLog_ += devsim_.readAllStandardError();
        return devsimLog_;
    }
    void TearDown() override
    {
        for (QProcess* process : {&program_, &devsim_}) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(5000);
            }
        }
    }

    static QTemporaryDir* prefix_;
    QTemporaryDir user_;
    QProcess devsim_;
    QProcess program_;
    QByteArray devsimOut_;
    QByteArray devsimLog_;
};

QTemporaryDir* InstalledSuite::prefix_ = nullptr;

TEST_F(InstalledSuite, HoldsTheProgramsTheLibraryTheDataAndTheRuleButNothingARunLeft)
{
    for (const char* program : {"bin/PlovexLogger", "bin/CorvikFirmwareUpgrade", "bin/corvik-devsim", "bin/xlhost"}) {
        const QFileInfo info(Installed(QString::fromLatin1(program)));
        EXPECT_TRUE(info.isFile() && info.isExecutable()) << program;
    }
    EXPECT_TRUE(QFileInfo(Installed(QStringLiteral("lib/libVRDExcelAddInApp.so"))).isFile());
    EXPECT_TRUE(QFileInfo(Installed(QStringLiteral("lib/udev/rules.d/60-corvik-logger.rules"))).isFile());
    for (const char* data : {"sensor_korean.xml", "CorvikUpgradeString.xml", "report.html",
                             "Corvik_Language_win32_korean.rcc", "bitmap_corvik_win32.rcc", "PlovexLogger_bitmaps.rcc",
                             "VRDExcelAddInApp_bitmaps.rcc", "CorvikFirmwareUpgrade_bitmaps.rcc",
                             "Sensors/Quick Start Guide.html"})
        EXPECT_TRUE(QFileInfo(Installed(QStringLiteral("share/corvik/") + QString::fromLatin1(data))).isFile()) << data;

    QStringList leftovers;
    for (QDirIterator it(prefix_->path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        const QString name = QFileInfo(it.next()).fileName();
        if (name.startsWith(QStringLiteral("temp_project")) || name.endsWith(QStringLiteral(".lock")) ||
            name.endsWith(QStringLiteral(".ini")) && !it.filePath().contains(QStringLiteral("/devsim/")) ||
            name.endsWith(QStringLiteral(".bin")) || name.endsWith(QStringLiteral(".csv")))
            leftovers << it.filePath();
    }
    EXPECT_TRUE(leftovers.isEmpty()) << leftovers.join(QLatin1Char(' ')).toStdString();
}

TEST_F(InstalledSuite, TheMeasurementProgramStartedFromTheRootFindsItsDataAndPollsTheLogger)
{
    const int port = StartLogger();
    ASSERT_GT(port, 0) << devsimOut_.toStdString();
    program_.setProcessEnvironment(Environment(port));
    program_.setWorkingDirectory(QStringLiteral("/"));
    program_.setProcessChannelMode(QProcess::MergedChannels);
    program_.start(Installed(QStringLiteral("bin/PlovexLogger")), {});
    ASSERT_TRUE(program_.waitForStarted(10000));

    // Start-up asks the logger's version; then, with the monitor up, the program keeps asking the
    // state of the sensors once a second. Several more questions after a quiet spell: it polls.
    const auto commands = [this] { return LoggerLog().count("command "); };
    int settled = -1;
    for (int i = 0; i < 300 && program_.state() == QProcess::Running; ++i) {
        QThread::msleep(100);
        const int now = int(commands());
        if (now > 0 && i >= 50) {
            settled = now;
            break;
        }
    }
    ASSERT_EQ(program_.state(), QProcess::Running) << program_.readAll().toStdString();
    ASSERT_GT(settled, 0) << "the program never reached the logger";
    for (int i = 0; i < 60 && commands() < settled + 3; ++i)
        QThread::msleep(100);
    EXPECT_GE(commands(), settled + 3) << LoggerLog().right(2000).toStdString();
    EXPECT_EQ(program_.state(), QProcess::Running) << program_.readAll().toStdString();
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/temp_project.vrd.lock")));
}

// The firmware tool's window, grabbed from an X display of its own; a null picture when there is
// no Xvfb on this machine.
QImage FirmwareWindow(const QString& program, const QString& pictureName)
{
    const QString xvfbRun = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    if (xvfbRun.isEmpty())
        return {};
    QDir().mkpath(QStringLiteral(CORVIK_PICTURE_DIR));
    const QString picture = QDir(QStringLiteral(CORVIK_PICTURE_DIR)).filePath(pictureName);
    QFile::remove(picture);
    // The tool shows its window at once; the grab is taken after its start-up has drawn it.
    const QString script = QStringLiteral(
        "cd / && \"$1\" & tool=$!; for i in 1 2 3 4 5 6 7 8 9 10; do sleep 1; "
        "\"$2\" \"$3\" && [ $i -ge 3 ] && break; done; kill $tool");
    QProcess run;
    run.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("CORVIK_DEVICE_PORT"), QStringLiteral("1"));  // no logger: nothing to wait for
    run.setProcessEnvironment(env);
    run.start(xvfbRun, {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1024x768x24 -br"),
                        QStringLiteral("sh"), QStringLiteral("-c"), script, QStringLiteral("sh"), program,
                        QStringLiteral(CORVIK_SCREEN_GRAB), picture});
    if (!run.waitForFinished(60000))
        run.kill();
    const QImage screen(picture);
    if (screen.isNull())
        return {};
    // The window on the black root: the box around what is not black.
    QRect window;
    for (int y = 0; y < screen.height(); ++y) {
        for (int x = 0; x < screen.width(); ++x) {
            if ((screen.pixel(x, y) & 0xFFFFFF) != 0)
                window |= QRect(x, y, 1, 1);
        }
    }
    return screen.copy(window);
}

// The share of a button's area that is not white.
double NonWhite(const QImage& window, const QRect& button)
{
    int count = 0;
    for (int y = button.top(); y <= button.bottom(); ++y) {
        for (int x = button.left(); x <= button.right(); ++x)
            count += (window.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF ? 1 : 0;
    }
    return double(count) / double(button.width() * button.height());
}

const QRect kButtons[] = {QRect(31, 58, 160, 100), QRect(31, 175, 160, 100), QRect(31, 304, 160, 78)};

TEST_F(InstalledSuite, TheFirmwareToolStartedFromTheRootDrawsItsButtons)
{
    const QImage window = FirmwareWindow(Installed(QStringLiteral("bin/CorvikFirmwareUpgrade")),
                                         QStringLiteral("install-firmware-from-root.png"));
    if (window.isNull())
        GTEST_SKIP() << "no X display to grab (xvfb-run)";
    ASSERT_EQ(window.size(), QSize(kWindowWidth, kWindowHeight));
    for (const QRect& button : kButtons)
        EXPECT_GT(NonWhite(window, button), 0.5) << button.y();
}

TEST_F(InstalledSuite, AFirmwareToolWithoutItsDataStillShowsItsButtonsAndSaysWhy)
{
    // The executable alone, far from any data folder.
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QDir(elsewhere.path()).mkpath(QStringLiteral("bin")));
    const QString lonely = QDir(elsewhere.path()).filePath(QStringLiteral("bin/CorvikFirmwareUpgrade"));
    ASSERT_TRUE(QFile::copy(Installed(QStringLiteral("bin/CorvikFirmwareUpgrade")), lonely));
    const QImage window = FirmwareWindow(lonely, QStringLiteral("install-firmware-without-data.png"));
    if (window.isNull())
        GTEST_SKIP() << "no X display to grab (xvfb-run)";
    ASSERT_EQ(window.size(), QSize(kWindowWidth, kWindowHeight));
    for (const QRect& button : kButtons)
        EXPECT_GT(NonWhite(window, button), 0.5) << button.y();
    // The notice fills the text area.
    EXPECT_GT(NonWhite(window, QRect(250, 70, 390, 230)), 0.01);
}

}  // namespace
