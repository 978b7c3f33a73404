#include "logger/sensorsetup/CSensorSetup1Dlg.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>

#include "devicelink/sensor/CNI2CSensor.h"
#include "logger/sensorsetup/core/SetupTexts.h"
#include "platform/Text.h"
#include "uikit/button/CButtonST.h"
#include "uikit/paint/SkinPaint.h"

namespace sensorsetup {

namespace text = sensorsetup::text;

namespace {

// Skin pictures.
constexpr int kSetupBackground = 2028;
constexpr int kCalibrationBackground = 2420;
constexpr int kFirstChannelPicture = 2029;  // selected, normal, disabled: three per channel
constexpr int kNotCalibratedPicture = 2407;
constexpr int kCalibratedPicture = 2408;

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kYellow = 0x00FFFF;
constexpr int kTextChars = 64;

// Design coordinates (left, top, right, bottom).
constexpr int kChannelLeft = 6, kChannelTop = 6, kChannelStep = 78, kChannelWidth = 76, kChannelHeight = 32;
constexpr int kRowTops[3] = {90, 115, 140};
constexpr int kRowHeight = 22;
constexpr int kLiveLeft = 95, kLiveTop = 65, kLiveRight = 255, kLiveBottom = 87;
constexpr int kOkLeft = 248, kOkTop = 183;

QString FromUtf16(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

template <class Widget>
Widget* Control(QWidget* parent, int id, int left, int top, int right, int bottom)
{
    auto* widget = new Widget(parent);
    widget->setObjectName(QString::number(id));
    widget->setGeometry(uikit::RectFromEdges(left, top, right, bottom));
    return widget;
}

// A push button of the dialog that Enter never presses on its own.
QPushButton* Button(QWidget* parent, int id, const QString& caption, const QFont& font, const QRect& place)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    button->setFont(font);
    button->setGeometry(place);
    return button;
}

// The lists look like those of the other dialogs: the 14-px face in the platform's own list box.
// Only a choice too long for its box is shown smaller, down to a floor, beside the arrow.
constexpr int kListFontPixels = 14;
constexpr int kSmallestListFontPixels = 11;
constexpr int kListArrowAndFrame = 30;

void FitListFont(QComboBox& combo)
{
    QFont font = combo.font();
    const int room = combo.width() - kListArrowAndFrame;
    font.setPixelSize(kListFontPixels);
    while (font.pixelSize() > kSmallestListFontPixels &&
           QFontMetrics(font).horizontalAdvance(combo.currentText()) > room)
        font.setPixelSize(font.pixelSize() - 1);
    combo.setFont(font);
}

void Fill(QComboBox& combo, const std::vector<sensorsetup::ListEntry>& entries, int32_t selected)
{
    combo.clear();
    for (const sensorsetup::ListEntry& entry : entries) {
        const QString text =
            entry.textId != 0 ? uikit::CVRDCommonBase::LoadText(entry.textId, kTextChars) : FromUtf16(entry.text);
        combo.addItem(text, entry.value);
    }
    combo.setCurrentIndex(combo.findData(selected));
    combo.setEnabled(!entries.empty());
    FitListFont(combo);
    // The list may be wider than its box: its entries are shown whole.
    combo.view()->setMinimumWidth(combo.view()->sizeHintForColumn(0) + 8);
}

// A long name is drawn in the smaller font before it is cut.
void DrawName(QPainter& painter, const QString& name, const QRect& box, const QFont& font, const QFont& smaller)
{
    const QFont& chosen = QFontMetrics(font).horizontalAdvance(name) <= box.width() ? font : smaller;
    painter.save();
    painter.setFont(chosen);
    painter.setPen(uikit::ColorFromRef(kWhite));
    painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     QFontMetrics(chosen).elidedText(name, Qt::ElideRight, box.width()));
    painter.restore();
}

}  // namespace

CSensorSetup1Dlg::CSensorSetup1Dlg(QWidget* owner, devicelink::CNI2CSensor& sensor)
    : SetupDialogBase(owner, sensor), model_(Sensor(), SetupMode::ChannelSetup)
{
    setObjectName(QStringLiteral("CSensorSetup1Dlg"));
    notCalibrated_ = Picture(kNotCalibratedPicture);
    calibrated_ = Picture(kCalibratedPicture);
    CreateControls();
    CreateOkCancel(kOkLeft, kOkTop);
}

