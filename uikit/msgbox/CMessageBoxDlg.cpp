#include "uikit/msgbox/CMessageBoxDlg.h"

#include "devicelink/sensor/CNI2CSensor.h"
#include "uikit/button/CButtonST.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"
#include "uikit/msgbox/MessageBoxRules.h"
#include "uikit/paint/SkinPaint.h"
#include "uikit/resources/FontMap.h"
#include "uikit/resources/ResourceModule.h"

#include <QBitmap>
#include <QPainter>
#include <QTimerEvent>

#include <algorithm>
#include <utility>

namespace uikit {

namespace {

constexpr int kPictureIds[4] = {2061, 2155, 2153, 2154};
constexpr int kBackgroundId = 2064;
constexpr int kButtonPressedId = 2065;
constexpr int kButtonNormalId = 2067;
constexpr int kButtonDisabledId = 2066;
constexpr int kOkCaptionId = 2034;
constexpr int kCancelCaptionId = 2035;
constexpr int kCaptionChars = 32;
constexpr int kBodyChars = 256;

constexpr uint32_t kTextColour = 0x140000;
constexpr uint32_t kListColour = 0x582C2C;
const QRect kOkPlace(185, 256, 90, 30);
const QRect kCancelPlace(290, 256, 90, 30);
const QRect kOkNoticePlace(105, 90, 78, 30);
const QRect kPictureArea(30, 50, 160, 150);
const QRect kSideArea(200, 60, 300, 140);
const QRect kCallerTextArea(200, 60, 290, 140);
const QRect kLowerArea(0, 200, 500, 50);
// The waiting notice's second text (what was missing and where it was looked for) may run to
// three lines of folders: a smaller font across the box.
const QRect kReportArea(12, 196, 476, 56);
constexpr int kReportFontPx = 14;

// Marks the report of the box's own worker, so that a device code posted from elsewhere never
// passes for the end of detection.
constexpr qint64 kWorkerReport = 0x57524B;

uint32_t Lighter(uint32_t colour, int by)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8)
        out |= uint32_t(std::min(255, int((colour >> shift) & 0xFF) + by)) << shift;
    return out;
}

void DrawText(QPainter& painter, const QRect& area, const QString& text, uint32_t colour, int format)
{
    painter.setPen(ColorFromRef(colour));
    DrawFormattedText(painter, area, text, format);
}

}  // namespace

int32_t DetectSensorsOn(devicelink::CNI2CSensor& sensor, std::u16string& text)
{
    return sensor.DetectSensors(text);
}

CMessageBoxDlg::CMessageBoxDlg(QWidget* owner, int type, const QString& text1, const QString& text2,
                               MessageBoxServices services)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint),
      owner_(owner),
      services_(std::move(services)),
      type_(type),
      text1_(text1),
      text2_(text2)
{
    setModal(true);
    if (ResourceModule* bitmaps = GetBitmapModule()) {
        for (int i = 0; i < 4; ++i)
            pictures_[i] = bitmaps->Bitmap(kPictureIds[i]);
        background_ = bitmaps->Bitmap(kBackgroundId);
    }
    CreateFont(&font_, 20, QStringLiteral("Malgun Gothic"), 0, kFontQuality);
    CreateFont(&reportFont_, kReportFontPx, QStringLiteral("Malgun Gothic"), 0, kFontQuality);

    ok_ = new CButtonST(this);
    cancel_ = new CButtonST(this);
    // Named by their dialog ids, as every control of the program.
    ok_->setObjectName(QString::number(kResultOk));
    cancel_->setObjectName(QString::number(kResultCancel));
    SetUpButton(*ok_, kOkCaptionId, kOkPlace);
    SetUpButton(*cancel_, kCancelCaptionId, kCancelPlace);
    connect(ok_, &QAbstractButton::clicked, this, [this] {
        if (!workerActive_)
            done(kResultOk);
    });
    connect(cancel_, &QAbstractButton::clicked, this, [this] { Cancel(); });

    ApplyType();
    PlaceWindow(this, this, 0, 0, kWidth, kHeight);
    // The background's rounded corners are its key colour: the box has the background's shape.
    if (!background_.isNull())
        setMask(KeyedPixmap(background_, kSkinKey).mask());
}

