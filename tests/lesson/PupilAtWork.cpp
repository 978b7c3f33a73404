// A pupil's program for the test of a killed program: started in the data folder the test names
// (LESSON_DATA), against the test's simulated logger, it records a run of two seconds, says so on
// its standard output and goes on until it is killed.
#include "tests/lesson/Classroom.h"

#include "logger/measure/CMeasurmentDlg.h"

#include <cstdio>
#include <cstdlib>

namespace lesson {
namespace {

TEST(PupilAtWork, RecordsARunAndGoesOnUntilKilled)
{
    const char* folder = std::getenv("LESSON_DATA");
    ASSERT_NE(folder, nullptr);
    EnsureWidgetApp();
    Pupil pupil;
    pupil.data = folder;
    pupil.StartProgram(kClassroomReady);
    pupil.GoTo(kMenuMeasurement);
    ASSERT_TRUE(pupil.WaitForText(pupil.Front(), QStringLiteral("Run 1")));
    pupil.SwitchOn({2});
    pupil.SetUpRun(kTextTimed, QStringLiteral("50"), QStringLiteral("2"));
    pupil.Click(measure::CMeasurmentDlg::kStart);
    ASSERT_TRUE(pupil.WaitForText(pupil.Front(), QStringLiteral("00:00:02"), 10000));
    std::printf("recorded\n");
    std::fflush(stdout);
    Spin(120000);
}

}  // namespace
}  // namespace lesson
