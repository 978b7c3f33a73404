#include "logger/sensorsetup/SensorSetup2Dlg.h"

#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include "devicelink/sensor/CNI2CSensor.h"
#include "logger/sensorsetup/core/SensorSetupRules.h"
#include "logger/sensorsetup/core/SetupTexts.h"
#include "platform/CLocale.h"
#include "uikit/paint/SkinPaint.h"

namespace sensorsetup {

namespace text = sensorsetup::text;

namespace {

// The set-up dialogs' background serves the generator's dialog too.
constexpr int kBackground = 2028;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int kOkLeft = 248, kOkTop = 190;

// The dialog's own texts, as its template carries them.
const QString kCaption = QStringLiteral("Function Generator");
const QString kFrequencyLabel = QStringLiteral("Frequency");
const QString kFrequencyHint = QStringLiteral("(1-9999)");
const QString kAmplitudeLabel = QStringLiteral("Amplitude");
const QString kAmplitudeHint = QStringLiteral("(1-100)");
const QString kDemoCaption = QStringLiteral("Forced OSC Demo");

// Pressed in, the demo button is plainly on.
const QString kDemoStyle = QStringLiteral(
    "QPushButton { background: #e8e8e8; color: #202020; border: 2px solid #808080; border-radius: 4px; }"
    "QPushButton:checked { background: #2e9e4f; color: white; border: 2px solid #1d6b34; }"
    "QPushButton:disabled { color: #909090; }");

QLineEdit* Edit(QWidget* parent, int id, const QFont& font, const QRect& place)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::number(id));
    edit->setFont(font);
    edit->setGeometry(place);
    return edit;
}

}  // namespace

SensorSetup2Dlg::SensorSetup2Dlg(QWidget* owner, devicelink::CNI2CSensor& sensor) : SetupDialogBase(owner, sensor)
{
    setObjectName(QStringLiteral("SensorSetup2Dlg"));
    setWindowTitle(kCaption);
    background_ = Picture(kBackground);
    frequency_ = Edit(this, kFrequencyEditId, font14_, uikit::RectFromEdges(120, 60, 200, 84));
    amplitude_ = Edit(this, kAmplitudeEditId, font14_, uikit::RectFromEdges(120, 98, 200, 122));
    // The sensor object's values; the worker has not started, so they may be read here.
    frequency_->setText(QString::fromStdString(sensorsetup::FormatEditNumber(Sensor().StoredFrequency())));
    amplitude_->setText(QString::fromStdString(platform::FormatInt(Sensor().StoredAmplitude())));

    demo_ = new QPushButton(kDemoCaption, this);
    demo_->setObjectName(QString::number(kDemoButtonId));
    demo_->setCheckable(true);
    demo_->setAutoDefault(false);
    demo_->setFont(font14_);
    demo_->setStyleSheet(kDemoStyle);
    demo_->setGeometry(uikit::RectFromEdges(20, 140, 200, 172));
    CreateOkCancel(kOkLeft, kOkTop);
}

SensorSetup2Dlg::~SensorSetup2Dlg() = default;

bool SensorSetup2Dlg::Demo() const
{
    return demo_->isChecked();
}

void SensorSetup2Dlg::showEvent(QShowEvent* event)
{
    if (!started_) {
        started_ = true;
        StartWorker(-1);
    }
    SetupDialogBase::showEvent(event);
}

void SensorSetup2Dlg::BusyChanged()
{
    const bool idle = !Busy();
    frequency_->setEnabled(idle);
    amplitude_->setEnabled(idle);
    demo_->setEnabled(idle);
}

void SensorSetup2Dlg::OnOk()
{
    float frequency = 0.0f;
    int32_t amplitude = 0;
    const sensorsetup::GeneratorInput input = sensorsetup::ParseGeneratorInput(
        frequency_->text().toStdString(), amplitude_->text().toStdString(), frequency, amplitude);
    if (input != sensorsetup::GeneratorInput::Valid) {
        QLineEdit* bad = input == sensorsetup::GeneratorInput::BadFrequency ? frequency_ : amplitude_;
        bad->setFocus();
        bad->selectAll();
        Notice(input == sensorsetup::GeneratorInput::BadFrequency ? text::kFrequencyOutOfRange : text::kAmplitudeOutOfRange);
        return;
    }
    const int channel = channel_;
    const bool demo = Demo();
    RunJob(
        [=](SetupSensor& sensor) {
            JobOutcome outcome;
            outcome.channel = channel;
            const bool done = demo ? sensor.StartGenerator(
                                         channel, frequency, devicelink::CNI2CSensor::GeneratorAmplitudeCode(amplitude))
                                   : sensor.StopGenerator(channel);
            outcome.result = done ? 1 : 0;
            if (done)
                sensor.StoreGeneratorSettings(frequency, amplitude);
            return outcome;
        },
        [this](const JobOutcome& outcome) {
            if (outcome.result != 1) {
                Notice(text::kGeneratorUnreachable);
                return;
            }
            Finish(kResultOk);
        });
}

void SensorSetup2Dlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintBackground(painter, background_);
    DrawTextInRect(painter, kCaption, 15, 12, 305, 40, &font16_, kWhite, uikit::kFormatLeftLine);
    DrawTextInRect(painter, kFrequencyLabel, 20, 60, 118, 84, &font14_, kWhite, uikit::kFormatLeftLine);
    DrawTextInRect(painter, kFrequencyHint, 206, 60, 305, 84, &font14_, kWhite, uikit::kFormatLeftLine);
    DrawTextInRect(painter, kAmplitudeLabel, 20, 98, 118, 122, &font14_, kWhite, uikit::kFormatLeftLine);
    DrawTextInRect(painter, kAmplitudeHint, 206, 98, 305, 122, &font14_, kWhite, uikit::kFormatLeftLine);
}

}  // namespace sensorsetup