CMessageBoxDlg::~CMessageBoxDlg()
{
    if (workerActive_ && sensor_)
        sensor_->RequestDetectionAbort();
    EndWorker();
}

void CMessageBoxDlg::SetUpButton(CButtonST& button, int captionId, const QRect& place)
{
    if (ResourceModule* bitmaps = GetBitmapModule()) {
        button.SetBitmaps(bitmaps->Bitmap(kButtonPressedId), kSkinKey, bitmaps->Bitmap(kButtonNormalId), kSkinKey,
                          QPixmap(), kSkinKey, bitmaps->Bitmap(kButtonDisabledId), kSkinKey);
    }
    button.SetColor(CButtonST::kColourPressedBackground, Lighter(RefFromColor(palette().color(QPalette::Button)), 0x1E));
    button.SetFlatFocus(true);
    button.SetShowFocusRect(false);
    // Without the skin the box must still offer its buttons.
    button.SetPlainWhenBare(true);
    button.SetCaption(LoadText(captionId, kCaptionChars), &font_, kFormatCentredLine, 0, 0, place.width(),
                      place.height(), kTextColour);
    button.setGeometry(place);
}

int CMessageBoxDlg::PictureIndex() const
{
    return RuleOfBoxType(type_).picture;
}

void CMessageBoxDlg::ApplyType()
{
    const BoxTypeRule& rule = RuleOfBoxType(type_);
    timers_.KillTimer(kAutoCloseTimer);
    if (rule.autoCloseMs > 0)
        timers_.SetTimer(kAutoCloseTimer, rule.autoCloseMs);
    switch (rule.ok) {
    case BoxButton::Hidden:
        ok_->hide();
        break;
    case BoxButton::ShownAtNotice:
        ok_->setGeometry(kOkNoticePlace);
        ok_->SetCaption(ok_->text(), &font_, kFormatCentredLine, 0, 0, kOkNoticePlace.width(),
                        kOkNoticePlace.height(), kTextColour);
        ok_->show();
        break;
    case BoxButton::Shown:
        ok_->show();
        break;
    case BoxButton::Unchanged:
        break;
    }
    if (rule.cancel == BoxButton::Hidden)
        cancel_->hide();
    else if (rule.cancel == BoxButton::Shown)
        cancel_->show();
    if (rule.runsDetection)
        StartDetection();
    update();
}

void CMessageBoxDlg::StartDetection()
{
    if (workerActive_)
        return;
    sensor_ = GetSensor();
    if (!sensor_) {
        // Without a sensor object there is nothing to wait for: say so, with OK.
        PostScreenMessage(this, WM_DEVICE_CHECK_OTHER);
        return;
    }
    sensor_->ClearDetectionAbort();
    workerText_.clear();
    devicelink::CNI2CSensor* sensor = sensor_;
    BeginSensorUse(SensorUse::Worker);
    workerActive_ = true;
    const bool started = worker_.Start([this, sensor](const std::atomic<bool>&) {
        const int32_t result = services_.detect(*sensor, workerText_);
        PostScreenMessage(this, ReportOfDetection(result), 0, kWorkerReport);
    });
    if (!started) {
        workerActive_ = false;
        EndSensorUse(SensorUse::Worker);
        PostScreenMessage(this, WM_DEVICE_CHECK_OTHER);
        return;
    }
    timers_.SetTimer(kLateCancelTimer, services_.lateCancelMs);
}

void CMessageBoxDlg::EndWorker()
{
    if (!worker_.Joinable())
        return;
    worker_.Join();
    if (workerActive_) {
        workerActive_ = false;
        EndSensorUse(SensorUse::Worker);
    }
    if (sensor_)
        sensor_->ClearDetectionAbort();
    timers_.KillTimer(kLateCancelTimer);
}

void CMessageBoxDlg::DetectionReported(int code)
{
    EndWorker();
    detectionText_ = QString::fromStdU16String(workerText_);
    if (cancelRequested_) {
        done(kResultCancel);
        return;
    }
    type_ = BoxTypeOfReport(code);
    ApplyType();
}

void CMessageBoxDlg::Cancel()
{
    if (!workerActive_) {
        done(kResultCancel);
        return;
    }
    // Detection is stopped, not abandoned: the box goes once the worker has reported.
    cancelRequested_ = true;
    if (sensor_)
        sensor_->RequestDetectionAbort();
    cancel_->setEnabled(false);
}