CSensorSetup1Dlg::~CSensorSetup1Dlg() = default;

QRect CSensorSetup1Dlg::LiveValueRect()
{
    return uikit::RectFromEdges(kLiveLeft, kLiveTop, kLiveRight, kLiveBottom);
}

void CSensorSetup1Dlg::SetMode(SetupMode mode)
{
    if (!initialised_)
        model_.SetMode(mode);
}

void CSensorSetup1Dlg::SetPoints(const monitor::CalibrationPoints& points)
{
    if (!initialised_)
        model_.SetPoints(points, Sensor());
}

void CSensorSetup1Dlg::CreateControls()
{
    for (int c = 0; c < 4; ++c) {
        auto* button = new uikit::CButtonST(this);
        button->setObjectName(QString::number(kChannelButtonIds[c]));
        const int first = kFirstChannelPicture + 3 * c;
        button->SetBitmaps(Picture(first), uikit::kSkinKey, Picture(first + 1), uikit::kSkinKey, QPixmap(), 0,
                           Picture(first + 2), uikit::kSkinKey);
        button->SetFlag(true);
        button->SetFlatFocus(true);
        button->SetShowFocusRect(false);
        button->SetCheckBoxMode(true);
        button->setAccessibleName(QStringLiteral("ch[%1]").arg(QChar(u'A' + c)));
        button->setGeometry(kChannelLeft + kChannelStep * c, kChannelTop, kChannelWidth, kChannelHeight);
        button->setEnabled(false);
        connect(button, &QAbstractButton::clicked, this, [this, c] { SelectChannel(c); });
        channelButtons_[size_t(c)] = button;
    }

    rangeCombo_ = Control<QComboBox>(this, kRangeComboId, 95, 65, 235, 88);
    outputCombo_ = Control<QComboBox>(this, kOutputComboId, 260, 65, 310, 88);
    triggerCombo_ = Control<QComboBox>(this, kTriggerComboId, 95, 90, 195, 113);
    modeCombo_ = Control<QComboBox>(this, kModeComboId, 95, 115, 195, 138);
    edits_[size_t(SetupEdit::Level)] = Control<QLineEdit>(this, kLevelEditId, 260, 92, 310, 114);
    edits_[size_t(SetupEdit::ZeroOffset)] = Control<QLineEdit>(this, kZeroOffsetEditId, 95, 154, 145, 176);
    edits_[size_t(SetupEdit::Factor)] = Control<QLineEdit>(this, kFactorEditId, 200, 154, 250, 176);
    for (QComboBox* combo : {rangeCombo_, outputCombo_, triggerCombo_, modeCombo_}) {
        combo->setFont(font14_);
        connect(combo, &QComboBox::currentIndexChanged, this, [combo] { FitListFont(*combo); });
    }

    // A choice of the user (never a refill) goes to the model, and the lists follow it.
    const auto onChoice = [this](QComboBox* combo, void (SensorSetupModel::*choose)(int32_t)) {
        connect(combo, &QComboBox::currentIndexChanged, this, [this, combo, choose] {
            if (refilling_)
                return;
            (model_.*choose)(combo->currentData().toInt());
            RefillLists();
            UpdateEnabled();
            update();
        });
    };
    onChoice(triggerCombo_, &SensorSetupModel::ChooseTrigger);
    onChoice(modeCombo_, &SensorSetupModel::ChooseMode);
    onChoice(outputCombo_, &SensorSetupModel::ChooseOutput);
    onChoice(rangeCombo_, &SensorSetupModel::ChooseRange);

    for (int e = 0; e < kSetupEditCount; ++e) {
        QLineEdit* edit = edits_[size_t(e)];
        edit->setFont(font14_);
        connect(edit, &QLineEdit::textChanged, this, [this, e](const QString& typed) {
            if (!refilling_)
                model_.SetEditText(SetupEdit(e), typed.toStdString());
        });
    }

    const QString capture = LoadText(text::kCaptureButton, kTextChars);
    for (int row = 0; row < 3; ++row) {
        const int top = kRowTops[row];
        QLineEdit* reference = Control<QLineEdit>(this, kReferenceEditIds[row], 95, top, 140, top + kRowHeight);
        QLineEdit* measured = Control<QLineEdit>(this, kMeasuredEditIds[row], 185, top, 230, top + kRowHeight);
        reference->setFont(font14_);
        measured->setFont(font14_);
        measured->setEnabled(false);
        // Never typed, but read: the measured value keeps a dark text.
        QPalette readable = measured->palette();
        readable.setColor(QPalette::Disabled, QPalette::Text, QColor(40, 40, 40));
        measured->setPalette(readable);
        connect(reference, &QLineEdit::textChanged, this, [this, row](const QString& typed) {
            if (!refilling_)
                model_.SetReferenceText(row, typed.toStdString());
        });
        QPushButton* button =
            Button(this, kCaptureButtonIds[row], capture, font14_, uikit::RectFromEdges(260, top, 284, top + kRowHeight));
        connect(button, &QPushButton::clicked, this, [this, row] { Capture(row); });
        referenceEdits_[size_t(row)] = reference;
        measuredEdits_[size_t(row)] = measured;
        captureButtons_[size_t(row)] = button;
    }
    clearButton_ = Button(this, kClearButtonId, LoadText(text::kClearButton, kTextChars), font14_,
                          uikit::RectFromEdges(15, 183, 85, 205));
    connect(clearButton_, &QPushButton::clicked, this, [this] { Clear(); });
    zeroButton_ = Button(this, kZeroButtonId, LoadText(text::kZeroButton, kTextChars), font14_,
                         uikit::RectFromEdges(202, 180, 244, 202));
    connect(zeroButton_, &QPushButton::clicked, this, [this] { Zero(); });
}

