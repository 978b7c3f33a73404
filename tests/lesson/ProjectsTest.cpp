// Projects as a teacher keeps them, through the program's windows: the report's pictures of the
// runs, and a project with fewer runs opened over the current one.
#include "tests/lesson/Classroom.h"
#include "tests/lesson/Pictures.h"

#include "logger/measure/CMeasurmentDlg.h"
#include "logger/projectmgr/core/ProjectTexts.h"
#include "logger/projectmgr/CProjectMgrDlg.h"

#include <QComboBox>

namespace lesson {
namespace {

using measure::CMeasurmentDlg;
using projectmgr::CProjectMgrDlg;

constexpr int kTemperature = 0;
constexpr int kProbe = 2;
constexpr int kGate = 3;

class Projects : public Classroom {
protected:
    // A timed run of `seconds` at `rate` Hz on `channels`, in a new data set `newTitle` when one is given.
    void Record(const QString& newTitle, std::initializer_list<int> channels, const QString& rate, int seconds)
    {
        if (!newTitle.isEmpty()) {
            Click(CMeasurmentDlg::kNewRun);
            ASSERT_TRUE(WaitForText(Front(), newTitle));
        }
        SwitchOn(channels);
        SetUpRun(kTextTimed, rate, QString::number(seconds));
        Click(CMeasurmentDlg::kStart);
        ASSERT_TRUE(LookUntil([&] { return Measurement().Controller().IsIdle(); }, 10000 + 1000 * seconds));
    }
    CMeasurmentDlg& Measurement() { return *static_cast<CMeasurmentDlg*>(Screen(kMenuMeasurement)); }
    QString Tree() { return ShownText(Front()->findChild<QWidget*>(QString::number(CProjectMgrDlg::kTree))); }
};

// Each run's picture in the report is its measurement chart: its curves in their colours in the
// plot, its Y titles beside it and the time axis's title under it.
TEST_F(Projects, TheReportsRunPicturesShowEachRunsCurves)
{
    StartProgram(kClassroomReady);
    GoTo(kMenuMeasurement);
    ASSERT_TRUE(WaitForText(Front(), QStringLiteral("Run 1")));
    Record({}, {kTemperature, kProbe}, QStringLiteral("20"), 2);
    Record(QStringLiteral("Run 2"), {kProbe, kGate}, QStringLiteral("50"), 2);
    const QImage shown = Measurement().Chart().GetMemoryDC()->copy();

    GoTo(kMenuProjects);
    FileCommand(projectmgr::kTextMenuHtml, documents / "lab.html", projectmgr::kTextMenuSaveOther);
    const struct {
        const char* file;
        std::vector<uint32_t> colours;
    } runs[] = {{"lab_1.bmp", {kCurveA, kCurveC}}, {"lab_2.bmp", {kCurveC, kCurveD}}};
    for (const auto& run : runs) {
        const QImage picture(QString::fromStdString((documents / "lab" / run.file).string()));
        ASSERT_EQ(picture.size(), QSize(800, 415)) << run.file;
        // Two Y title columns of 15 pixels left of the plot, the time axis's title under it.
        const QRect titles(0, 0, 73, 380);
        const QRect xTitle(150, 382, 500, 32);
        for (uint32_t colour : run.colours) {
            EXPECT_GT(PixelsNear(picture, kRunPlot, colour), 100) << run.file << " curve " << std::hex << colour;
            EXPECT_GT(PixelsNear(picture, titles, colour), 20) << run.file << " Y labels " << std::hex << colour;
        }
        EXPECT_GT(PixelsNear(picture, xTitle, 0x000000), 20) << run.file << " X title";
    }
    // The second run's picture is the chart the measurement screen showed, which shows it still.
    EXPECT_EQ(QImage(QString::fromStdString((documents / "lab" / "lab_2.bmp").string())).convertToFormat(
                  QImage::Format_RGB32),
              shown.convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(Measurement().Chart().GetMemoryDC()->convertToFormat(QImage::Format_RGB32),
              shown.convertToFormat(QImage::Format_RGB32));
}

// Run 2 current, a project of one run opened: that run is current on every screen, and the next
// run is recorded as its set-up says and ends by itself.
TEST_F(Projects, OpeningAProjectWithFewerRunsMakesOneOfItsRunsCurrent)
{
    StartProgram(kClassroomReady);
    GoTo(kMenuMeasurement);
    ASSERT_TRUE(WaitForText(Front(), QStringLiteral("Run 1")));
    Record({}, {kProbe}, QStringLiteral("50"), 1);
    GoTo(kMenuProjects);
    FileCommand(projectmgr::kTextMenuSave, documents / "one.vrd");
    const QString oneRun = Tree();
    GoTo(kMenuMeasurement);
    Record(QStringLiteral("Run 2"), {kProbe}, QStringLiteral("50"), 1);
    ASSERT_EQ(Measurement().RunCombo().currentText(), QStringLiteral("Run 2"));

    GoTo(kMenuProjects);
    const QString asked = AnswerBox(Text(projectmgr::kTextAskOpen),
                                    [&] { FileCommand(projectmgr::kTextMenuOpen, documents / "one.vrd"); });
    EXPECT_FALSE(asked.isEmpty()) << "opening asks before giving up the runs";
    EXPECT_EQ(Tree(), oneRun);

    // The analysis screen can be reached, and the measurement screen shows the opened run.
    GoTo(kMenuAnalysis);
    GoTo(kMenuMeasurement);
    QWidget* measurement = Front();
    EXPECT_EQ(Measurement().RunCombo().currentText(), QStringLiteral("Run 1"));
    EXPECT_EQ(Measurement().RunCombo().count(), 1);
    EXPECT_TRUE(Shows(measurement, QStringLiteral("00:00:01")));

    // Recorded again, as its set-up says: one second at 50 Hz, and the run ends.
    Click(CMeasurmentDlg::kStart);
    ASSERT_TRUE(LookUntil([&] { return Measurement().Controller().IsIdle(); }, 10000));
    EXPECT_TRUE(WaitForText(measurement, QStringLiteral("00:00:01")));
    GoTo(kMenuProjects);
    const QString tree = Tree();
    EXPECT_TRUE(tree.startsWith(oneRun)) << tree.toStdString();
    EXPECT_FALSE(tree.contains(QStringLiteral("Run 2")) || tree.contains(QStringLiteral("\n\n"))) << tree.toStdString();
}

}  // namespace
}  // namespace lesson
