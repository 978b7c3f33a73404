// A host whose Qt application has already ended when it unloads the add-in (one that quits
// without closing the add-in first): the snapshot window's display thread must end before the
// library and the device layer it reads through go. Its own program, since the application
// ends here.
#include "AddInHostFixture.h"
#include "DialogDriver.h"

#include <QApplication>

#include <chrono>
#include <filesystem>
#include <thread>

namespace addintest {
namespace {

int ThreadCount()
{
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        (void)entry;
        ++n;
    }
    return n;
}

TEST(HostApplicationGone, UnloadEndsTheSnapshotThreadFirst)
{
    static int argc = 1;
    static char name[] = "addin_appgone_tests";
    static char* argv[] = {name, nullptr};
    auto app = std::make_unique<QApplication>(argc, argv);

    SetDataFolder(BuildShare());
    devsim::testing::InProcessDevsim sim;
    std::string error;
    ASSERT_TRUE(sim.Start(error)) << error;
    sim.PointDriverHere();
    ASSERT_TRUE(sim.Plug(0, "N2H constant value=21.5"));
    xlhost::Host host;
    ASSERT_TRUE(host.LoadAddIn(CORVIK_ADDIN_LIBRARY, error)) << error;
    const int threadsBefore = ThreadCount();

    ASSERT_EQ(host.AddIn()->Call("PVSnapshotDialog", {0}).value_or(-999), 1);
    QWidget* window = ShownWindow(5001);  // the snapshot window
    ASSERT_TRUE(window);
    // The display thread has found the probe and reads it.
    ASSERT_TRUE(SpinUntil([&] { return ChannelText(*window, 0).contains(QStringLiteral("21.5")); }, 8000));

    app.reset();
    host.UnloadAddIn();
    EXPECT_EQ(ThreadCount(), threadsBefore);
    // A thread left running in the unloaded library's code would end the program meanwhile.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    sim.Stop();
}

}  // namespace
}  // namespace addintest