void CSensorSetup1Dlg::showEvent(QShowEvent* event)
{
    if (!initialised_)
        Initialise();
    SetupDialogBase::showEvent(event);
}

void CSensorSetup1Dlg::Initialise()
{
    initialised_ = true;
    const bool calibration = model_.Mode() == SetupMode::Calibration;
    background_ = Picture(calibration ? kCalibrationBackground : kSetupBackground);
    for (int c = 0; c < 4; ++c)
        channelButtons_[size_t(c)]->setEnabled(model_.Channel(c).connected);
    for (QWidget* w : {static_cast<QWidget*>(rangeCombo_), static_cast<QWidget*>(outputCombo_),
                       static_cast<QWidget*>(triggerCombo_), static_cast<QWidget*>(modeCombo_)})
        w->setVisible(!calibration);
    for (QLineEdit* edit : edits_)
        edit->setVisible(!calibration);
    if (calibration)
        zeroButton_->setGeometry(uikit::RectFromEdges(90, 183, 160, 205));
    clearButton_->setVisible(false);
    for (int row = 0; row < 3; ++row) {
        referenceEdits_[size_t(row)]->setVisible(false);
        measuredEdits_[size_t(row)]->setVisible(false);
        captureButtons_[size_t(row)]->setVisible(false);
    }
    // The calibration dialog reads its channel's live value; the set-up dialog only runs jobs.
    StartWorker(calibration ? model_.Current() : -1);
    SelectChannel(model_.Current());
}

void CSensorSetup1Dlg::SelectChannel(int channel)
{
    if (Busy())
        return;
    if (model_.Select(channel) && model_.Mode() == SetupMode::Calibration)
        Worker().SetChannel(channel);
    Refill();
}

void CSensorSetup1Dlg::Refill()
{
    refilling_ = true;
    const int current = model_.Current();
    for (int c = 0; c < 4; ++c)
        channelButtons_[size_t(c)]->SetCheck(c == current ? 1 : 0);
    for (int e = 0; e < kSetupEditCount; ++e)
        edits_[size_t(e)]->setText(QString::fromStdString(model_.EditText(SetupEdit(e))));
    Fill(*triggerCombo_, sensorsetup::TriggerEntries(), model_.TriggerValue());
    refilling_ = false;
    RefillLists();

    if (model_.Mode() == SetupMode::Calibration) {
        refilling_ = true;
        const int rows = model_.RowCount();
        for (int row = 0; row < 3; ++row) {
            const bool shown = row < rows;
            referenceEdits_[size_t(row)]->setVisible(shown);
            measuredEdits_[size_t(row)]->setVisible(shown);
            captureButtons_[size_t(row)]->setVisible(shown);
            referenceEdits_[size_t(row)]->setText(QString::fromStdString(model_.ReferenceText(row)));
            ShowMeasured(row);
        }
        clearButton_->setVisible(model_.ClearShown());
        refilling_ = false;
    }
    zeroButton_->setVisible(model_.ZeroShown());
    UpdateEnabled();
    update();
}