void CMessageBoxDlg::reject()
{
    if (workerActive_)
        return;
    done(kResultCancel);
}

bool CMessageBoxDlg::event(QEvent* event)
{
    if (const ScreenEvent* message = AsScreenEvent(event)) {
        const int type = BoxTypeOfReport(message->code());
        if (type < 0)
            return QDialog::event(event);
        if (workerActive_) {
            if (message->lParam() == kWorkerReport && message->code() != WM_DEVICE_CHECK_NOTICE)
                DetectionReported(message->code());
            return true;
        }
        // A screen's own question or notice never turns into a device notice that closes by
        // itself: a device code that finds one open is a stray.
        if (RuleOfBoxType(type_).body == BoxBody::CallerTexts || RuleOfBoxType(type_).body == BoxBody::None)
            return true;
        type_ = type;
        ApplyType();
        return true;
    }
    return QDialog::event(event);
}

void CMessageBoxDlg::timerEvent(QTimerEvent* event)
{
    switch (timers_.IdOf(event)) {
    case kAutoCloseTimer:
        timers_.KillTimer(kAutoCloseTimer);
        done(kResultCancel);
        break;
    case kLateCancelTimer:
        timers_.KillTimer(kLateCancelTimer);
        if (workerActive_)
            cancel_->show();
        break;
    default:
        QDialog::timerEvent(event);
    }
}

QString CMessageBoxDlg::BodyText() const
{
    const BoxTypeRule& rule = RuleOfBoxType(type_);
    switch (rule.body) {
    case BoxBody::LanguageText:
        return LoadText(rule.textId, kBodyChars);
    case BoxBody::ChannelList:
        return QString::fromStdU16String(ChannelListText(sensor_ ? sensor_ : GetSensor()));
    case BoxBody::DetectionText:
        return detectionText_;
    case BoxBody::CallerTexts:
        return text1_;
    case BoxBody::None:
        return {};
    }
    return {};
}

QString CMessageBoxDlg::LowerText() const
{
    const BoxTypeRule& rule = RuleOfBoxType(type_);
    switch (rule.body) {
    case BoxBody::ChannelList:
    case BoxBody::DetectionText:
        return LoadText(rule.textId, kBodyChars);
    case BoxBody::CallerTexts:
        return text2_;
    default:
        return {};
    }
}

void CMessageBoxDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    DrawBitmapNatural(painter, background_, 0, 0, kWidth, kHeight);
    const int picture = PictureIndex();
    DrawBitmapTransparent(painter, pictures_[picture], kPictureArea.left(), kPictureArea.top(),
                          kPictureArea.right() + 1, kPictureArea.bottom() + 1, kSkinKey);

    painter.setFont(font_);
    const BoxTypeRule& rule = RuleOfBoxType(type_);
    switch (rule.body) {
    case BoxBody::LanguageText:
        DrawText(painter, kSideArea, BodyText(), kTextColour, kFormatLeftLine);
        break;
    case BoxBody::ChannelList:
        DrawText(painter, kSideArea, BodyText(), kListColour, 0);
        DrawText(painter, kLowerArea, LowerText(), kTextColour, kFormatCentredLine);
        break;
    case BoxBody::DetectionText:
        DrawText(painter, kSideArea, BodyText(), kTextColour, kFormatLeftLine);
        DrawText(painter, kLowerArea, LowerText(), kTextColour, kFormatCentredLine);
        break;
    case BoxBody::CallerTexts:
        // Beside the picture, never across it, and wrapped rather than cut off: a screen's
        // question may be longer than a line.
        DrawText(painter, kCallerTextArea, BodyText(), kTextColour, kFormatCentred | kTextWordBreak);
        if (type_ == kBoxTypeWaitingNotice) {
            painter.setFont(reportFont_);
            DrawText(painter, kReportArea, LowerText(), kTextColour, kFormatCentred | kTextWordBreak);
        } else {
            DrawText(painter, kLowerArea, LowerText(), kTextColour, kFormatCentred | kTextWordBreak);
        }
        break;
    case BoxBody::None:
        break;
    }
}

}  // namespace uikit
