#include "addin/dialogs/CMeasureDlg.h"

#include "addin/AddInDialogs.h"
#include "addin/dialogs/AddInPictures.h"
#include "addin/host/HostCall.h"

#include "uikit/button/CButtonST.h"
#include "uikit/paint/SkinPaint.h"

#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace addin::dialogs {

namespace {

constexpr WindowLook kLook{CMeasureDlg::kDialogId, "Measurement", 640, 220, 5027, {122, 162, 240}, CMeasureDlg::kTickMs};
constexpr int kStartStopPictures[4] = {5022, 5020, 5020, 5021};
constexpr int kExtraAPictures[4] = {5024, 5023, 5023, 5025};
constexpr int kExtraBPictures[4] = {5018, 5026, 5026, 5019};
constexpr int kChannelPictures[device::kTableChannels][4] = {
    {5032, 5033, 5031, 5031}, {5035, 5036, 5034, 5034}, {5038, 5039, 5037, 5037}, {5041, 5030, 5040, 5040}};
constexpr uint32_t kWhite = 0xFFFFFF;
// The channel buttons are drawn on the button face lightened by this.
constexpr uint32_t kButtonFaceLift = 0x1E1E1E;
constexpr int kRateLabelId = 2048;
constexpr int kDurationLabelId = 2047;
constexpr int kRateRangeText = 3100;
constexpr int kNoMemoryText = 3101;
constexpr int kNotStartedText = 3102;
constexpr int kChannelPitch = 160;

uint32_t LiftedButtonFace(const QWidget* widget)
{
    const uint32_t face = uikit::RefFromColor(widget->palette().color(QPalette::Button));
    uint32_t lifted = 0;
    for (int shift : {0, 8, 16}) {
        const uint32_t part = std::min<uint32_t>(((face >> shift) & 0xFF) + ((kButtonFaceLift >> shift) & 0xFF), 0xFF);
        lifted |= part << shift;
    }
    return lifted;
}

int EditNumber(const QLineEdit* edit)
{
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok);
    return ok ? value : 0;
}

}  // namespace