void CSensorSetup1Dlg::RefillLists()
{
    refilling_ = true;
    Fill(*rangeCombo_, model_.RangeEntries(), model_.RangeValue());
    Fill(*modeCombo_, model_.ModeEntries(), model_.ModeValue());
    Fill(*outputCombo_, model_.OutputEntries(), model_.OutputValue());
    refilling_ = false;
}

void CSensorSetup1Dlg::UpdateEnabled()
{
    const bool idle = !Busy();
    for (int c = 0; c < 4; ++c)
        channelButtons_[size_t(c)]->setEnabled(idle && model_.Channel(c).connected);
    triggerCombo_->setEnabled(idle);
    rangeCombo_->setEnabled(idle && rangeCombo_->count() > 0);
    modeCombo_->setEnabled(idle && modeCombo_->count() > 0);
    outputCombo_->setEnabled(idle && outputCombo_->count() > 0);
    edits_[size_t(SetupEdit::ZeroOffset)]->setEnabled(idle);
    edits_[size_t(SetupEdit::Factor)]->setEnabled(idle);
    edits_[size_t(SetupEdit::Level)]->setEnabled(idle && model_.LevelEnabled());
    const bool rows = idle && model_.RowsEnabled();
    for (int row = 0; row < 3; ++row) {
        referenceEdits_[size_t(row)]->setEnabled(rows);
        captureButtons_[size_t(row)]->setEnabled(rows && model_.CaptureEnabled());
        // The measured values are shown, never typed.
        measuredEdits_[size_t(row)]->setEnabled(false);
    }
    clearButton_->setEnabled(idle);
    zeroButton_->setEnabled(idle);
}

void CSensorSetup1Dlg::BusyChanged()
{
    UpdateEnabled();
}

void CSensorSetup1Dlg::OnSample(const LiveSample& sample)
{
    model_.OnSample(sample);
    UpdateEnabled();
    update(LiveValueRect());
}

void CSensorSetup1Dlg::Capture(int row)
{
    if (Busy() || !model_.Capture(row))
        return;
    refilling_ = true;
    ShowMeasured(row);
    refilling_ = false;
}

void CSensorSetup1Dlg::ShowMeasured(int row)
{
    QLineEdit* edit = measuredEdits_[size_t(row)];
    edit->setText(QString::fromStdString(model_.MeasuredText(row)));
    edit->setCursorPosition(0);
}

void CSensorSetup1Dlg::Zero()
{
    const int channel = model_.Current();
    if (channel < 0)
        return;
    RunJob(
        [channel](SetupSensor& sensor) {
            JobOutcome outcome;
            outcome.channel = channel;
            outcome.result = sensor.SetZero(channel) ? 1 : 0;
            outcome.state = sensor.State(channel);
            return outcome;
        },
        [this](const JobOutcome& outcome) {
            model_.OnJobOutcome(outcome);
            if (outcome.result != 1) {
                Notice(text::kZeroNotSet);
                return;
            }
            model_.MarkZeroed(outcome.channel);
            Refill();
        });
}

void CSensorSetup1Dlg::Clear()
{
    const int channel = model_.Current();
    if (channel < 0 || model_.Mode() != SetupMode::Calibration)
        return;
    RunJob(
        [channel](SetupSensor& sensor) {
            JobOutcome outcome;
            outcome.channel = channel;
            outcome.result = sensor.ClearCalibration(channel) ? 1 : 0;
            return outcome;
        },
        [this](const JobOutcome& outcome) {
            if (outcome.result != 1)
                Notice(text::kCalibrationNotCleared);
            // The channel changed either way: the caller sets it up again.
            Finish(kResultOk);
        });
}

void CSensorSetup1Dlg::OnOk()
{
    if (model_.Mode() == SetupMode::Calibration)
        OkCalibration();
    else
        OkSetup();
}

