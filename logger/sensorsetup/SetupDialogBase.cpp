#include "logger/sensorsetup/SetupDialogBase.h"

#include <algorithm>
#include <utility>

#include <QCoreApplication>
#include <QEvent>
#include <QPainter>

#include "devicelink/sensor/CNI2CSensor.h"
#include "uikit/button/CButtonST.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"
#include "uikit/paint/SkinPaint.h"
#include "uikit/resources/ResourceModule.h"

namespace sensorsetup {

namespace {

constexpr int kSmallButtonWidth = 24;
constexpr int kSmallButtonHeight = 22;
constexpr int kSmallButtonCaption = 2111;
constexpr uint32_t kCaptionColour = 0x140000;

struct SmallButtonSkin {
    int pressed, normal, disabled;
};
constexpr SmallButtonSkin kOkSkin = {2329, 2330, 2331};
constexpr SmallButtonSkin kCancelSkin = {2374, 2373, 2372};

}  // namespace

SetupDialogBase::SetupDialogBase(QWidget* owner, devicelink::CNI2CSensor& sensor)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint),
      ownedSensor_(std::make_unique<SetupSensorAdapter>(sensor)),
      sensor_(*ownedSensor_),
      worker_(std::make_unique<SetupSensorWorker>(sensor_, [this] {
          uikit::PostScreenMessage(this, uikit::WM_SETUP_REFRESH);
      }))
{
    setModal(true);
    setFixedSize(kWidth, kHeight);
    CreateFont(&font14_, 14, QStringLiteral("Malgun Gothic"), 0, kFontQuality);
    CreateFont(&font16_, 16, QStringLiteral("Malgun Gothic"), 0, kFontQuality);
    PlaceWindow(this, this, 0, 0, kWidth, kHeight);
    if (owner) {
        const QRect area = owner->window()->geometry();
        move(area.center() - QPoint(kWidth / 2, kHeight / 2));
    }
    // While the dialog's worker uses the sensor object, the root window's poll must not.
    BeginSensorUse(uikit::SensorUse::Worker);
    sensorHeld_ = true;
}

SetupDialogBase::~SetupDialogBase()
{
    // Normally the worker has ended before the dialog does; when the dialog goes first (the
    // program ends), this waits for the reading in flight.
    worker_.reset();
    if (sensorHeld_)
        EndSensorUse(uikit::SensorUse::Worker);
}

void SetupDialogBase::CreateOkCancel(int left, int top)
{
    const QString caption = LoadText(kSmallButtonCaption, 32);
    const auto make = [&](int id, const SmallButtonSkin& skin, int x) {
        auto* button = new uikit::CButtonST(this);
        button->setObjectName(QString::number(id));
        button->SetBitmaps(Picture(skin.pressed), uikit::kSkinKey, Picture(skin.normal), uikit::kSkinKey, QPixmap(), 0,
                           Picture(skin.disabled), uikit::kSkinKey);
        button->SetFlag(true);
        button->SetFlatFocus(true);
        button->SetShowFocusRect(false);
        button->setGeometry(x, top, kSmallButtonWidth, kSmallButtonHeight);
        button->SetCaption(caption, &font14_, uikit::kFormatCentredLine, 0, 0, kSmallButtonWidth, kSmallButtonHeight,
                           kCaptionColour);
        return button;
    };
    ok_ = make(kOkId, kOkSkin, left);
    cancel_ = make(kCancelId, kCancelSkin, left + 32);
    connect(ok_, &QAbstractButton::clicked, this, [this] { accept(); });
    connect(cancel_, &QAbstractButton::clicked, this, [this] { reject(); });
}

QPixmap SetupDialogBase::Picture(int id)
{
    uikit::ResourceModule* bitmaps = GetBitmapModule();
    return bitmaps && id > 0 ? bitmaps->Bitmap(id) : QPixmap();
}

void SetupDialogBase::PaintBackground(QPainter& painter, const QPixmap& background)
{
    if (background.isNull())
        painter.fillRect(rect(), QColor(40, 60, 90));
    else
        painter.drawPixmap(rect(), background);
}

void SetupDialogBase::StartWorker(int channel)
{
    worker_->Start(channel);
}

bool SetupDialogBase::RunJob(SetupSensorWorker::Job job, std::function<void(const JobOutcome&)> then)
{
    if (busy_ || !worker_->Submit(std::move(job)))
        return false;
    then_ = std::move(then);
    SetBusy(true);
    return true;
}

void SetupDialogBase::Finish(int result)
{
    if (ending_ != 0)
        return;
    ending_ = result;
    SetBusy(true);
    worker_->RequestStop();
    // A worker that never started has nothing to announce.
    if (worker_->Ended())
        QCoreApplication::postEvent(this, new uikit::ScreenEvent(uikit::WM_SETUP_REFRESH));
}

void SetupDialogBase::accept()
{
    if (!busy_)
        OnOk();
}

void SetupDialogBase::reject()
{
    if (!busy_)
        OnCancel();
}

void SetupDialogBase::Notice(int textId)
{
    const QString text = LoadText(textId);
    if (notice_)
        notice_(text);
    else
        RunMessageBox(this, uikit::kBoxTypeNotice, text);
}

void SetupDialogBase::SetBusy(bool busy)
{
    busy_ = busy;
    ok_->setEnabled(!busy);
    cancel_->setEnabled(!busy);
    BusyChanged();
}

bool SetupDialogBase::event(QEvent* event)
{
    const uikit::ScreenEvent* message = uikit::AsScreenEvent(event);
    if (message && message->code() == uikit::WM_SETUP_REFRESH) {
        TakeWorkerNews();
        return true;
    }
    return QDialog::event(event);
}

void SetupDialogBase::TakeWorkerNews()
{
    if (std::optional<LiveSample> sample = worker_->TakeSample(); sample && ending_ == 0)
        OnSample(*sample);
    if (std::optional<JobOutcome> outcome = worker_->TakeOutcome()) {
        std::function<void(const JobOutcome&)> then = std::move(then_);
        then_ = nullptr;
        if (ending_ == 0)
            SetBusy(false);
        if (then)
            then(*outcome);
    }
    if (ending_ != 0 && worker_->Ended()) {
        worker_->Join();
        if (sensorHeld_) {
            EndSensorUse(uikit::SensorUse::Worker);
            sensorHeld_ = false;
        }
        const int result = std::exchange(ending_, 0);
        QDialog::done(result);
    }
}

}  // namespace sensorsetup
