// A lesson as a teacher gives it, through the program's windows only: the classroom's sensors on
// the monitor, a sensor swapped, the voltage probe calibrated, a timed, a triggered and a manual
// run, a note, three analyses, the project saved, the program quit and started again, the project
// opened with everything in it, the CSV files and the report.
#include "tests/lesson/Classroom.h"
#include "tests/lesson/Pictures.h"

#include "logger/analysis/CAnalyzeDlg.h"
#include "logger/measure/CMeasurmentDlg.h"
#include "logger/measure/CMeasurSetup1Dlg.h"
#include "logger/monitor/CSensorDlg.h"
#include "logger/notes/CNoteDlg.h"
#include "logger/projectmgr/core/ProjectTexts.h"
#include "logger/projectmgr/CProjectMgrDlg.h"
#include "logger/sensorsetup/CSensorSetup1Dlg.h"

#include <QElapsedTimer>


namespace lesson {
namespace {

using analysis::CAnalyzeDlg;
using measure::CMeasurmentDlg;
using measure::CMeasurSetup1Dlg;
using sensorsetup::CSensorSetup1Dlg;
using projectmgr::CProjectMgrDlg;

constexpr int kProbe = 2;    // the voltage probe's channel, C
constexpr int kGate = 3;     // the pendulum's photogate, D
constexpr int kTextValueAtLeast = 2224;
constexpr int kTextNoTrigger = 2242;
const QString kNote = QStringLiteral("Signal generator at 2 Hz, damped; pendulum through the gate.");

class Lesson : public Classroom {
protected:
    // The probe's trigger in the sensor set-up dialog of the measurement screen.
    void SetTrigger(int kindText, const QString& level = {})
    {
        ASSERT_TRUE(Answer("sensorsetup::CSensorSetup1Dlg", [&] { Click(CMeasurmentDlg::kSensorSetup); }, [&](QWidget& d) {
            Click(CSensorSetup1Dlg::kChannelButtonIds[kProbe], &d);
            Choose(CSensorSetup1Dlg::kTriggerComboId, &d, Text(kindText));
            if (!level.isEmpty())
                Type(CSensorSetup1Dlg::kLevelEditId, &d, level);
            Click(kOk, &d);
        }));
    }
    // A new data set, with the channels switched on.
    void NewRun(const QString& title, std::initializer_list<int> channels)
    {
        Click(CMeasurmentDlg::kNewRun);
        ASSERT_TRUE(WaitForText(Front(), title));
        SwitchOn(channels);
    }
    // What the details window shows of the current analysis set.
    QString Details()
    {
        QString shown;
        EXPECT_TRUE(Answer("analysis::CAnalyzeDetailsDlg", [&] { Click(CAnalyzeDlg::kDetails); }, [&](QWidget& d) {
            shown = ShownText(&d);
            Click(kCancel, &d);
        }));
        return shown;
    }
    // A range dragged across the graph, the analysis of `command` run on it; its details.
    QString Analyse(QPoint from, QPoint to, const std::function<void()>& command)
    {
        Drag(Front(), from, to);
        command();
        return Details();
    }
    QString Tree() { return ShownText(Front()->findChild<QWidget*>(QString::number(CProjectMgrDlg::kTree))); }
};

TEST_F(Lesson, FromTheFirstSensorToTheReport)
{
    QElapsedTimer lesson;
    lesson.start();
    StartProgram();
    QWidget* monitor = Front();
    ASSERT_EQ(monitor, Screen(kMenuSensors));
    for (const char* name : {"Temperature", "Barometer", "±30 V", "Photogate"})
        ASSERT_TRUE(WaitForText(monitor, QString::fromUtf8(name))) << name;

    // The barometer out, a photogate in its place: the monitor follows each step.
    Console("pull 1");
    ASSERT_TRUE(LookUntil([&] {
        return !Shows(monitor, QStringLiteral("Barometer")) && Shows(monitor, QStringLiteral("Photogate"));
    }, 8000));
    Console("plug 1 R7JE pulses period=0.9 width=0.05 high=1");
    ASSERT_TRUE(LookUntil([&] { return ShownText(monitor).count(QStringLiteral("Photogate")) == 2; }, 8000));

    // The probe calibrated on a 0 V and a 1.5 V terminal, which it reads as 0.100 V and 1.599 V.
    Console("signal 2 constant value=0.1");
    const auto calibrationButton = [&] { Click(monitor::CSensorDlg::kCalibrationButtonId); };
    ASSERT_TRUE(Answer("sensorsetup::CSensorSetup1Dlg", calibrationButton, [&](QWidget& d) {
        Click(CSensorSetup1Dlg::kChannelButtonIds[kProbe], &d);
        ASSERT_TRUE(WaitForText(&d, QStringLiteral("0.100 V")));
        Click(CSensorSetup1Dlg::kCaptureButtonIds[0], &d);
        Type(CSensorSetup1Dlg::kReferenceEditIds[0], &d, QStringLiteral("0"));
        Console("signal 2 constant value=1.6");
        ASSERT_TRUE(WaitForText(&d, QStringLiteral("1.599 V")));
        Click(CSensorSetup1Dlg::kCaptureButtonIds[1], &d);
        Type(CSensorSetup1Dlg::kReferenceEditIds[1], &d, QStringLiteral("1.5"));
        Click(kOk, &d);
    }));
    Console("signal 2 constant value=0.85");
    EXPECT_TRUE(WaitForText(monitor, QStringLiteral("0.750"))) << "halfway between the points";

    // A timed run of 10 s on the probe (a damped oscillation at 2 Hz) and the pendulum.
    Console("signal 2 damped offset=0 amplitude=4 period=0.5 decay=0.2");
    GoTo(kMenuMeasurement);
    QWidget* measurement = Front();
    ASSERT_TRUE(WaitForText(measurement, QStringLiteral("Run 1")));
    SwitchOn({kProbe, kGate});
    SetUpRun(kTextTimed, QStringLiteral("50"), QStringLiteral("10"));
    Click(CMeasurmentDlg::kStart);
    ASSERT_TRUE(WaitForText(measurement, QStringLiteral("00:00:10"), 20000));
    EXPECT_TRUE(Shows(measurement, QStringLiteral("- (V)")) && Shows(measurement, QStringLiteral("- (s)")));

    // A run that waits until the probe reads 3 V or more: on a 1 V cell it waits, on a 4 V
    // battery it runs.
    Console("signal 2 constant value=1");
    NewRun(QStringLiteral("Run 2"), {kProbe});
    SetTrigger(kTextValueAtLeast, QStringLiteral("3"));
    SetUpRun(kTextTimed, QStringLiteral("50"), QStringLiteral("3"));
    Click(CMeasurmentDlg::kStart);
    Spin(1500);
    EXPECT_TRUE(Shows(measurement, QStringLiteral("00:00:00"))) << "waiting for the trigger";
    Console("signal 2 constant value=4");
    ASSERT_TRUE(WaitForText(measurement, QStringLiteral("00:00:03"), 15000));
    SetTrigger(kTextNoTrigger);
    Console("signal 2 sine offset=0 amplitude=4.5 period=2");

    // A manual run: a sample at each press of the right arrow.
    NewRun(QStringLiteral("Run 3"), {kProbe});
    SetUpRun(kTextManual);
    Click(CMeasurmentDlg::kStart);
    for (int i = 0; i < 5; ++i) {
        Spin(100);
        Key(Qt::Key_Right, measurement);
    }
    Click(CMeasurmentDlg::kStart);
    EXPECT_TRUE(WaitForText(measurement, QStringLiteral("00:00:04"))) << "five samples, numbered from 0";

    // The timed run's note.
    Choose(CMeasurmentDlg::kRunCombo, measurement, QStringLiteral("Run 1"));
    ASSERT_TRUE(WaitForText(measurement, QStringLiteral("00:00:10")));
    ASSERT_TRUE(Answer("notes::CNoteDlg", [&] { Click(CMeasurmentDlg::kNote); }, [&](QWidget& d) {
        Type(notes::CNoteDlg::kEdit, &d, kNote);
        Click(kOk, &d);
    }));

    // Three analyses of the timed run, each on the range dragged across the graph.
    GoTo(kMenuAnalysis);
    const QString line = Analyse({80, 200}, {780, 500}, [&] { Click(CAnalyzeDlg::kLinear); });
    EXPECT_TRUE(line.contains(QStringLiteral("Linear fit"))) << line.toStdString();
    Click(CAnalyzeDlg::kAddSet);
    const QString oscillation = Analyse({120, 480}, {780, 250}, [&] { Click(CAnalyzeDlg::kOscillation); });
    EXPECT_TRUE(oscillation.contains(QStringLiteral("f (oscillation) : 2.000"))) << oscillation.toStdString();
    EXPECT_TRUE(Flat(oscillation).contains(QStringLiteral("damping):0.200"))) << oscillation.toStdString();
    Click(CAnalyzeDlg::kAddSet);
    const QString integral = Analyse({160, 520}, {780, 300}, [&] {
        ASSERT_TRUE(Answer("analysis::CIntegralDlg", [&] { Click(CAnalyzeDlg::kIntegral); },
                           [&](QWidget& d) { Click(kOk, &d); }));
    });
    EXPECT_TRUE(integral.contains(QStringLiteral("Area :"))) << integral.toStdString();

    // The project saved and exported, and the program quit.
    GoTo(kMenuProjects);
    const QString tree = Tree();
    for (const char* item : {"Run 1", "Run 2", "Run 3", "Note", "Set 1", "Set 2", "Set 3"})
        EXPECT_TRUE(tree.contains(QString::fromUtf8(item))) << item << " in " << tree.toStdString();
    FileCommand(projectmgr::kTextMenuSave, documents / "lesson.vrd");
    ASSERT_TRUE(fs::exists(documents / "lesson.vrd"));
    fs::create_directories(documents / "first");
    FileCommand(projectmgr::kTextMenuCsv, documents / "first" / "lesson.csv", projectmgr::kTextMenuSaveOther);
    EXPECT_EQ(QuitProgram(), 0);

    // Started again: the last session's working copy is kept aside and said so; the saved
    // project opens with its runs, analyses and note as they were.
    StartProgram(kClassroomReady);
    ASSERT_EQ(startNotices.size(), 1);
    EXPECT_TRUE(Flat(startNotices[0]).contains(Flat(Text(projectmgr::kTextBackupKept))));
    GoTo(kMenuProjects);
    FileCommand(projectmgr::kTextMenuOpen, documents / "lesson.vrd");
    EXPECT_EQ(Tree(), tree);
    FileCommand(projectmgr::kTextMenuSave, documents / "again.vrd");
    EXPECT_EQ(Bytes(documents / "again.vrd"), Bytes(documents / "lesson.vrd")) << "saved again byte for byte";

    GoTo(kMenuAnalysis);
    QWidget* analysisScreen = Front();
    EXPECT_EQ(Details(), integral);
    Choose(CAnalyzeDlg::kSetCombo, analysisScreen, QStringLiteral("Set 2"));
    EXPECT_EQ(Details(), oscillation);
    Choose(CAnalyzeDlg::kSetCombo, analysisScreen, QStringLiteral("Set 1"));
    EXPECT_EQ(Details(), line);
    GoTo(kMenuMeasurement);
    ASSERT_TRUE(WaitForText(Front(), QStringLiteral("00:00:10")));
    ASSERT_TRUE(Answer("notes::CNoteDlg", [&] { Click(CMeasurmentDlg::kNote); }, [&](QWidget& d) {
        EXPECT_TRUE(Shows(&d, kNote));
        Click(kCancel, &d);
    }));

    // The CSV files as the first session wrote them: 500 rows of the timed run, a triggered
    // run that starts at 3 V or more, five manual samples.
    GoTo(kMenuProjects);
    fs::create_directories(documents / "second");
    FileCommand(projectmgr::kTextMenuCsv, documents / "second" / "lesson.csv", projectmgr::kTextMenuSaveOther);
    for (const char* name : {"lesson_1.csv", "lesson_2.csv", "lesson_3.csv"}) {
        ASSERT_TRUE(fs::exists(documents / "first" / name)) << name;
        EXPECT_EQ(Bytes(documents / "second" / name), Bytes(documents / "first" / name)) << name;
    }
    const QStringList timed = CsvLines(documents / "first" / "lesson_1.csv");
    ASSERT_EQ(timed.size(), 3 + 500);
    EXPECT_TRUE(timed[0].contains(QStringLiteral("CH [C]")) && timed[0].contains(QStringLiteral("CH [D]")));
    const QStringList triggered = CsvLines(documents / "first" / "lesson_2.csv");
    ASSERT_EQ(triggered.size(), 3 + 150);
    EXPECT_NEAR(triggered[3].section(QLatin1Char(','), 2, 2).toDouble(), 3.9, 0.01) << triggered[3].toStdString();
    EXPECT_EQ(CsvLines(documents / "first" / "lesson_3.csv").size(), 3 + 5);

    // The report, with the author and school typed in.
    Type(CProjectMgrDlg::kAuthor, Front(), QStringLiteral("Ms Kim"));
    Type(CProjectMgrDlg::kSchool, Front(), QStringLiteral("Hanbit Middle School"));
    fs::create_directories(documents / "report");
    FileCommand(projectmgr::kTextMenuHtml, documents / "report" / "lesson.html", projectmgr::kTextMenuSaveOther);
    const fs::path report = documents / "report" / "lesson";
    const std::string page = Bytes(report / "lesson.html");
    for (const QString& text : {QStringLiteral("Ms Kim"), QStringLiteral("Hanbit Middle School"), kNote,
                                QStringLiteral("Damped oscillation fit"), QStringLiteral("Linear fit")})
        EXPECT_NE(page.find(text.toStdString()), std::string::npos) << text.toStdString();
    for (const char* file : {"lesson_1.bmp", "lesson_11.bmp", "lesson_12.bmp", "lesson_13.bmp", "lesson_2.bmp",
                             "lesson_3.bmp"})
        EXPECT_TRUE(fs::exists(report / file)) << file;
    // Each run's picture holds its curves: the probe's in all three, the pendulum's in the first.
    for (const char* file : {"lesson_1.bmp", "lesson_2.bmp", "lesson_3.bmp"}) {
        const QImage picture(QString::fromStdString((report / file).string()));
        EXPECT_GT(PixelsNear(picture, kRunPlot, kCurveC), 20) << file;
    }
    EXPECT_GT(PixelsNear(QImage(QString::fromStdString((report / "lesson_1.bmp").string())), kRunPlot, kCurveD), 20);
    EXPECT_EQ(Bytes(report / "lesson_1.csv"), Bytes(documents / "first" / "lesson_1.csv"));
    EXPECT_EQ(QuitProgram(), 0);
    std::printf("The lesson took %.1f s.\n", double(lesson.elapsed()) / 1000.0);
}

}  // namespace
}  // namespace lesson