CMeasureDlg::CMeasureDlg(QWidget* parent) : ChannelWindow(kLook, parent), session_(device_, sheet_)
{
    CreateFont(&labelFont_, 14, QStringLiteral("Arial"), 0, 4);
    rateLabel_ = LanguageString(kRateLabelId);
    durationLabel_ = LanguageString(kDurationLabelId);

    startStop_ = MakeButton(kStartStopId, kStartStopPictures, QRect(8, 8, 50, 32));
    startStop_->SetCheckBoxMode(true);
    connect(startStop_, &QAbstractButton::toggled, this, &CMeasureDlg::OnStartStop);
    // No action of theirs is known; they are shown as not available, left of the window's title.
    MakeButton(kExtraButtonAId, kExtraAPictures, QRect(418, 5, 50, 32))->setEnabled(false);
    MakeButton(kExtraButtonBId, kExtraBPictures, QRect(472, 5, 50, 32))->setEnabled(false);

    const uint32_t face = LiftedButtonFace(this);
    for (int c = 0; c < device::kTableChannels; ++c) {
        uikit::CButtonST* button = MakeButton(kFirstChannelId + c, kChannelPictures[c],
                                              uikit::RectFromEdges(57 + kChannelPitch * c, 93, 107 + kChannelPitch * c, 111));
        button->SetCheckBoxMode(true);
        button->SetColor(uikit::CButtonST::kColourBackground, face, false);
        button->setEnabled(false);
        channelButtons_[c] = button;
    }

    elapsed_ = new QLabel(ToQString(ElapsedText(0)), this);
    elapsed_->setObjectName(QString::number(kElapsedId));
    elapsed_->setGeometry(uikit::RectFromEdges(62, 10, 152, 38));
    elapsed_->setAlignment(Qt::AlignCenter);
    elapsed_->setFont(titleFont_);
    elapsed_->setStyleSheet(QStringLiteral("color: white; background: transparent;"));

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QString::number(kProgressId));
    progress_->setGeometry(10, 55, 140, 20);
    progress_->setTextVisible(false);
    progress_->setRange(0, kDefaultDuration);
    progress_->setValue(0);

    const auto makeEdit = [this](int id, int value, int x, int maximum) {
        auto* edit = new QLineEdit(QString::number(value), this);
        edit->setObjectName(QString::number(id));
        edit->setGeometry(x, 48, 52, 24);
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        edit->setValidator(new QIntValidator(0, maximum, edit));
        return edit;
    };
    const auto makeUnit = [this](const QString& text, int x, int width) {
        auto* label = new QLabel(text, this);
        label->setGeometry(x, 48, width, 24);
        label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
        return label;
    };
    // Four digits, so that a rate past the highest reaches the check and is explained.
    rateEdit_ = makeEdit(kRateEditId, kDefaultRate, 258, 9999);
    durationEdit_ = makeEdit(kDurationEditId, kDefaultDuration, 458, 9999999);

    // The rate's up and down arrows.
    spin_ = new QWidget(this);
    spin_->setObjectName(QString::number(kSpinId));
    spin_->setGeometry(310, 48, 16, 24);
    auto* arrows = new QVBoxLayout(spin_);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    for (const auto& [arrow, step] : {std::pair{Qt::UpArrow, 1}, std::pair{Qt::DownArrow, -1}}) {
        auto* button = new QToolButton(spin_);
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFixedSize(16, 12);
        arrows->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, step = step] {
            rateEdit_->setText(QString::number(std::clamp(EditNumber(rateEdit_) + step, kMinRate, kMaxRate)));
        });
    }
    makeUnit(QStringLiteral("N/sec"), 330, 40);
    makeUnit(QStringLiteral("sec"), 514, 30);

    StartTicks();
    // The first look for sensors is the display thread's: a silent logger keeps it, not the host.
    StartDisplay(true);
}

CMeasureDlg::~CMeasureDlg()
{
    StopTicks();
    session_.Stop();
    StopDisplay();
}

uikit::CButtonST* CMeasureDlg::MakeButton(int id, const int (&pictures)[4], const QRect& place)
{
    auto* button = new uikit::CButtonST(this);
    button->setObjectName(QString::number(id));
    button->setGeometry(place);
    button->SetBitmaps(AddInBitmap(pictures[0]), kKeyColour, AddInBitmap(pictures[1]), kKeyColour,
                       AddInBitmap(pictures[2]), kKeyColour, AddInBitmap(pictures[3]), kKeyColour);
    button->SetFlag(true);
    return button;
}

void CMeasureDlg::OnStartStop(bool checked)
{
    if (checked)
        StartMeasurement();
    else if (session_.Running()) {
        session_.Stop();
        AfterStop();
    }
}

void CMeasureDlg::StartMeasurement()
{
    MeasureSettings settings;
    settings.rate = EditNumber(rateEdit_);
    settings.duration = EditNumber(durationEdit_);
    for (int c = 0; c < device::kTableChannels; ++c) {
        if (channelButtons_[c]->isEnabled() && channelButtons_[c]->isChecked())
            settings.mask |= 1u << c;
    }
    const auto refuse = [this](int textId) {
        if (textId)
            host::Alert(LanguageString(textId).toStdU16String(), host::kAlertWarning);
        SetStartChecked(false);
    };
    const StartCheck check = CheckStart(settings.rate, settings.duration, settings.mask);
    if (check != StartCheck::Ok) {
        refuse(check == StartCheck::RateOutOfRange ? kRateRangeText : 0);
        return;
    }
    SetMeasuringControls(true);
    StopDisplay();
    progress_->setRange(0, settings.duration);
    progress_->setValue(0);
    elapsed_->setText(ToQString(ElapsedText(0)));
    switch (session_.Start(settings, table_)) {
    case StartOutcome::Started:
        return;
    case StartOutcome::Incomplete: refuse(0); break;
    case StartOutcome::RateOutOfRange: refuse(kRateRangeText); break;
    case StartOutcome::NoMemory: refuse(kNoMemoryText); break;
    case StartOutcome::Refused: refuse(kNotStartedText); break;
    }
    SetMeasuringControls(false);
    StartDisplay(false);
}

