#include "ToolkitTestSupport.h"

#include "platform/Event.h"
#include "uikit/button/CButtonST.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"
#include "uikit/msgbox/MessageBoxRules.h"
#include "uikit/resources/DataFolder.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <utility>
#include <vector>

namespace {

using uikit::CMessageBoxDlg;
using uikit::CVRDCommonBase;

// Detection that waits for the test's word, giving up when asked to stop.
struct HeldDetection {
    platform::Event release{platform::Event::Kind::ManualReset};
    std::atomic<bool> started{false};
    std::atomic<bool> aborted{false};
    int32_t result = 1;
    std::u16string text;
    std::function<void(devicelink::CNI2CSensor&)> effect;

    CMessageBoxDlg::Detection Make()
    {
        return [this](devicelink::CNI2CSensor& sensor, std::u16string& out) -> int32_t {
            started = true;
            while (!release.Wait(5)) {
                if (sensor.DetectionAbortRequested()) {
                    aborted = true;
                    return -1;
                }
            }
            if (effect)
                effect(sensor);
            out = text;
            return result;
        };
    }
};

// Steps run on the event loop while a modal box is up, each once its condition holds.
class Script {
public:
    Script()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            while (next_ < steps_.size() && steps_[next_].first()) {
                auto action = steps_[next_].second;
                ++next_;
                action();
            }
        });
        timer_.start(5);
    }
    void When(std::function<bool()> condition, std::function<void()> action)
    {
        steps_.emplace_back(std::move(condition), std::move(action));
    }
    bool Done() const { return next_ == steps_.size(); }

private:
    QTimer timer_;
    std::vector<std::pair<std::function<bool()>, std::function<void()>>> steps_;
    size_t next_ = 0;
};

class MessageBoxTest : public toolkittest::CommonServicesTest {
protected:
    void SetUp() override
    {
        CommonServicesTest::SetUp();
        CMessageBoxDlg::SetDetection(held_.Make());
        clock_.start();
    }
    void TearDown() override
    {
        held_.release.Set();
        CommonServicesTest::TearDown();
    }
    static CMessageBoxDlg* Box() { return CVRDCommonBase::GetMessageBox(); }
    std::function<bool()> Started()
    {
        return [this] { return Box() && held_.started; };
    }
    static std::function<bool()> TypeIs(int type)
    {
        return [type] { return Box() && Box()->Type() == type; };
    }

    HeldDetection held_;
    Script script_;
    QElapsedTimer clock_;
};

TEST_F(MessageBoxTest, SensorsFoundListTheChannelsAndCloseAfterASecond)
{
    held_.effect = [](devicelink::CNI2CSensor& sensor) {
        sensor.connected(0) = 1;
        platform::CopyToField(sensor.channel(0).name, u"Pressure");
        sensor.connected(2) = 1;
        platform::CopyToField(sensor.channel(2).name, u"Humidity");
    };
    QString list, under;
    qint64 reported = 0;
    script_.When(Started(), [&] {
        EXPECT_EQ(Box()->Type(), uikit::kBoxTypeDeviceAttached);
        EXPECT_EQ(Box()->PictureIndex(), 2);
        EXPECT_TRUE(Box()->DetectionRunning());
        EXPECT_TRUE(CVRDCommonBase::IsSensorHeld());
        EXPECT_FALSE(Box()->OkButton().isVisible());
        EXPECT_FALSE(Box()->CancelButton().isVisible());
        EXPECT_EQ(Box()->BodyText(), CVRDCommonBase::LoadText(2081));
        held_.release.Set();
    });
    script_.When(TypeIs(uikit::kBoxTypeSensorsIdentified), [&] {
        reported = clock_.elapsed();
        list = Box()->BodyText();
        under = Box()->LowerText();
        EXPECT_FALSE(CVRDCommonBase::IsSensorHeld());
    });
    EXPECT_EQ(CVRDCommonBase::RunMessageBox(nullptr, uikit::kBoxTypeDeviceAttached), 2);
    const qint64 shown = clock_.elapsed() - reported;
    EXPECT_TRUE(script_.Done());
    EXPECT_EQ(list, QStringLiteral("A - Pressure\nB\nC - Humidity\nD\n"));
    EXPECT_EQ(under, CVRDCommonBase::LoadText(2118));
    EXPECT_GE(shown, 900);  // window timers are coarse: within 5 %
    EXPECT_LT(shown, 2500);
    EXPECT_EQ(CVRDCommonBase::GetMessageBox(), nullptr);
}

