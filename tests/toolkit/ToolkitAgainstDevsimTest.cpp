// The device-change box on the real device layer, against the simulated logger.
#include "ToolkitTestSupport.h"

#include "tests/support/DevsimFixture.h"
#include "tests/support/LinkHelpers.h"

#include <QTimer>

namespace {

using uikit::CVRDCommonBase;

class ToolkitAgainstDevsim : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        EnsureWidgetApp();
        QDir::setCurrent(QStringLiteral(CORVIK_DATA_DIR));
    }
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(sim_.Start(error)) << error;
        sim_.PointDriverHere();
        platform::SetProcessRegistry(&registry_);
        ASSERT_EQ(CVRDCommonBase::InitGlobals(), 1);
    }
    void TearDown() override
    {
        CVRDCommonBase::Shutdown();  // the sensor object closes the device
        platform::SetProcessRegistry(nullptr);
        sim_.Stop();
    }

    devsim::testing::InProcessDevsim sim_;
    platform::MemoryRegistryStore registry_;
};

TEST_F(ToolkitAgainstDevsim, APluggedSensorIsDetectedWhileTheBoxIsUp)
{
    devicelink::CNI2CSensor* sensor = CVRDCommonBase::GetSensor();
    ASSERT_NE(sensor, nullptr);
    const std::string catalogue = (CVRDCommonBase::GetDataDirectory() + QStringLiteral("/sensor_korean.xml")).toStdString();
    ASSERT_EQ(sensor->LoadSensorXml(catalogue), 1);
    ASSERT_EQ(sensor->LoadCatalogue(), 1);

    sim_.Command("plug 1 N11");
    int32_t poll = -1;
    corviktest::WaitUntil([&] { return (poll = sensor->PollSensorState()) == devicelink::kPollPlugged; }, 2000);
    ASSERT_EQ(poll, devicelink::kPollPlugged);

    QString list;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (uikit::CMessageBoxDlg* box = CVRDCommonBase::GetMessageBox(); box && box->Type() == 2 && list.isEmpty())
            list = box->BodyText();
    });
    watch.start(5);
    EXPECT_EQ(CVRDCommonBase::RunMessageBox(nullptr, uikit::kBoxTypeDeviceAttached), 2);
    EXPECT_EQ(sensor->connected(1), 1);
    const QString name = QString::fromStdU16String(std::u16string(platform::FieldView(sensor->channel(1).name)));
    EXPECT_FALSE(name.isEmpty());
    EXPECT_EQ(list, QStringLiteral("A\nB - %1\nC\nD\n").arg(name));
    EXPECT_EQ(sensor->PollSensorState(), devicelink::kPollNoChange);
}

}  // namespace
