#include "FlowTestSupport.h"

#include "devicelink/protocol/CommandFrame.h"

#include <gtest/gtest.h>

using namespace firmware;
using fwtest::FlowRig;
using fwtest::ImageFolder;
using fwtest::Logger;
namespace code = devicelink::code;

namespace {

constexpr int kButtons[] = {UpgradeFlow::kOpenButton, UpgradeFlow::kUpgradeButton, UpgradeFlow::kDownloadButton};

bool NoneEnabled(const UpgradeFlow& flow)
{
    for (int b : kButtons)
        if (flow.Enabled(b))
            return false;
    return true;
}

}  // namespace

TEST(UpgradeFlow, FirmwareNewerThanTheOldestUpgradableEnablesOpenAndDownload)
{
    struct Case {
        int32_t version;
        bool enabled;
    };
    for (const Case c : {Case{20101100, false}, Case{20101101, true}}) {
        SCOPED_TRACE(c.version);
        FlowRig rig(Logger(0, 41, c.version));
        UpgradeFlow& flow = rig.Start();
        EXPECT_TRUE(flow.DeviceReady());
        EXPECT_EQ(flow.DeviceVersion(), uint32_t(c.version));
        EXPECT_EQ(flow.Enabled(UpgradeFlow::kOpenButton), c.enabled);
        EXPECT_EQ(flow.Enabled(UpgradeFlow::kDownloadButton), c.enabled);
        EXPECT_FALSE(flow.Enabled(UpgradeFlow::kUpgradeButton));
        EXPECT_EQ(flow.IntroText(), flow.Text(0) + u'\n' + flow.Text(1));
    }
}

TEST(UpgradeFlow, WithoutALoggerEveryButtonStaysDisabled)
{
    FlowRig rig;
    rig.Sim().Stop();
    UpgradeFlow& flow = rig.Start();
    EXPECT_FALSE(flow.DeviceReady());
    EXPECT_TRUE(NoneEnabled(flow));
}

// A 5000-byte pair for bank 0 at sequence 41: three blocks, then the finish with sequence 42.
TEST(UpgradeFlow, WritesImageABlockByBlockAndFinishes)
{
    FlowRig rig(Logger(0, 41));
    UpgradeFlow& flow = rig.Start();
    ImageFolder images(5000);
    flow.OpenFirmwareFile(images.PathA());
    ASSERT_TRUE(flow.Enabled(UpgradeFlow::kUpgradeButton)) << flow.InfoText().toStdString();
    EXPECT_EQ(flow.InfoText(), flow.Text(2) + u'\n' + flow.Text(3) + " :" + images.PathA() + u'\n' + flow.Text(4)
                                   + ": 20240101");

    flow.StartUpgrade();
    ASSERT_TRUE(flow.TimerRunning());
    // Nothing can be clicked, nor the window closed, while the image is written.
    EXPECT_TRUE(NoneEnabled(flow));
    EXPECT_FALSE(flow.CanClose());
    EXPECT_EQ(flow.ProgressMaximum(), 3);
    const auto statuses = rig.RunWrite();
    ASSERT_EQ(statuses.size(), 4u);
    EXPECT_EQ(statuses[0], flow.Text(5) + " (33 %)");
    EXPECT_EQ(statuses[2], flow.Text(5) + " (100 %)");
    EXPECT_EQ(flow.StatusText(), flow.Text(7));
    EXPECT_EQ(rig.Sent(code::kFirmwareBlock), 3u);
    EXPECT_EQ(rig.Sent(code::kFirmwareCheck), 1u);
    const auto verdict = rig.Sim().Device().Verdict();
    EXPECT_TRUE(verdict.accepted) << verdict.reason;
    EXPECT_EQ(verdict.image, images.a);
    EXPECT_EQ(rig.Sim().Device().FirmwareSequence(), 42);
    EXPECT_FALSE(flow.Enabled(UpgradeFlow::kUpgradeButton));
    EXPECT_TRUE(flow.Enabled(UpgradeFlow::kOpenButton));
    EXPECT_TRUE(flow.CanClose());
}

TEST(UpgradeFlow, AnImageOfWholeBlocksFinishesOnTheTickAfterItsLastBlock)
{
    FlowRig rig(Logger(1, 7));
    UpgradeFlow& flow = rig.Start();
    ImageFolder images(4096);
    flow.OpenFirmwareFile(images.PathB());
    flow.StartUpgrade();
    const auto statuses = rig.RunWrite();
    ASSERT_EQ(statuses.size(), 3u);
    EXPECT_EQ(statuses[0], flow.Text(5) + " (33 %)");
    EXPECT_EQ(statuses[1], flow.Text(5) + " (66 %)");
    EXPECT_EQ(statuses[2], flow.Text(7));
    EXPECT_EQ(rig.Sent(code::kFirmwareBlock), 2u);
    EXPECT_EQ(rig.Sim().Device().Verdict().image, images.b);  // bank 1: image B
}

// A block the logger does not acknowledge ends the write with no finish; an unanswered finish
// leaves the upgrade to be tried again.
TEST(UpgradeFlow, AnUnansweredBlockOrFinishShowsTheFailure)
{
    struct Case {
        const char* fault;
        size_t ticks;
        uint64_t finishes;
        bool upgradeAfter;
    };
    for (const Case& c : {Case{"0x1000001F drop", 1, 0, false}, Case{"0x1000001D drop", 4, 1, true}}) {
        SCOPED_TRACE(c.fault);
        FlowRig rig(Logger(0, 41));
        UpgradeFlow& flow = rig.Start();
        ImageFolder images(5000);
        flow.OpenFirmwareFile(images.PathA());
        ASSERT_TRUE(rig.Sim().AddFault(c.fault));
        flow.StartUpgrade();
        EXPECT_EQ(rig.RunWrite().size(), c.ticks);
        EXPECT_EQ(flow.StatusText(), flow.Text(6));
        EXPECT_EQ(rig.Sent(code::kFirmwareCheck), c.finishes);
        EXPECT_EQ(flow.Enabled(UpgradeFlow::kUpgradeButton), c.upgradeAfter);
        EXPECT_TRUE(flow.Enabled(UpgradeFlow::kOpenButton));
        if (c.upgradeAfter) {
            flow.StartUpgrade();
            rig.RunWrite();
            EXPECT_EQ(flow.StatusText(), flow.Text(7));
        }
    }
}