void CSensorSetup1Dlg::OkSetup()
{
    if (const std::optional<BadEntry> bad = model_.ApplyEdits()) {
        PointAt(bad->channel, edits_[size_t(bad->field)]);
        Notice(text::kNotANumber);
        return;
    }
    RunJob(
        [settings = model_.SettingsToWrite()](SetupSensor& sensor) {
            SensorSetupModel::WriteSettings(sensor, settings);
            return JobOutcome{1, -1, std::nullopt};
        },
        [this](const JobOutcome&) { Finish(kResultOk); });
}

void CSensorSetup1Dlg::OkCalibration()
{
    if (const std::optional<BadEntry> bad = model_.ApplyReferences()) {
        PointAt(bad->channel, referenceEdits_[size_t(bad->field)]);
        Notice(text::kNotANumber);
        return;
    }
    const CalibrationPlan plan = model_.PlanCalibration();
    for (const auto& [channel, points] : plan.channels) {
        if (model_.Store().Check(channel) == PointsCheck::SameReading) {
            PointAt(channel, nullptr);
            Notice(text::kSameReading);
            return;
        }
    }
    if (plan.channels.empty()) {
        Finish(kResultOk);
        return;
    }
    RunJob(
        [plan](SetupSensor& sensor) {
            JobOutcome outcome;
            outcome.result = 1;
            for (const auto& [channel, points] : plan.channels) {
                if (CalibrationStore::Store(sensor, channel, points) == StoreOutcome::NotAcknowledged) {
                    outcome.result = 0;
                    outcome.channel = channel;
                }
            }
            return outcome;
        },
        [this](const JobOutcome& outcome) {
            // The points are the channel's now, whatever the sensor kept: the user must know.
            if (outcome.result != 1)
                Notice(text::kCalibrationNotStored);
            Finish(kResultOk);
        });
}

void CSensorSetup1Dlg::PointAt(int channel, QLineEdit* edit)
{
    if (channel != model_.Current())
        SelectChannel(channel);
    if (edit) {
        edit->setFocus();
        edit->selectAll();
    }
}

void CSensorSetup1Dlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintBackground(painter, background_);
    const int current = model_.Current();
    const auto label = [&](int id, int left, int top, int right, int bottom, int format = uikit::kFormatLeftLine) {
        DrawTextInRect(painter, LoadText(id, kTextChars), left, top, right, bottom, &font16_, kWhite, format);
    };

    if (model_.Mode() == SetupMode::ChannelSetup) {
        label(text::kSensorLabel, 15, 40, 95, 65);
        if (current >= 0) {
            const QString name = FromUtf16(platform::FieldView(model_.Channel(current).state.fullName));
            DrawName(painter, name, uikit::RectFromEdges(95, 40, 310, 65), font16_, font14_);
        }
        label(text::kRangeLabel, 15, 65, 95, 90);
        label(text::kOutputArrow, 235, 65, 255, 90, uikit::kTextSingleLine | uikit::kTextVCentre | uikit::kTextRight);
        label(text::kTriggerLabel, 15, 90, 95, 115);
        label(text::kLevelLabel, 200, 90, 258, 115);
        label(text::kModeLabel, 15, 115, 95, 140);
        label(text::kOffsetLabel, 15, 152, 95, 177);
        label(text::kFactorLabel, 150, 152, 198, 177);
        if (model_.ZeroShown())
            DrawTextInRect(painter, LoadText(text::kOptionLabel, kTextChars), 150, 177, 200, 202, &font14_, kWhite,
                           uikit::kFormatLeftLine);
        return;
    }

    const QPixmap& state = model_.Calibrated() ? calibrated_ : notCalibrated_;
    DrawBitmapTransparent(painter, state, 260, 44, 310, 84, uikit::kSkinKey);
    label(text::kValueLabel, 15, 65, 95, 87);
    QString live;
    if (model_.Live() == LiveState::Failing)
        live = LoadText(text::kNoReading, kTextChars);
    else
        live = FromUtf16(model_.LiveText());
    DrawTextInRect(painter, live, kLiveLeft, kLiveTop, kLiveRight, kLiveBottom, &font16_, kYellow,
                   uikit::kFormatLeftLine);
    if (model_.RowCount() >= 1)
        label(text::kReferenceLabel, 15, 90, 95, 112);
}

}  // namespace sensorsetup
