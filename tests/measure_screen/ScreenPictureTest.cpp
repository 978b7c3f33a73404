// Pictures of the measurement screen during a live four-channel run of the classroom scenario,
// and of its set-up and note dialogs, drawn by the real widgets for review (pictures/ in the build
// tree; the reviewed copies live in docs/images).
#include <QCheckBox>
#include <QImage>
#include <QPlainTextEdit>

#include "logger/notes/CNoteDlg.h"
#include "MeasureScreenTestSupport.h"
#include "platform/Text.h"
#include "tools/devsim/Scenario.h"

namespace measurescreentest {
namespace {

class MeasureScreenPicture : public MeasureScreen {
protected:
    static void Save(QWidget& widget, const QString& name, QSize size)
    {
        ASSERT_TRUE(QDir().mkpath(QStringLiteral(CORVIK_PICTURE_DIR)));
        const QImage picture = widget.grab().toImage();
        EXPECT_EQ(picture.size(), size);
        EXPECT_TRUE(picture.save(QStringLiteral(CORVIK_PICTURE_DIR "/") + name));
    }
};

TEST_F(MeasureScreenPicture, ALiveRunOfFourSensors)
{
    devsim::Scenario s;
    std::string error;
    ASSERT_TRUE(devsim::LoadScenario(std::string(CORVIK_SOURCE_DIR) + "/resources/devsim/classroom.ini", s, error))
        << error;
    Begin(s.device);
    for (int c = 0; c < 4; ++c) {
        ASSERT_TRUE(s.channels[c]);
        ASSERT_TRUE(sim->Device().Plug(c, *s.channels[c], error)) << error;
    }
    Detect(0xF);
    Show();
    SwitchOn({0, 1, 2, 3});
    SetRateAndLength(20, 6);
    Button(CMeasurmentDlg::kStart).click();
    ASSERT_EQ(Controller().State(), measure::RunState::Acquiring);
    ASSERT_TRUE(SpinUntil([&] { return Controller().Intake().Channel(2).points >= 60; }, 5000));
    Spin(50);
    Save(*screen, QStringLiteral("measure_screen_live.png"), QSize(CMeasurmentDlg::kWidth, CMeasurmentDlg::kHeight));
    Button(CMeasurmentDlg::kStart).click();
    ASSERT_TRUE(Controller().IsIdle());

    // The set-up dialog on that set, and its note.
    int32_t maxRates[4] = {};
    for (int c = 0; c < 4; ++c)
        maxRates[c] = Controller().ChannelMaxRate(c);
    CMeasurSetup1Dlg setup(screen, Run(), maxRates);
    setup.show();
    Spin(20);
    Save(setup, QStringLiteral("dialog_measure_setup.png"), QSize(CMeasurSetup1Dlg::kWidth, CMeasurSetup1Dlg::kHeight));
    setup.PerChannelBox().click();
    Spin(20);
    Save(setup, QStringLiteral("dialog_measure_setup_channels.png"),
         QSize(CMeasurSetup1Dlg::kWidth, CMeasurSetup1Dlg::kHeight));
    setup.reject();

    const std::u16string text = u"Warm water in the beaker; the pendulum swings once a second.\r\n"
                                u"The water warms slowly at first.";
    platform::CopyToField(Run().note.text, text);
    Run().note.textLength = int32_t(text.size());
    notes::CNoteDlg note(screen);
    note.SetTarget(&Run().note, nullptr, 0, 0);
    note.show();
    Spin(20);
    Save(note, QStringLiteral("dialog_note.png"), QSize(800, 490));
    note.reject();
}

// A window wider than 800 adds a plate at the right of the header; the run clock moves with the
// right-hand header but never onto that plate.
TEST_F(MeasureScreenPicture, RunClockStaysClearOfTheWidePlate)
{
    for (int width : {800, 801, 900, 1000, 1001, 1024, 1280, 1920}) {
        SCOPED_TRACE(width);
        const QRect clock = CMeasurmentDlg::RunClockRect(width);
        EXPECT_FALSE(clock.intersects(CMeasurmentDlg::WidePlateRect(width)));
        EXPECT_LE(clock.right(), width - 1);
        EXPECT_GE(clock.left(), 670);
    }
    EXPECT_EQ(CMeasurmentDlg::RunClockRect(800), QRect(670, 65, 110, 30));

    Begin();
    Show();
    screen->resize(1024, 768);
    Spin(20);
    Save(*screen, QStringLiteral("measure_screen_wide.png"), QSize(1024, 768));
}

}  // namespace
}  // namespace measurescreentest
