// The set-up, calibration and function generator dialogs, offscreen, on the real device layer and
// sensor object against the simulated logger run in-process. The test opens the dialogs as the
// monitor does (with its points) and answers their notices.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "devicelink/protocol/Vocabulary.h"
#include "devicelink/sensor/CNI2CSensor.h"
#include "devicelink/sensor/SensorMemoryLayout.h"
#include "logger/monitor/core/MonitorSensor.h"
#include "logger/sensorsetup/core/SetupTexts.h"
#include "logger/sensorsetup/CSensorSetup1Dlg.h"
#include "logger/sensorsetup/SensorSetup2Dlg.h"
#include "platform/LittleEndian.h"
#include "platform/RegistryStore.h"
#include "tests/support/CommonServicesOnDevsim.h"
#include "tests/support/DevsimFixture.h"
#include "tests/support/LinkHelpers.h"
#include "tests/support/PaintWatch.h"
#include "tests/support/WidgetApp.h"
#include "tools/devsim/Chips.h"
#include "tools/devsim/SensorModels.h"
#include "uikit/button/CButtonST.h"
#include "uikit/common/CVRDCommonBase.h"

using sensorsetup::CSensorSetup1Dlg;
using sensorsetup::SensorSetup2Dlg;
using sensorsetup::SetupDialogBase;
using sensorsetup::SetupEdit;
using sensorsetup::SetupMode;
using uikit::CVRDCommonBase;

namespace {

namespace text = sensorsetup::text;

// A wide-range voltage sensor whose memory chip holds a shipped two-point line: 0 V at raw 0 and
// 30 V at raw 32767 on both paths, so that it reads what its signal is.
std::string TwoPointMemory()
{
    std::vector<uint8_t> image(devicelink::memory_chip::kBytes, 0);
    namespace memory = devicelink::memory;
    platform::WriteLE32(image, memory::kKind, 2);
    const float values[4] = {0.0f, 30.0f, 0.0f, 30.0f};
    const int16_t raws[4] = {0, 32767, 0, 32767};
    for (size_t k = 0; k < 4; ++k) {
        platform::WriteLEFloat(image, memory::kFirstValues + 4 * k, values[k]);
        platform::WriteLE16(image, memory::kFirstRaws + 2 * k, uint16_t(raws[k]));
    }
    std::string hex;
    for (uint8_t b : image) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", b);
        hex += digits;
    }
    return hex;
}

class SetupDialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        EnsureWidgetApp();
        QDir::setCurrent(QStringLiteral(CORVIK_DATA_DIR));
    }
    void TearDown() override
    {
        CVRDCommonBase::Shutdown();  // the sensor object closes the device
        platform::SetProcessRegistry(nullptr);
        if (sim)
            sim->Stop();
    }

    // Sensors as "model [options] [signal]" per channel, empty for none; detected as the root does.
    void Begin(const std::vector<std::string>& channels)
    {
        sim = std::make_unique<devsim::testing::InProcessDevsim>();
        uint32_t plugged = 0;
        for (size_t c = 0; c < channels.size(); ++c) {
            if (channels[c].empty())
                continue;
            devsim::SensorSpec spec;
            std::string error;
            ASSERT_TRUE(devsim::ParseSensorSpec(channels[c], spec, error)) << error;
            ASSERT_TRUE(sim->Device().Plug(int(c), spec, error)) << error;
            plugged |= 1u << c;
        }
        std::string error;
        ASSERT_TRUE(sim->Start(error)) << error;
        sim->PointDriverHere();
        platform::SetProcessRegistry(&registry);
        sensor = corviktest::StartServicesWithCatalogue();
        ASSERT_NE(sensor, nullptr);
        Detect(plugged);
    }
    void Detect(uint32_t wanted)
    {
        ASSERT_TRUE(corviktest::DetectPluggedSensors(*sensor, wanted));
        for (int c = 0; c < 4; ++c) {
            if (wanted & (1u << c)) {
                ASSERT_EQ(sensor->connected(c), 1) << c;
            }
        }
    }
    // The calibration dialog as the monitor opens it, with the points it gathers.
    std::unique_ptr<CSensorSetup1Dlg> OpenCalibration()
    {
        auto dialog = std::make_unique<CSensorSetup1Dlg>(nullptr, *sensor);
        dialog->SetNoticeHandler([this](const QString& text) { notices.push_back(text); });
        dialog->SetMode(SetupMode::Calibration);
        monitor::MonitorSensorAdapter monitorSensor([this] { return sensor; });
        dialog->SetPoints(monitor::GatherCalibrationPoints(monitorSensor));
        dialog->open();
        return dialog;
    }
    std::unique_ptr<CSensorSetup1Dlg> OpenSetup()
    {
        auto dialog = std::make_unique<CSensorSetup1Dlg>(nullptr, *sensor);
        dialog->SetNoticeHandler([this](const QString& text) { notices.push_back(text); });
        dialog->open();
        return dialog;
    }
    std::unique_ptr<SensorSetup2Dlg> OpenGenerator(int channel)
    {
        auto dialog = std::make_unique<SensorSetup2Dlg>(nullptr, *sensor);
        dialog->SetNoticeHandler([this](const QString& text) { notices.push_back(text); });
        dialog->SetChannel(channel);
        dialog->open();
        return dialog;
    }
    // Waits for the dialog to end; its result, or 0 when it is still open.
    static int Ended(QDialog& dialog, int timeoutMs = 8000)
    {
        if (!SpinUntil([&] { return !dialog.isVisible(); }, timeoutMs))
            return 0;
        return dialog.result();
    }
    // The live value of the channel shown, once a reading has come.
    static float NextReading(CSensorSetup1Dlg& dialog)
    {
        EXPECT_TRUE(SpinUntil([&] { return dialog.Model().CaptureEnabled(); }, 3000));
        const QString live = QString::fromStdU16String(dialog.Model().LiveText());
        return live.section(QLatin1Char(' '), 0, 0).toFloat();
    }
    // What channel c reads through the sensor object now.
    float ReadChannel(int c)
    {
        float values[4] = {}, fast[4] = {};
        int32_t raws[4] = {}, fastRaws[4] = {};
        EXPECT_EQ(sensor->ReadSingleValue(c, values, fast, raws, fastRaws, 4), 1);
        return values[0];
    }
    void SavePicture(QWidget& widget, const char* name)
    {
        const QString folder = QStringLiteral(CORVIK_BINARY_DIR "/pictures");
        QDir().mkpath(folder);
        ASSERT_TRUE(widget.grab().save(folder + QLatin1Char('/') + QLatin1String(name)));
    }

    std::unique_ptr<devsim::testing::InProcessDevsim> sim;
    platform::MemoryRegistryStore registry;
    devicelink::CNI2CSensor* sensor = nullptr;
    std::vector<QString> notices;
};

// The level of a stepping signal (5 or 10 V) a reading stands for.
float Level(float reading)
{
    return std::round(reading / 5.0f) * 5.0f;
}

TEST_F(SetupDialogs, ATwoPointCalibrationChangesTheReadingsAndStaysInTheSensor)
{
    Begin({"W75 memory=" + TwoPointMemory() + " steps offset=5 step=5 levels=2 period=1"});
    auto dialog = OpenCalibration();
    ASSERT_EQ(dialog->Model().RowCount(), 2);
    // Nothing to capture before the first reading.
    EXPECT_FALSE(dialog->CaptureButton(0).isEnabled());
    PaintWatch watch;
    dialog->installEventFilter(&watch);
    const float first = Level(NextReading(*dialog));
    ASSERT_TRUE(first == 5.0f || first == 10.0f) << first;
    EXPECT_TRUE(dialog->CaptureButton(0).isEnabled());
    // A reading repaints the whole live value.
    EXPECT_TRUE(watch.painted.contains(CSensorSetup1Dlg::LiveValueRect()));
    dialog->removeEventFilter(&watch);
    dialog->CaptureButton(0).click();
    dialog->CaptureButton(1).click();

    // Both points at one reading give no line: OK is refused and the dialog stays.
    dialog->OkButton().click();
    Spin(50);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], CVRDCommonBase::LoadText(text::kSameReading));
    EXPECT_TRUE(dialog->isVisible());

    // The second point at the other level; every reference twice what it reads.
    ASSERT_TRUE(SpinUntil([&] { return Level(NextReading(*dialog)) != first; }, 4000));
    dialog->CaptureButton(1).click();
    EXPECT_EQ(dialog->MeasuredEdit(1).cursorPosition(), 0) << "a long value shows its first digits";
    const float second = first == 5.0f ? 10.0f : 5.0f;
    dialog->ReferenceEdit(0).setText(QString::number(2 * first));
    dialog->ReferenceEdit(1).setText(QString::number(2 * second));
    dialog->OkButton().click();
    ASSERT_EQ(Ended(*dialog), SetupDialogBase::kResultOk);
    EXPECT_EQ(notices.size(), 1u);

    const auto doubled = [&] {
        const float value = ReadChannel(0);
        return std::fabs(value - 10.0f) < 0.05f || std::fabs(value - 20.0f) < 0.05f;
    };
    EXPECT_TRUE(doubled());

    // Pulled and plugged in again, the sensor brings its calibration along in its memory.
    sim->Command("pull 0");
    ASSERT_TRUE(corviktest::WaitUntil([&] { return sensor->PollSensorState() == devicelink::kPollRemoved; }, 3000));
    std::u16string detected;
    sensor->DetectSensors(detected);
    sim->Command("replug 0");
    Detect(1);
    uint32_t secondKind = 0;
    sim->Device().WithSensor(0, [&](devsim::VirtualSensor* s) {
        secondKind = s->ChipAt(devicelink::memory_chip::kAddress)->RegsLE(
            devicelink::memory_chip::kFirstRegister + int(devicelink::memory::kSecondKind), 4);
    });
    EXPECT_EQ(secondKind, 2u);
    EXPECT_EQ(sensor->channel(0).conversionKind, 2);
    EXPECT_TRUE(doubled());
}