TEST_F(MessageBoxTest, NothingFoundShowsTheDetectionText)
{
    held_.result = 0;
    held_.text = u"Pressure";
    held_.release.Set();
    script_.When(TypeIs(uikit::kBoxTypeNothingDetected), [&] {
        EXPECT_EQ(Box()->BodyText(), QStringLiteral("Pressure"));
        EXPECT_EQ(Box()->LowerText(), CVRDCommonBase::LoadText(2053));
        EXPECT_EQ(Box()->PictureIndex(), 3);
        EXPECT_FALSE(Box()->OkButton().isVisible());
    });
    EXPECT_EQ(CVRDCommonBase::RunMessageBox(nullptr, uikit::kBoxTypeDeviceRemoved), 2);
    EXPECT_TRUE(script_.Done());
}

TEST_F(MessageBoxTest, AFailedCheckOffersOkAtTheNoticePlace)
{
    held_.result = -1;
    held_.release.Set();
    script_.When(TypeIs(uikit::kBoxTypeCheckCables), [&] {
        EXPECT_TRUE(Box()->OkButton().isVisible());
        EXPECT_EQ(Box()->OkButton().geometry(), QRect(105, 90, 78, 30));
        EXPECT_EQ(Box()->BodyText(), CVRDCommonBase::LoadText(2067));
        QTest::mouseClick(&Box()->OkButton(), Qt::LeftButton);
    });
    EXPECT_EQ(CVRDCommonBase::RunMessageBox(nullptr, uikit::kBoxTypeDeviceAttached), 1);
    EXPECT_TRUE(script_.Done());
    EXPECT_LT(clock_.elapsed(), 4000);  // OK, not the five-second time-out
}

TEST_F(MessageBoxTest, NothingEndsTheBoxWhileDetectionRuns)
{
    script_.When(Started(), [&] {
        QTest::keyClick(Box(), Qt::Key_Escape);
        Box()->close();
        Box()->reject();
        QCoreApplication::postEvent(Box(), new QCloseEvent);
        // A device code from anywhere but the box's own worker is no report.
        uikit::PostScreenMessage(Box(), uikit::WM_DEVICE_FOUND);
    });
    script_.When([this] { return clock_.elapsed() > 300; }, [&] {
        ASSERT_TRUE(Box());
        EXPECT_TRUE(Box()->isVisible());
        EXPECT_EQ(Box()->Type(), uikit::kBoxTypeDeviceAttached);
        EXPECT_TRUE(Box()->DetectionRunning());
        held_.release.Set();
    });
    EXPECT_EQ(CVRDCommonBase::RunMessageBox(nullptr, uikit::kBoxTypeDeviceAttached), 2);
    EXPECT_TRUE(script_.Done());
    EXPECT_FALSE(CVRDCommonBase::IsSensorHeld());
}

TEST_F(MessageBoxTest, OnlyOneBoxAtATime)
{
    QWidget front;
    CVRDCommonBase::SetFrontScreen(&front);
    int nested = -1, shown = -1;
    script_.When(Started(), [&] {
        nested = CVRDCommonBase::RunMessageBox(nullptr, uikit::kBoxTypeDeviceAttached);
        shown = CVRDCommonBase::ShowMessageBox(nullptr, uikit::kBoxTypeQuestion, QStringLiteral("Delete?"), QString());
        held_.release.Set();
    });
    EXPECT_EQ(CVRDCommonBase::ShowMessageBox(nullptr, uikit::kBoxTypeDeviceAttached), 2);
    EXPECT_EQ(nested, 0);
    EXPECT_EQ(shown, 0);
    CVRDCommonBase::SetFrontScreen(nullptr);
    EXPECT_EQ(CVRDCommonBase::ShowMessageBox(nullptr, uikit::kBoxTypeQuestion), 0);  // no front screen
}

