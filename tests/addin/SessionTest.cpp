// The workbook session with dialogs that answer as a test tells them, and the hand-over of work
// to the host thread.
#include "CoreFixture.h"

#include "addin/AnalyzeData.h"
#include "addin/host/HostThread.h"
#include "addin/Language.h"

#include <QCoreApplication>

#include <atomic>
#include <cmath>
#include <thread>

namespace {

using namespace addin;
using namespace addintest;

struct Record {
    int curveAnswer = kDialogOk;
    CurveChoice curve;
    int32_t method = 0;
    std::vector<std::u16string> shownLines;
    int destroyed = 0;
    bool deviceOpenWhenDestroyed = false;
    bool snapshotOpen = false;
    int snapshotsClosed = 0;
};

class ScriptedDialogs : public AddInDialogs {
public:
    explicit ScriptedDialogs(Record& r) : r_(r) {}
    bool SnapshotDialogExists() const override { return r_.snapshotOpen; }
    bool CloseSnapshotDialog() override
    {
        const bool was = r_.snapshotOpen;
        r_.snapshotOpen = false;
        r_.snapshotsClosed += was ? 1 : 0;
        return was;
    }
    void ShowAnalysisDetail(const std::vector<std::u16string>& lines) override { r_.shownLines = lines; }
    int RunCurveSelect(CurveChoice& choice) override
    {
        choice = r_.curve;
        return r_.curveAnswer;
    }
    int RunIntegralModel(int32_t& method) override
    {
        method = r_.method;
        return kDialogOk;
    }
    int RunDerivativeModel(int32_t& method) override
    {
        method = r_.method;
        return kDialogOk;
    }
    void DestroyAll() override
    {
        ++r_.destroyed;
        r_.deviceOpenWhenDestroyed = device::CorvikApiSensor() != nullptr;
    }

private:
    Record& r_;
};

class Session : public CoreDeviceTest {
protected:
    void SetUp() override
    {
        CoreDeviceTest::SetUp();
        InstallDialogs(std::make_unique<ScriptedDialogs>(record_));
        for (int i = 0; i < 40; ++i) {
            x_.push_back(1.0 + 0.25 * i);
            y_.push_back(5.0 * std::exp(-0.3 * x_.back()) + 1.0);
        }
    }
    int Analyze(int kind)
    {
        return addin::Session().AnalyzeData(0, 39, 40, kind, 6, x_.data(), y_.data(), nullptr);
    }
    std::u16string Title() const { return addin::Session().AnalysisLines().at(0); }

    Record record_;
    std::vector<double> x_, y_;
};

TEST_F(Session, CurveDialogChoosesTheFit)
{
    struct Case {
        CurveChoice choice;
        int title;
    };
    const Case cases[] = {
        {{0, 8, 0}, 2179}, {{1, 0, 0}, 2184}, {{2, 0, 0}, 2181}, {{2, 0, 1}, 2183}, {{3, 0, 0}, 2182},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        record_.curve = c.choice;
        ASSERT_EQ(Analyze(kAnalysisPolynomial), 1);
        EXPECT_EQ(Title(), LanguageText(c.title));
    }
    // Order index 8: a polynomial of order 11.
    record_.curve = {0, 8, 0};
    ASSERT_EQ(Analyze(kAnalysisPolynomial), 1);
    EXPECT_EQ(addin::Session().AnalysisLines().at(6), LanguageText(2180) + u" : 11");

    record_.curveAnswer = kDialogCancel;
    host_.Cells().ClearAll();
    const std::vector<std::u16string> before = addin::Session().AnalysisLines();
    EXPECT_EQ(Analyze(kAnalysisPolynomial), 0);
    EXPECT_EQ(host_.Cells().Count(), 0u);
    EXPECT_EQ(addin::Session().AnalysisLines(), before);
}

TEST_F(Session, IntegralAndDerivativeTakeTheirMethod)
{
    record_.method = 2;
    x_.push_back(0);  // one more point after the range for the integral's neighbour
    y_.push_back(0);
    ASSERT_EQ(addin::Session().AnalyzeData(1, 38, 41, kAnalysisIntegral, 6, x_.data(), y_.data(), nullptr), 1);
    EXPECT_EQ(Title(), LanguageText(2187));
    record_.method = 1;
    ASSERT_EQ(Analyze(kAnalysisDerivative), 1);
    EXPECT_EQ(addin::Session().AnalysisLines().back().rfind(LanguageText(2178), 0), 0u);
}

TEST_F(Session, TheResultWindowKeepsItsOwnLines)
{
    ASSERT_EQ(Analyze(kAnalysisLinear), 1);
    EXPECT_EQ(addin::Session().AnalyzeDialog(), 1);
    const std::vector<std::u16string> shown = record_.shownLines;
    ASSERT_FALSE(shown.empty());
    ASSERT_EQ(Analyze(kAnalysisStatistics), 1);  // the session's lines are rebuilt
    EXPECT_NE(addin::Session().AnalysisLines(), shown);
    EXPECT_EQ(record_.shownLines, shown);
}

TEST_F(Session, CloseDestroysTheWindowsBeforeTheDevice)
{
    ASSERT_EQ(addin::Session().Init(), 1);
    ShutDown(true);
    EXPECT_EQ(record_.destroyed, 1);
    EXPECT_TRUE(record_.deviceOpenWhenDestroyed);
    EXPECT_EQ(device::CorvikApiSensor(), nullptr);
    EXPECT_FALSE(addin::Session().IsOpen());
}

TEST_F(Session, SnapshotToCellClosesTheSnapshotWindowFirst)
{
    record_.snapshotOpen = true;
    EXPECT_EQ(addin::Session().SnapshotToCell(), 1);
    EXPECT_EQ(record_.snapshotsClosed, 1);
}

// Work posted from another thread runs on the host thread: through the event loop when the
// host runs one on that thread, otherwise when the host next calls in.
TEST(HostThreadQueue, ThroughTheEventLoop)
{
    ASSERT_NE(QCoreApplication::instance(), nullptr);
    host::HostThreadQueue queue;
    queue.EnterFromHost();
    std::atomic<int> ran{0};
    std::thread::id where;
    std::thread([&] { queue.Post([&] { where = std::this_thread::get_id(); ++ran; }); }).join();
    for (int i = 0; i < 100 && ran == 0; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(where, std::this_thread::get_id());

    // Dropped at shut-down: nothing arrives afterwards.
    std::thread([&] { queue.Post([&] { ++ran; }); }).join();
    queue.Shutdown();
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, 1);
}

TEST(HostThreadQueue, WithoutAnEventLoopAtTheNextCall)
{
    host::HostThreadQueue queue;
    std::atomic<int> ran{0};
    std::thread::id hostThread, where;
    // A host thread that is not the Qt application's.
    std::thread host([&] {
        hostThread = std::this_thread::get_id();
        queue.EnterFromHost();
        std::thread([&] { queue.Post([&] { where = std::this_thread::get_id(); ++ran; }); }).join();
        EXPECT_EQ(ran, 0);
        queue.EnterFromHost();
        EXPECT_EQ(ran, 1);
    });
    host.join();
    EXPECT_EQ(where, hostThread);
}

}  // namespace