TEST_F(SetupDialogs, TheOnlyChannelConnectedOpensAndItsListsFollowEachOther)
{
    Begin({"", "", "R7JF"});
    auto dialog = OpenSetup();
    Spin(20);
    EXPECT_EQ(dialog->Model().Current(), 2);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(dialog->ChannelButton(c).isEnabled(), c == 2) << c;
        EXPECT_EQ(dialog->ChannelButton(c).GetCheck(), c == 2 ? 1 : 0) << c;
    }

    // Only the level triggers take a level.
    QComboBox& trigger = dialog->TriggerCombo();
    for (int kind = 0; kind < 6; ++kind) {
        trigger.setCurrentIndex(trigger.findData(kind));
        EXPECT_EQ(dialog->Edit(SetupEdit::Level).isEnabled(), kind == 1 || kind == 2) << kind;
    }

    // The photogate's counter mode counts (range 1); the analogue range makes it analogue.
    QComboBox& mode = dialog->ModeCombo();
    QComboBox& range = dialog->RangeCombo();
    mode.setCurrentIndex(mode.findData(4));
    EXPECT_EQ(range.currentData().toInt(), 1);
    range.setCurrentIndex(range.findData(2));
    EXPECT_EQ(mode.currentData().toInt(), 5);
    mode.setCurrentIndex(mode.findData(0));
    EXPECT_EQ(range.currentData().toInt(), 0);
    mode.setCurrentIndex(mode.findData(4));
    SavePicture(*dialog, "dialog_sensor_setup.png");

    dialog->OkButton().click();
    ASSERT_EQ(Ended(*dialog), SetupDialogBase::kResultOk);
    EXPECT_EQ(sensor->channel(2).sensorTypeCode, 4);
    EXPECT_EQ(sensor->channel(2).unitChoice[0], 1);
    EXPECT_EQ(sensor->channel(2).triggerKind, 5);
}