TEST_F(MessageBoxTest, AQuestionLeftAloneIsNotAYes)
{
    script_.When(TypeIs(uikit::kBoxTypeQuestion), [&] {
        EXPECT_TRUE(Box()->OkButton().isVisible());
        EXPECT_TRUE(Box()->CancelButton().isVisible());
        EXPECT_EQ(Box()->BodyText(), QStringLiteral("Delete the run?"));
        EXPECT_EQ(Box()->LowerText(), QStringLiteral("It cannot be undone."));
        // A stray device code does not turn the question into a notice.
        uikit::PostScreenMessage(Box(), uikit::WM_DEVICE_FOUND);
    });
    EXPECT_EQ(CVRDCommonBase::RunMessageBox(nullptr, uikit::kBoxTypeQuestion, QStringLiteral("Delete the run?"),
                                            QStringLiteral("It cannot be undone.")),
              2);
    EXPECT_GE(clock_.elapsed(), 4700);  // window timers are coarse: within 5 %
    EXPECT_TRUE(script_.Done());
}

// Where a project was kept is read and written down: the notice outlasts the five seconds after
// which the plain notice goes, and ends only by its OK.
TEST_F(MessageBoxTest, ANoticeUntilAnsweredWaitsForItsOk)
{
    const QString kept = CVRDCommonBase::LoadText(3240);  // the start-up's notice of a kept project
    const QString path = QStringLiteral("/home/teacher/.local/share/corvik/temp_project-20261209-054007.vrd");
    ASSERT_FALSE(kept.isEmpty());
    QElapsedTimer shown;
    script_.When(TypeIs(uikit::kBoxTypeWaitingNotice), [&] {
        shown.start();
        EXPECT_TRUE(Box()->OkButton().isVisible());
        EXPECT_FALSE(Box()->CancelButton().isVisible());
        EXPECT_EQ(Box()->BodyText(), kept);
        EXPECT_EQ(Box()->LowerText(), path);
        ASSERT_TRUE(QDir().mkpath(QStringLiteral(CORVIK_PICTURE_DIR)));
        EXPECT_TRUE(Box()->grab().save(QStringLiteral(CORVIK_PICTURE_DIR "/notice_backup_kept.png")));
    });
    script_.When([&] { return Box() && shown.isValid() && shown.elapsed() > 6500; },
                 [&] { QTest::mouseClick(&Box()->OkButton(), Qt::LeftButton); });
    EXPECT_EQ(CVRDCommonBase::RunMessageBox(nullptr, uikit::kBoxTypeWaitingNotice, kept, path), 1);
    EXPECT_TRUE(script_.Done());
}

TEST_F(MessageBoxTest, ButtonsGiveTheirResults)
{
    script_.When(TypeIs(uikit::kBoxTypeTwoButtons), [&] { QTest::mouseClick(&Box()->OkButton(), Qt::LeftButton); });
    EXPECT_EQ(CVRDCommonBase::RunMessageBox(nullptr, uikit::kBoxTypeTwoButtons), 1);
    Script second;
    second.When(TypeIs(uikit::kBoxTypeTwoButtons), [&] { QTest::mouseClick(&Box()->CancelButton(), Qt::LeftButton); });
    EXPECT_EQ(CVRDCommonBase::RunMessageBox(nullptr, uikit::kBoxTypeTwoButtons), 2);
    Script third;
    third.When(TypeIs(uikit::kBoxTypeNotice), [&] {
        EXPECT_FALSE(Box()->CancelButton().isVisible());
        QTest::keyClick(Box(), Qt::Key_Escape);
    });
    EXPECT_EQ(CVRDCommonBase::RunMessageBox(nullptr, uikit::kBoxTypeNotice, QStringLiteral("Saved.")), 2);
    EXPECT_LT(clock_.elapsed(), 4000);
}

TEST_F(MessageBoxTest, WithoutASensorObjectTheBoxSaysSoAndCanBeClosed)
{
    CVRDCommonBase::Shutdown();
    CVRDCommonBase::SetSensorFactory([] { return std::unique_ptr<devicelink::CNI2CSensor>(); });
    ASSERT_EQ(CVRDCommonBase::InitGlobals(), 1);
    script_.When(TypeIs(uikit::kBoxTypeCheckCables), [&] {
        EXPECT_TRUE(Box()->OkButton().isVisible());
        EXPECT_FALSE(held_.started);
        QTest::mouseClick(&Box()->OkButton(), Qt::LeftButton);
    });
    EXPECT_EQ(CVRDCommonBase::RunMessageBox(nullptr, uikit::kBoxTypeDeviceAttached), 1);
    EXPECT_TRUE(script_.Done());
}