void CMeasureDlg::SetStartChecked(bool checked)
{
    const QSignalBlocker quiet(startStop_);
    startStop_->setChecked(checked);
}

void CMeasureDlg::AfterStop()
{
    SetStartChecked(false);
    SetMeasuringControls(false);
    ShowProgress();
    StartDisplay(false);
}

void CMeasureDlg::SetMeasuringControls(bool measuring)
{
    rateEdit_->setEnabled(!measuring);
    durationEdit_->setEnabled(!measuring);
    spin_->setEnabled(!measuring);
    if (measuring) {
        for (uikit::CButtonST* button : channelButtons_)
            button->setEnabled(false);
    } else {
        EnableChannelButtons();
    }
}

void CMeasureDlg::EnableChannelButtons()
{
    for (int c = 0; c < device::kTableChannels; ++c) {
        const bool selectable = IsSelectable(table_[c]);
        channelButtons_[c]->setEnabled(selectable);
        if (!selectable)
            channelButtons_[c]->setChecked(false);
    }
}

void CMeasureDlg::ShowProgress()
{
    const int64_t seconds = session_.ElapsedSeconds();
    for (int c = 0; c < device::kTableChannels; ++c) {
        if (session_.Mask() >> c & 1u && session_.Newest(c).shown)
            texts_[c] = session_.Newest(c);
    }
    if (seconds > 0) {
        elapsed_->setText(ToQString(ElapsedText(seconds)));
        progress_->setValue(int(std::min<int64_t>(seconds, progress_->maximum())));
    }
    ShowTexts();
}

void CMeasureDlg::TickHeld()
{
    outcome_ = finished_ ? TickOutcome::Idle : session_.Tick();
}

bool CMeasureDlg::TickDone()
{
    switch (outcome_) {
    case TickOutcome::Idle:
        break;
    case TickOutcome::Measuring:
        ShowProgress();
        break;
    case TickOutcome::Finished:
        AfterStop();
        break;
    case TickOutcome::Redetect:
        // The session has stopped a run; the buttons wait for the new detection.
        ShowProgress();
        SetStartChecked(false);
        SetMeasuringControls(false);
        for (uikit::CButtonST* button : channelButtons_)
            button->setEnabled(false);
        StopDisplay();
        StartDisplay(true);
        break;
    case TickOutcome::Cancel:
        Finish(kDialogCancel);
        return false;
    }
    return !finished_;
}

void CMeasureDlg::TakeReadings(const DisplayUpdate& update)
{
    // A run shows its own samples.
    if (!session_.Running() && !finished_)
        ChannelWindow::TakeReadings(update);
}

void CMeasureDlg::TakeDetection(const DisplayUpdate& update)
{
    if (finished_)
        return;
    ChannelWindow::TakeDetection(update);
    if (!session_.Running())
        EnableChannelButtons();
}

void CMeasureDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintChannels(painter);
    DrawTextInRect(painter, rateLabel_, uikit::RectFromEdges(170, 35, 255, 85), &labelFont_, kWhite,
                   uikit::kFormatCentredLine);
    DrawTextInRect(painter, durationLabel_, uikit::RectFromEdges(370, 35, 455, 85), &labelFont_, kWhite,
                   uikit::kFormatCentredLine);
}

void CMeasureDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    startStop_->setFocus();
}

void CMeasureDlg::reject()
{
    Finish(session_.ElapsedSeconds() > 0 ? kDialogOk : kDialogCancel);
}

void CMeasureDlg::Finish(int result)
{
    if (finished_)
        return;
    finished_ = true;
    StopTicks();
    session_.Stop();
    StopDisplay();
    done(result);
}

}  // namespace addin::dialogs
