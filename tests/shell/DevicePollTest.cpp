// The root window's device poll on a logger the test plays through a fake device API: a sensor
// that stays present but not ready, and polls while a modal loop runs or a worker holds the
// sensor object.
#include "ShellTestSupport.h"

#include "tests/support/RecordingDeviceApi.h"
#include "uikit/events/ScreenMessages.h"

#include <QDialog>
#include <QTimer>

#include <atomic>

namespace {

using shell::CVRDMainAppDlg;
using uikit::CVRDCommonBase;

// A logger whose status word the test sets; it counts the polls.
class StatusLogger : public corviktest::RecordingDeviceApi {
public:
    int PollStatusWord() override
    {
        ++polls;
        return status.load();
    }
    std::atomic<int> status{0};
    std::atomic<int> polls{0};
};

class DevicePoll : public shelltest::RootWindowTest {
protected:
    void SetUp() override
    {
        RootWindowTest::SetUp();
        pollMs = 20;
        common.makeSensor = [this] { return std::make_unique<devicelink::CNI2CSensor>(logger); };
        // The device-change box runs detection at once and ends.
        deviceBox = [this](int type) {
            devicelink::CNI2CSensor* sensor = CVRDCommonBase::GetSensor();
            presenceAtBox.push_back(sensor->lastPresence(0));
            std::u16string text;
            sensor->DetectSensors(text);
            ++boxes[type];
            return 2;
        };
        StartProgram();
        ASSERT_TRUE(WaitForStartUp());
        ASSERT_FALSE(root->IsFinished());
    }
    // Waits for `n` more polls.
    void Polls(int n)
    {
        const int until = logger.polls + n;
        ASSERT_TRUE(SpinUntil([&] { return logger.polls >= until; }));
    }

    StatusLogger logger;
    int boxes[2] = {};
    std::vector<int32_t> presenceAtBox;
};

TEST_F(DevicePoll, ASensorThatStaysNotReadyOpensOneBoxAndIsExaminedAgainOnceReady)
{
    logger.status = 0x00000001;  // present, not ready
    ASSERT_TRUE(SpinUntil([&] { return boxes[0] == 1; }));
    Polls(10);
    EXPECT_EQ(boxes[0], 1) << "every poll says 3; only a change is news";

    logger.status = 0x00010001;  // ready
    ASSERT_TRUE(SpinUntil([&] { return boxes[0] == 2; }));
    EXPECT_EQ(presenceAtBox.back(), 0) << "the channel was forgotten, so that detection examines it";
    Polls(10);
    EXPECT_EQ(boxes[0], 2);
    EXPECT_EQ(boxes[1], 0);
}

TEST_F(DevicePoll, ThePollAndAQuitWaitForAModalLoopToEnd)
{
    int duringModal = -1;
    bool finishedInLoop = true;
    QTimer::singleShot(0, [&] {
        QDialog dialog(root.get());
        // Looked at while the dialog is still open: once it has closed, a poll or the quit may
        // run before exec() returns, as they should.
        int atClose = -1;
        QTimer::singleShot(300, &dialog, [&] {
            atClose = logger.polls;
            finishedInLoop = root->IsFinished();
            dialog.accept();
        });
        // A quit in the loop waits until the loop has returned.
        QTimer::singleShot(50, [] { CVRDCommonBase::PostToScreen(uikit::kSlotRoot, uikit::WM_APP_QUIT); });
        const int before = logger.polls;
        dialog.exec();
        duringModal = atClose - before;
    });
    ASSERT_TRUE(SpinUntil([&] { return duringModal >= 0; }));
    EXPECT_EQ(duringModal, 0);
    EXPECT_FALSE(finishedInLoop);
    ASSERT_TRUE(SpinUntil([&] { return root->IsFinished(); }));
    EXPECT_EQ(exitCodes, std::vector<int>{CVRDMainAppDlg::kExitOk});
}

TEST_F(DevicePoll, APollWaitsWhileAWorkerHoldsTheSensorObject)
{
    Polls(2);
    CVRDCommonBase::BeginSensorUse(uikit::SensorUse::Worker);
    Spin(30);
    const int held = logger.polls;
    Spin(200);
    EXPECT_EQ(logger.polls, held);
    CVRDCommonBase::EndSensorUse(uikit::SensorUse::Worker);
    Polls(2);
}

}  // namespace