// The bank selection that names no usable bank stops before the first block, and says so.
TEST(UpgradeFlow, NoBankOrNoImageForItShowsTheFailure)
{
    for (const bool dropped : {true, false}) {
        SCOPED_TRACE(dropped ? "no answer" : "bank 2");
        FlowRig rig(Logger(dropped ? 0 : 2, 41));
        UpgradeFlow& flow = rig.Start();
        ImageFolder images(3000);
        flow.OpenFirmwareFile(images.PathA());
        if (dropped) {
            ASSERT_TRUE(rig.Sim().AddFault("0x1000001B drop"));
        }
        flow.StartUpgrade();
        EXPECT_FALSE(flow.TimerRunning());
        EXPECT_EQ(flow.StatusText(), flow.Text(6));
        EXPECT_EQ(rig.Sent(code::kFirmwareBlock), 0u);
    }
}

// What is written is what was checked: a file changed on disk afterwards is not sent.
TEST(UpgradeFlow, TheCheckedBytesAreSentNotTheFileAsItIsLater)
{
    FlowRig rig(Logger(0, 41));
    UpgradeFlow& flow = rig.Start();
    ImageFolder images(5000);
    flow.OpenFirmwareFile(images.PathA());
    const auto checked = images.a;
    fwtest::WriteFile(images.PathA(), std::vector<uint8_t>(7000, 0x42));
    flow.StartUpgrade();
    rig.RunWrite();
    EXPECT_EQ(flow.StatusText(), flow.Text(7));
    EXPECT_EQ(rig.Sim().Device().Verdict().image, checked);
}

// A failed check never leaves an earlier good pair ready to be written.
TEST(UpgradeFlow, AFailedCheckDisablesTheUpgrade)
{
    FlowRig rig(Logger(0, 41));
    UpgradeFlow& flow = rig.Start();
    ImageFolder good(3000);
    flow.OpenFirmwareFile(good.PathA());
    ASSERT_TRUE(flow.Enabled(UpgradeFlow::kUpgradeButton));
    for (const QString& bad : {good.dir.filePath("unpaired.bin"), QStringLiteral("A.bin"),
                               good.dir.filePath("missing_A.bin")}) {
        SCOPED_TRACE(bad.toStdString());
        flow.OpenFirmwareFile(good.PathA());
        flow.OpenFirmwareFile(bad);
        EXPECT_FALSE(flow.Enabled(UpgradeFlow::kUpgradeButton));
        EXPECT_EQ(flow.InfoText(), flow.Text(8));
    }
    flow.StartUpgrade();
    EXPECT_FALSE(flow.TimerRunning());
    flow.OpenFirmwareFile(QString());  // the chooser was cancelled
    EXPECT_EQ(flow.InfoText(), flow.Text(8));
}

// A cable pulled mid-write ends the link; the next try opens it again and writes the image, or
// says plainly that the logger must be plugged in again.
TEST(UpgradeFlow, TheNextTryAfterAPulledCableReconnectsOrSaysWhatToDo)
{
    for (const bool loggerBack : {true, false}) {
        SCOPED_TRACE(loggerBack ? "logger back" : "logger gone");
        FlowRig rig(Logger(0, 41));
        UpgradeFlow& flow = rig.Start();
        ImageFolder images(5000);
        flow.OpenFirmwareFile(images.PathA());
        ASSERT_TRUE(rig.Sim().AddFault("0x1000001F disconnect"));
        flow.StartUpgrade();
        rig.RunWrite();
        EXPECT_EQ(flow.StatusText(), flow.Text(6));
        ASSERT_TRUE(fwtest::WaitUntil([] { return DevGetDriverState() == 0; }));
        if (!loggerBack)
            rig.Sim().Stop();

        flow.OpenFirmwareFile(images.PathA());  // a failed block leaves the pair to be chosen again
        flow.StartUpgrade();
        EXPECT_TRUE(flow.Reconnecting());
        EXPECT_EQ(flow.StatusText(), flow.Text(11));
        EXPECT_EQ(flow.ProgressValue(), 0);
        EXPECT_TRUE(NoneEnabled(flow));
        ASSERT_TRUE(fwtest::WaitUntil([&] { return !flow.Reconnecting(); }));
        if (loggerBack) {
            ASSERT_TRUE(flow.TimerRunning()) << flow.StatusText().toStdString();
            rig.RunWrite();
            EXPECT_EQ(flow.StatusText(), flow.Text(7));
            const auto verdict = rig.Sim().Device().Verdict();
            EXPECT_TRUE(verdict.accepted) << verdict.reason;
            EXPECT_EQ(verdict.image, images.a);
        } else {
            EXPECT_FALSE(flow.TimerRunning());
            EXPECT_EQ(flow.StatusText(), flow.Text(12));
            EXPECT_FALSE(flow.Text(12).isEmpty());
            EXPECT_TRUE(flow.Enabled(UpgradeFlow::kUpgradeButton));  // it may be tried once more
        }
    }
}