TEST_F(SetupDialogs, TheGeneratorRunsAsTypedStopsOnOkAloneAndCancelSendsNothing)
{
    Begin({"N19"});
    const auto generator = [&] {
        bool running = false;
        int code = -1;
        float frequency = 0.0f;
        sim->Device().WithSensor(0, [&](devsim::VirtualSensor* s) {
            auto* chip = s->Find<devsim::FunctionGeneratorChip>();
            running = chip->Running(0);
            code = chip->AmplitudeCode(0);
            frequency = chip->Frequency(0);
        });
        return std::make_tuple(running, code, frequency);
    };

    auto dialog = OpenGenerator(0);
    EXPECT_EQ(dialog->FrequencyEdit().text(), QStringLiteral("2"));
    EXPECT_EQ(dialog->AmplitudeEdit().text(), QStringLiteral("50"));
    // Out of range: told, and the dialog stays with nothing sent.
    const size_t writes = sim->Device().Writes().size();
    for (const auto& [frequency, amplitude] : {std::pair{"0", "50"}, {"nan", "50"}, {"440", "-1"}}) {
        dialog->FrequencyEdit().setText(QString::fromLatin1(frequency));
        dialog->AmplitudeEdit().setText(QString::fromLatin1(amplitude));
        dialog->OkButton().click();
        Spin(20);
        EXPECT_TRUE(dialog->isVisible()) << frequency << " " << amplitude;
    }
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_EQ(notices[2], CVRDCommonBase::LoadText(text::kAmplitudeOutOfRange));
    EXPECT_EQ(sim->Device().Writes().size(), writes);

    dialog->FrequencyEdit().setText(QStringLiteral("440"));
    dialog->AmplitudeEdit().setText(QStringLiteral("100"));
    dialog->DemoButton().click();
    EXPECT_TRUE(dialog->Demo());
    SavePicture(*dialog, "dialog_function_generator.png");
    dialog->OkButton().click();
    ASSERT_EQ(Ended(*dialog), SetupDialogBase::kResultOk);
    EXPECT_EQ(generator(), std::make_tuple(true, 229, 440.0f));

    // Reopened, it shows what was kept; OK without the demo stops the generator.
    dialog = OpenGenerator(0);
    EXPECT_EQ(dialog->FrequencyEdit().text(), QStringLiteral("440"));
    EXPECT_EQ(dialog->AmplitudeEdit().text(), QStringLiteral("100"));
    dialog->OkButton().click();
    ASSERT_EQ(Ended(*dialog), SetupDialogBase::kResultOk);
    EXPECT_FALSE(std::get<0>(generator()));

    // Cancel writes nothing and keeps nothing.
    const size_t before = sim->Device().Writes().size();
    dialog = OpenGenerator(0);
    dialog->FrequencyEdit().setText(QStringLiteral("1000"));
    dialog->DemoButton().click();
    dialog->CancelButton().click();
    ASSERT_EQ(Ended(*dialog), SetupDialogBase::kResultCancel);
    EXPECT_EQ(sim->Device().Writes().size(), before);
    EXPECT_FLOAT_EQ(sensor->generatorFrequency(), 440.0f);
}

TEST_F(SetupDialogs, ASilentLoggerNeitherFreezesTheDialogNorPassesForAStoredCalibration)
{
    Begin({"W75 memory=" + TwoPointMemory() + " constant value=12"});
    auto dialog = OpenCalibration();
    ASSERT_TRUE(SpinUntil([&] { return dialog->Model().CaptureEnabled(); }, 3000));
    SavePicture(*dialog, "dialog_calibration.png");
    // From now on the logger answers neither readings nor writes.
    sim->Command("fault 0x10000006 drop always");
    sim->Command("fault 0x10000008 drop always");

    // The event loop goes on while the logger is asked and the answer is waited for in vain: it
    // ticks between the sending of the reading that turns the live value to failing and the
    // failing, and between the sending of OK's last write and the dialog's end.
    struct Tick {
        uint64_t reads;
        uint64_t writes;
        bool failing;
        bool shown;
    };
    std::vector<Tick> ticks;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        ticks.push_back({sim->Device().CommandCount(devicelink::code::kReadSamples),
                         sim->Device().CommandCount(devicelink::code::kWriteSetup),
                         dialog->Model().Live() == sensorsetup::LiveState::Failing, dialog->isVisible()});
    });
    ticker.start(10);
    EXPECT_TRUE(SpinUntil([&] { return dialog->Model().Live() == sensorsetup::LiveState::Failing; }, 10000));
    const uint64_t failingRead = sim->Device().CommandCount(devicelink::code::kReadSamples);
    const uint64_t writesBeforeOk = sim->Device().CommandCount(devicelink::code::kWriteSetup);
    dialog->OkButton().click();
    const int result = Ended(*dialog, 20000);
    ticker.stop();
    const uint64_t lastWrite = sim->Device().CommandCount(devicelink::code::kWriteSetup);
    EXPECT_GT(std::count_if(ticks.begin(), ticks.end(),
                            [&](const Tick& t) { return t.reads == failingRead && !t.failing; }),
              0)
        << "no tick while the failing reading waited";
    EXPECT_GT(lastWrite, writesBeforeOk);
    EXPECT_GT(std::count_if(ticks.begin(), ticks.end(), [&](const Tick& t) { return t.writes == lastWrite && t.shown; }),
              0)
        << "no tick while OK's write waited";
    EXPECT_EQ(result, SetupDialogBase::kResultOk);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], CVRDCommonBase::LoadText(text::kCalibrationNotStored));
}

}  // namespace
