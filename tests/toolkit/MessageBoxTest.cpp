#include "ToolkitTestSupport.h"

#include "platform/Event.h"
#include "uikit/button/CButtonST.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"
#include "uikit/msgbox/MessageBoxRules.h"
#include "uikit/resources/DataFolder.h"

#include <QAbstractEventDispatcher>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>

#include <algorithm>
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

    uikit::MessageBoxServices::Detection Make()
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

// The box's window timers as the event loop knows them: which one of a period runs, and which have
// fired since the watch began. A box that ends by itself ends on its timer, whatever the time.
class BoxTimers : public QObject {
public:
    // Watches `box` from now on; the id of its running timer of `periodMs`, 0 when none runs.
    int Watch(QObject* box, int periodMs)
    {
        box->installEventFilter(this);
        for (const QAbstractEventDispatcher::TimerInfo& timer :
             QAbstractEventDispatcher::instance()->registeredTimers(box)) {
            if (timer.interval == periodMs)
                return timer.timerId;
        }
        return 0;
    }
    bool Fired(int id) const { return id != 0 && std::find(fired_.begin(), fired_.end(), id) != fired_.end(); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Timer)
            fired_.push_back(static_cast<QTimerEvent*>(event)->timerId());
        return false;
    }

private:
    std::vector<int> fired_;
};

class MessageBoxTest : public toolkittest::CommonServicesTest {
protected:
    void AddServices(uikit::CommonServices& services) override { services.messageBox.detect = held_.Make(); }
    void SetUp() override
    {
        CommonServicesTest::SetUp();
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
    BoxTimers timers;
    int closing = 0;
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
        closing = timers.Watch(Box(), 1000);
        list = Box()->BodyText();
        under = Box()->LowerText();
        EXPECT_FALSE(CVRDCommonBase::IsSensorHeld());
    });
    EXPECT_EQ(CVRDCommonBase::RunMessageBox(nullptr, uikit::kBoxTypeDeviceAttached), 2);
    EXPECT_TRUE(script_.Done());
    EXPECT_EQ(list, QStringLiteral("A - Pressure\nB\nC - Humidity\nD\n"));
    EXPECT_EQ(under, CVRDCommonBase::LoadText(2118));
    EXPECT_NE(closing, 0) << "no one-second timer ran once the list was shown";
    EXPECT_TRUE(timers.Fired(closing));
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
    EXPECT_EQ(CVRDCommonBase::RunMessageBox(nullptr, uikit::kBoxTypeDeviceAttached), 1);  // OK, not the five-second time-out
    EXPECT_TRUE(script_.Done());
}

TEST_F(MessageBoxTest, NothingEndsTheBoxWhileDetectionRuns)
{
    bool handled = false;
    script_.When(Started(), [&] {
        QTest::keyClick(Box(), Qt::Key_Escape);
        Box()->close();
        Box()->reject();
        QCoreApplication::postEvent(Box(), new QCloseEvent);
        // A device code from anywhere but the box's own worker is no report.
        uikit::PostScreenMessage(Box(), uikit::WM_DEVICE_FOUND);
        // Posted after them, so handled after them.
        QMetaObject::invokeMethod(Box(), [&] { handled = true; }, Qt::QueuedConnection);
    });
    script_.When([&] { return handled; }, [&] {
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
    BoxTimers timers;
    int closing = 0;
    script_.When(TypeIs(uikit::kBoxTypeQuestion), [&] {
        closing = timers.Watch(Box(), 5000);
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
    EXPECT_TRUE(script_.Done());
    EXPECT_NE(closing, 0) << "no five-second timer ran";
    EXPECT_TRUE(timers.Fired(closing));
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
    BoxTimers timers;
    int closing = 0;
    third.When(TypeIs(uikit::kBoxTypeNotice), [&] {
        EXPECT_FALSE(Box()->CancelButton().isVisible());
        closing = timers.Watch(Box(), 5000);
        QTest::keyClick(Box(), Qt::Key_Escape);
    });
    EXPECT_EQ(CVRDCommonBase::RunMessageBox(nullptr, uikit::kBoxTypeNotice, QStringLiteral("Saved.")), 2);
    EXPECT_TRUE(third.Done());
    EXPECT_NE(closing, 0);
    EXPECT_FALSE(timers.Fired(closing)) << "ended by its timer, not by Escape";
}

TEST_F(MessageBoxTest, WithoutASensorObjectTheBoxSaysSoAndCanBeClosed)
{
    Restart([](uikit::CommonServices& services) {
        services.makeSensor = [] { return std::unique_ptr<devicelink::CNI2CSensor>(); };
    });
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
    Restart([](uikit::CommonServices& services) { services.messageBox.lateCancelMs = 200; });
    BoxTimers timers;
    int late = 0;
    script_.When([] { return Box() != nullptr; }, [&] { late = timers.Watch(Box(), 200); });
    script_.When(Started(), [&] { EXPECT_FALSE(Box()->CancelButton().isVisible()); });
    script_.When([] { return Box() && Box()->CancelButton().isVisible(); }, [&] {
        EXPECT_TRUE(timers.Fired(late)) << "Cancel came before its timer";
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
    ASSERT_EQ(CVRDCommonBase::InitGlobals(StartServices()), 1);
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
