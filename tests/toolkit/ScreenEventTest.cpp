#include "ToolkitTestSupport.h"

#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"
#include "uikit/events/TimerIds.h"

#include <QPointer>
#include <QTimerEvent>

#include <thread>
#include <vector>

namespace {

using namespace uikit;

// Records the screen messages and timers it receives.
class Receiver : public QObject {
public:
    struct Got {
        int code;
        qint64 w, l;
        QString text;
    };
    bool event(QEvent* e) override
    {
        if (const ScreenEvent* m = AsScreenEvent(e)) {
            got.push_back({m->code(), m->wParam(), m->lParam(), m->text()});
            return true;
        }
        return QObject::event(e);
    }
    void timerEvent(QTimerEvent* e) override { fired.push_back(timers.IdOf(e)); }

    std::vector<Got> got;
    std::vector<int> fired;
    TimerIds timers{this};
};

class ScreenEventTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureWidgetApp(); }
};

TEST_F(ScreenEventTest, CodesAreEventTypesAndPayloadsArriveAsCopies)
{
    for (int code : kScreenMessageCodes) {
        EXPECT_GE(code, int(QEvent::User));
        EXPECT_LE(code, int(QEvent::MaxUser));
        EXPECT_EQ(int(ScreenEventType(code)), code);
    }
    // Reserved: Qt never hands one of the codes out as another event type.
    for (int i = 0; i < 50; ++i) {
        const int other = QEvent::registerEventType();
        for (int code : kScreenMessageCodes)
            EXPECT_NE(other, code);
    }

    Receiver receiver;
    QString title = QStringLiteral("Pressure");
    ASSERT_TRUE(PostScreenMessage(&receiver, WM_HTML_TITLE, 7, -3, title));
    title = QStringLiteral("changed");
    EXPECT_FALSE(PostScreenMessage(&receiver, 0x1000));  // not a screen message
    EXPECT_FALSE(PostScreenMessage(nullptr, WM_SCREEN_SHOW));
    ASSERT_TRUE(toolkittest::SpinUntil([&] { return !receiver.got.empty(); }));
    ASSERT_EQ(receiver.got.size(), 1u);
    EXPECT_EQ(receiver.got[0].code, WM_HTML_TITLE);
    EXPECT_EQ(receiver.got[0].w, 7);
    EXPECT_EQ(receiver.got[0].l, -3);
    EXPECT_EQ(receiver.got[0].text, QStringLiteral("Pressure"));

    QEvent plain{QEvent::Type(WM_SCREEN_SHOW)};
    EXPECT_EQ(AsScreenEvent(&plain), nullptr);
}

TEST_F(ScreenEventTest, WorkersPostFromTheirThreadsAndADeletedReceiverGetsNothing)
{
    Receiver receiver;
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&receiver, t] {
            for (int i = 0; i < 25; ++i)
                PostScreenMessage(&receiver, WM_ACQ_DATA, t, i);
        });
    for (auto& w : workers)
        w.join();
    ASSERT_TRUE(toolkittest::SpinUntil([&] { return receiver.got.size() == 100; }));

    auto* gone = new Receiver;
    PostScreenMessage(gone, WM_MONITOR_DATA);
    delete gone;
    toolkittest::Spin(20);  // the pending event was dropped with its receiver
}

TEST_F(ScreenEventTest, TimersKeepTheirIds)
{
    Receiver receiver;
    receiver.timers.SetTimer(111, 10);
    receiver.timers.SetTimer(444, 10000);
    ASSERT_TRUE(toolkittest::SpinUntil([&] { return !receiver.fired.empty(); }));
    EXPECT_EQ(receiver.fired[0], 111);
    EXPECT_TRUE(receiver.timers.IsActive(444));
    receiver.timers.KillTimer(111);
    receiver.timers.KillTimer(999);  // never started: nothing happens
    EXPECT_FALSE(receiver.timers.IsActive(111));
    const size_t count = receiver.fired.size();
    toolkittest::Spin(40);
    EXPECT_EQ(receiver.fired.size(), count);
    QTimerEvent foreign(12345);
    EXPECT_EQ(receiver.timers.IdOf(&foreign), 0);
    receiver.timers.KillAll();
    EXPECT_FALSE(receiver.timers.IsActive(444));
}

}  // namespace