TEST_F(MessageBoxTest, ALateCancelStopsDetectionAndWaitsForIt)
{
    CMessageBoxDlg::SetLateCancelDelay(200);
    script_.When(Started(), [&] { EXPECT_FALSE(Box()->CancelButton().isVisible()); });
    script_.When([] { return Box() && Box()->CancelButton().isVisible(); }, [&] {
        EXPECT_GE(clock_.elapsed(), 150);
        QTest::mouseClick(&Box()->CancelButton(), Qt::LeftButton);
    });
    EXPECT_EQ(CVRDCommonBase::RunMessageBox(nullptr, uikit::kBoxTypeDeviceAttached), 2);
    EXPECT_TRUE(script_.Done());
    EXPECT_TRUE(held_.aborted);
    // The request is taken back once the worker has ended: a later detection runs in full.
    EXPECT_FALSE(Sensor().DetectionAbortRequested());
    EXPECT_FALSE(CVRDCommonBase::IsSensorHeld());
}

TEST_F(MessageBoxTest, ShutdownDuringDetectionStopsAndJoinsTheWorker)
{
    script_.When(Started(), [] { CVRDCommonBase::Shutdown(); });
    EXPECT_EQ(CVRDCommonBase::RunMessageBox(nullptr, uikit::kBoxTypeDeviceAttached), 2);
    EXPECT_TRUE(held_.aborted);
    EXPECT_EQ(CVRDCommonBase::GetMessageBox(), nullptr);
    ASSERT_EQ(CVRDCommonBase::InitGlobals(), 1);
}

}  // namespace

namespace {

// Where the language module and skins are missing (a start outside any data folder), the box
// that says why the program cannot start is still readable English with a usable OK, and it
// waits for OK instead of closing by itself.
TEST_F(MessageBoxTest, TheWaitingNoticeWithoutModulesIsPlainEnglishWithAnOkButton)
{
    const QString dataDir = QDir::currentPath();
    QTemporaryDir empty;
    ASSERT_TRUE(QDir::setCurrent(empty.path()));
    EXPECT_EQ(uikit::RuleOfBoxType(uikit::kBoxTypeWaitingNotice).autoCloseMs, 0);
    QImage picture;
    Script script;
    script.When(TypeIs(uikit::kBoxTypeWaitingNotice), [&] {
        EXPECT_TRUE(Box()->OkButton().isVisible());
        EXPECT_FALSE(Box()->CancelButton().isVisible());
        EXPECT_EQ(Box()->OkButton().text(), QStringLiteral("OK"));
        EXPECT_TRUE(Box()->OkButton().DrawsPlainPanel());
        EXPECT_EQ(Box()->BodyText(), CVRDCommonBase::LoadText(uikit::kTextDataFolderMissing));
        EXPECT_FALSE(Box()->BodyText().isEmpty());
        picture = Box()->grab().toImage();
        QTest::mouseClick(&Box()->OkButton(), Qt::LeftButton);
    });
    EXPECT_EQ(CVRDCommonBase::RunMessageBox(nullptr, uikit::kBoxTypeWaitingNotice,
                                            CVRDCommonBase::LoadText(uikit::kTextDataFolderMissing),
                                            QStringLiteral("Missing: sensor_korean.xml. Looked in: /; "
                                                           "/opt/corvik/share/corvik; /opt/corvik/share")),
              1);
    EXPECT_TRUE(script.Done());
    QDir::setCurrent(dataDir);
    ASSERT_FALSE(picture.isNull());
    // The OK panel's frame stands out from the plain box.
    const QRect ok(185, 256, 90, 30);
    EXPECT_NE(picture.pixel(ok.left(), ok.center().y()), picture.pixel(ok.left() - 10, ok.center().y()));
    QDir().mkpath(QStringLiteral(CORVIK_PICTURE_DIR));
    picture.save(QDir(QStringLiteral(CORVIK_PICTURE_DIR)).filePath(QStringLiteral("startup_notice_without_modules.png")));
}

}  // namespace
