#include "FlowTestSupport.h"
#include "HttpFixture.h"

#include <QNetworkProxy>

#include <gtest/gtest.h>

using namespace firmware;
using fwtest::FlowRig;
using fwtest::Logger;
using fwtest::MakeImage;

namespace {

std::string Body(const std::vector<uint8_t>& image)
{
    return {image.begin(), image.end()};
}

const std::string kPathA = "/corvik_upgrade/Corvik_Firmware_AppA.bin";
const std::string kPathB = "/corvik_upgrade/Corvik_Firmware_AppB.bin";

// The flow against the simulated logger, downloading from the fixture into a folder of its own.
class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fwtest::EnsureApp();
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        a_ = MakeImage(6000, 0, 20240101, 100, 7);
        b_ = MakeImage(6000, 1, 20240101, 200, 9);
        http_.Serve(kPathA, {200, Body(a_)});
        http_.Serve(kPathB, {200, Body(b_)});
    }

    UpgradeFlow& Start(int timeoutMs = 5000)
    {
        UpgradeFlow::Options o = FlowRig::DefaultOptions();
        o.downloadFolder = folder_.path();
        o.server = QString::fromStdString(http_.Server());
        o.transferTimeoutMs = timeoutMs;
        return rig_.Start(o);
    }

    // Clicks download and waits for its end.
    void Download(UpgradeFlow& flow)
    {
        flow.DownloadFirmware();
        ASSERT_TRUE(fwtest::WaitUntil([&] { return !flow.Downloading(); }, 10000));
    }

    QString Local(const char* name) const { return folder_.filePath(QString::fromLatin1(name)); }

    HttpFixture http_;
    FlowRig rig_{Logger(0, 41, 20130913)};
    QTemporaryDir folder_;
    std::vector<uint8_t> a_, b_;
};

}  // namespace

TEST_F(DownloadTest, AGoodPairIsFetchedCheckedAndOfferedForWriting)
{
    UpgradeFlow& flow = Start();
    flow.DownloadFirmware();
    // The download runs in the event loop, with every button disabled meanwhile.
    EXPECT_TRUE(flow.Downloading());
    EXPECT_FALSE(flow.Enabled(UpgradeFlow::kDownloadButton));
    EXPECT_FALSE(flow.Enabled(UpgradeFlow::kOpenButton));
    ASSERT_TRUE(fwtest::WaitUntil([&] { return !flow.Downloading(); }, 10000));

    EXPECT_EQ(fwtest::ReadFile(Local("Corvik_Firmware_AppA.bin")), a_);
    EXPECT_EQ(fwtest::ReadFile(Local("Corvik_Firmware_AppB.bin")), b_);
    EXPECT_FALSE(flow.Enabled(UpgradeFlow::kOpenButton));
    EXPECT_TRUE(flow.Enabled(UpgradeFlow::kUpgradeButton));
    EXPECT_TRUE(flow.Enabled(UpgradeFlow::kDownloadButton));
    EXPECT_TRUE(flow.InfoText().startsWith(flow.Text(2)));

    const auto requests = http_.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].rfind("GET " + kPathA + " ", 0), 0u);
    EXPECT_EQ(requests[1].rfind("GET " + kPathB + " ", 0), 0u);
    for (const auto& head : requests) {
        EXPECT_NE(head.find("Content-Type: application/x-www-form-urlencoded"), std::string::npos) << head;
        EXPECT_NE(head.find("no-cache"), std::string::npos) << head;
    }

    flow.StartUpgrade();
    rig_.RunWrite();
    EXPECT_EQ(flow.StatusText(), flow.Text(7));
    EXPECT_EQ(rig_.Sim().Device().Verdict().image, a_);
}

// Every broken transfer is a failure, and the files already there stay as they were.
TEST_F(DownloadTest, ABrokenTransferFailsAndLeavesTheLocalFiles)
{
    struct Case {
        const char* what;
        std::string path;
        HttpFixture::Route route;
    };
    const std::string oversized(size_t(FirmwareDownload::kMaxBodyBytes) + 1, '\x11');
    const Case cases[] = {
        {"404 on B", kPathB, {404, "gone"}},
        {"500 on A", kPathA, {500, Body(a_)}},
        {"a body of 1 MiB + 1", kPathA, {200, oversized}},
        {"closed mid-body", kPathB, {200, Body(b_), 3000}},
        {"stalled mid-body", kPathA, {200, Body(a_), 1000, true}},
    };
    const std::vector<uint8_t> oldA(3000, 0x21), oldB(3000, 0x22);
    fwtest::ImageFolder local(3000);
    UpgradeFlow& flow = Start(500);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // A good local pair first: the failed download must not leave it ready to be written.
        flow.OpenFirmwareFile(local.PathA());
        ASSERT_TRUE(flow.Enabled(UpgradeFlow::kUpgradeButton));
        http_.Serve(kPathA, {200, Body(a_)});
        http_.Serve(kPathB, {200, Body(b_)});
        http_.Serve(c.path, c.route);
        fwtest::WriteFile(Local("Corvik_Firmware_AppA.bin"), oldA);
        fwtest::WriteFile(Local("Corvik_Firmware_AppB.bin"), oldB);
        Download(flow);
        EXPECT_EQ(flow.InfoText(), flow.Text(10));
        EXPECT_FALSE(flow.Enabled(UpgradeFlow::kUpgradeButton));
        EXPECT_TRUE(flow.Enabled(UpgradeFlow::kDownloadButton));
        EXPECT_EQ(fwtest::ReadFile(Local("Corvik_Firmware_AppA.bin")), oldA);
        EXPECT_EQ(fwtest::ReadFile(Local("Corvik_Firmware_AppB.bin")), oldB);
        EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Files).size(), 2);  // no part file left behind
    }
}

TEST_F(DownloadTest, AFolderThatCannotBeWrittenFailsTheDownload)
{
    UpgradeFlow::Options o = FlowRig::DefaultOptions();
    o.downloadFolder = folder_.filePath("no_such_folder");
    o.server = QString::fromStdString(http_.Server());
    UpgradeFlow& flow = rig_.Start(o);
    Download(flow);
    EXPECT_EQ(flow.InfoText(), flow.Text(10));
    EXPECT_FALSE(flow.Enabled(UpgradeFlow::kUpgradeButton));
}

// A pair that arrived whole but is older than the logger's firmware is refused after the download.
TEST_F(DownloadTest, ADownloadedPairOlderThanTheLoggerFailsItsCheck)
{
    http_.Serve(kPathA, {200, Body(MakeImage(6000, 0, 20130912, 100))});
    UpgradeFlow& flow = Start();
    Download(flow);
    EXPECT_EQ(flow.InfoText(), flow.Text(9));
    EXPECT_FALSE(flow.Enabled(UpgradeFlow::kUpgradeButton));
    EXPECT_TRUE(flow.Enabled(UpgradeFlow::kOpenButton));
}

TEST(FirmwareDownload, TheServerComesFromTheEnvironmentOrIsTheDefault)
{
    unsetenv("CORVIK_FIRMWARE_SERVER");
    EXPECT_EQ(FirmwareDownload::ConfiguredServer(), QStringLiteral("127.0.0.1:9001"));
    setenv("CORVIK_FIRMWARE_SERVER", "127.0.0.1:18123", 1);
    EXPECT_EQ(FirmwareDownload::ConfiguredServer(), QStringLiteral("127.0.0.1:18123"));
    unsetenv("CORVIK_FIRMWARE_SERVER");
}
