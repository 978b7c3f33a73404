#include "logger/monitor/CSensorDlg.h"

#include <algorithm>

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPen>
#include <QPainter>
#include <QTimerEvent>

#include "devicelink/sensor/CNI2CSensor.h"
#include "logger/sensorsetup/SetupDialogs.h"
#include "platform/Text.h"
#include "uikit/button/CButtonST.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"
#include "uikit/paint/SkinPaint.h"
#include "uikit/resources/ResourceModule.h"
#include "uikit/resources/SensorPictures.h"

namespace monitor {

namespace {

const QString kFace = QStringLiteral("Malgun Gothic");

// Skin pictures.
constexpr int kBackgroundBitmap = 2368;
constexpr int kTopBarBitmap = 12511;
constexpr int kCornerBitmap = 12512;
constexpr int kFirstPanelBitmap = 2082;
constexpr int kCornerWidth = 126;
constexpr int kCornerLeft = 674;

struct ButtonSkin {
    int left, top, right, bottom;
    int pressed, normal, focus, disabled;
};
constexpr ButtonSkin kMenuSkin = {4, 4, 64, 48, 2103, 2105, 2104, 2104};
constexpr ButtonSkin kSetupSkin = {68, 4, 128, 48, 2091, 2093, 2092, 2092};
constexpr ButtonSkin kCalibrationSkin = {132, 4, 192, 48, 2413, 2412, 2414, 2414};

// The strip under the page's middle that says why no panels are shown.
constexpr int kStripTop = 450;
constexpr int kStripBottom = 510;
constexpr uint32_t kStripColour = 0x1482E6;
constexpr int kNoticePadding = 30;
constexpr int kNoticeRadius = 12;
constexpr uint32_t kNameColour = 0x000000;
constexpr uint32_t kPageColour = 0xFFFFFF;

// Inside a panel (offsets from its edges).
constexpr int kNameLeft = 80;
constexpr int kNameHeight = 60;
constexpr int kNameRightGap = 10;
constexpr int kPictureLeft = 275;
constexpr int kPictureTop = 80;
constexpr int kValuesTop = 80;
constexpr int kValuesRight = 220;
constexpr int kValuesBottomGap = 40;
constexpr int kValueLineStep = 30;
constexpr int kTitleLeft = 20;
constexpr int kTitleTop = 40;
constexpr int kTitleBottomGap = 10;
// The title ends before the picture: the two must never overlap.
constexpr int kTitleRight = kPictureLeft - 5;

// The service-mode indicator.
const QString kFileSavingText = QStringLiteral("FileSaving");
constexpr uint32_t kFileSavingColour = 0xDE3431;
constexpr int kFileSavingLeft = 200, kFileSavingTop = 35, kFileSavingRight = 310, kFileSavingBottom = 55;

QString ToQString(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

// A long name or title is drawn smaller, down to three quarters of its size, before it is cut.
QFont FittingFont(const QFont& font, const QString& text, int width)
{
    QFont fitted = font;
    const int smallest = font.pixelSize() * 3 / 4;
    while (fitted.pixelSize() > smallest && QFontMetrics(fitted).horizontalAdvance(text) > width)
        fitted.setPixelSize(fitted.pixelSize() - 1);
    return fitted;
}

QPixmap Bitmap(int id)
{
    uikit::ResourceModule* module = uikit::CVRDCommonBase::GetBitmapModule();
    return module ? module->Bitmap(id) : QPixmap();
}

}  // namespace

CSensorDlg::CSensorDlg(QWidget* rootWindow)
    : QWidget(rootWindow),
      sensor_([] { return uikit::CVRDCommonBase::GetSensor(); }),
      monitor_(new SensorMonitor(sensor_, static_cast<MonitorHost&>(*this)))
{
    setObjectName(QStringLiteral("CSensorDlg"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setGeometry(0, 0, kPageWidth, kPageHeight);
    hide();
    LoadSkin();
    CreateButtons();
    monitor_->SetNoFixText(LoadText(text::kNoPositionFix).toStdU16String());
    monitor_->SetSetupDialogRunner([this](const SetupRequest& request) { return sensorsetup::RunSetupDialog(this, request); });
}

CSensorDlg::~CSensorDlg()
{
    monitor_->Stop();
}

void CSensorDlg::LoadSkin()
{
    background_ = Bitmap(kBackgroundBitmap);
    topBar_ = Bitmap(kTopBarBitmap);
    corner_ = Bitmap(kCornerBitmap);
    for (int c = 0; c < kPanelSlots; ++c)
        panelBackgrounds_[size_t(c)] = Bitmap(kFirstPanelBitmap + c);
    CreateFont(&singleFont_, 50, kFace, 1, kFontQuality);
    CreateFont(&valuesFont_, 35, kFace, 1, kFontQuality);
    CreateFont(&titleFont_, 28, kFace, 1, kFontQuality);
    CreateFont(&nameFont_, 25, kFace, 1, kFontQuality);
    CreateFont(&stripFont_, 30, kFace, 0, kFontQuality);
    noSensorText_ = LoadText(text::kNoSensorConnected);
    notStartedText_ = LoadText(text::kMonitorNotStarted);
}

void CSensorDlg::CreateButtons()
{
    const auto make = [this](int id, const ButtonSkin& skin) {
        auto* button = new uikit::CButtonST(this);
        button->setObjectName(QString::number(id));
        button->SetBitmaps(Bitmap(skin.pressed), uikit::kSkinKey, Bitmap(skin.normal), uikit::kSkinKey,
                           Bitmap(skin.focus), uikit::kSkinKey, Bitmap(skin.disabled), uikit::kSkinKey);
        button->SetFlag(true);
        button->setGeometry(uikit::RectFromEdges(skin.left, skin.top, skin.right, skin.bottom));
        return button;
    };
    menu_ = make(kMenuButtonId, kMenuSkin);
    setup_ = make(kSetupButtonId, kSetupSkin);
    calibration_ = make(kCalibrationButtonId, kCalibrationSkin);
    connect(menu_, &QAbstractButton::clicked, this, [] { ShowMainMenu(); });
    connect(setup_, &QAbstractButton::clicked, this, [this] { monitor_->OpenSetup(); });
    connect(calibration_, &QAbstractButton::clicked, this, [this] { monitor_->OpenCalibration(); });
    setup_->setEnabled(false);
    calibration_->setEnabled(false);
}

void CSensorDlg::StopMonitor()
{
    monitor_->Stop();
}

void CSensorDlg::SetSetupDialogRunner(SetupDialogRunner runner)
{
    monitor_->SetSetupDialogRunner(std::move(runner));
}

void CSensorDlg::PostWakeUp(uint32_t generation)
{
    uikit::PostScreenMessage(this, uikit::WM_MONITOR_DATA, qint64(generation));
}

void CSensorDlg::SetSetupButtonsEnabled(bool enabled)
{
    setup_->setEnabled(enabled);
    calibration_->setEnabled(enabled);
}

void CSensorDlg::PageChanged()
{
    pageValid_ = false;
    update();
}

bool CSensorDlg::event(QEvent* event)
{
    const uikit::ScreenEvent* message = uikit::AsScreenEvent(event);
    if (!message)
        return QWidget::event(event);
    switch (message->code()) {
    case uikit::WM_SCREEN_SHOW:
        SetFrontScreen(this);
        [[fallthrough]];
    case uikit::WM_SCREEN_REFRESH:
        monitor_->Show();
        break;
    case uikit::WM_SCREEN_STOP:
    case uikit::WM_SCREEN_HIDE:
        monitor_->Stop();
        break;
    case uikit::WM_MONITOR_DATA:
        monitor_->OnWakeUp(uint32_t(message->wParam()));
        break;
    case uikit::WM_KEY_ESCAPE:
        monitor_->OnEscape();
        break;
    case uikit::WM_PERIODIC_REDRAW:
        update(ClockRect());
        break;
    default:
        break;
    }
    return true;
}

void CSensorDlg::timerEvent(QTimerEvent* event)
{
    const int id = timers_.IdOf(event);
    if (id == 0) {
        QWidget::timerEvent(event);
        return;
    }
    monitor_->OnTimer(id);
}

void CSensorDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    GetClientSize(this);
    pageValid_ = false;
}

void CSensorDlg::keyPressEvent(QKeyEvent* event)
{
    // In service mode the Up key shows or hides the file-saving indicator.
    if (event->key() == Qt::Key_Up && GetByteSetting() != 0) {
        fileSaving_ = !fileSaving_;
        update();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        monitor_->OnEscape();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CSensorDlg::mousePressEvent(QMouseEvent* event)
{
    pressPoint_ = event->position().toPoint();
    QWidget::mousePressEvent(event);
}

void CSensorDlg::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint release = event->position().toPoint();
    if (event->button() == Qt::LeftButton && monitor_->FourPanels()) {
        const int channel = ChannelAtNameStrip(monitor_->Pass().Slots(), CentringOffset(width()), pressPoint_.x(),
                                               pressPoint_.y(), release.x(), release.y());
        if (channel >= 0) {
            const std::u16string_view name = platform::FieldView(sensor_.State(channel).infoFile);
            // A name that would lead out of the Sensors folder, or a page that is not there,
            // opens nothing.
            if (const auto path = InfoPagePath(GetDataDirectory().toStdString(), name))
                uikit::PostScreenMessage(GetScreen(uikit::kSlotRoot), uikit::WM_SHOW_HTML, 0, 0,
                                         QString::fromStdString(*path));
        }
    }
    QWidget::mouseReleaseEvent(event);
}

void CSensorDlg::BuildPage()
{
    const int width = std::max(this->width(), 1);
    const int height = std::max(this->height(), 1);
    const int x0 = CentringOffset(width);
    page_ = QPixmap(width, height);
    QPainter p(&page_);
    p.fillRect(page_.rect(), uikit::ColorFromRef(kPageColour));
    if (!background_.isNull())
        DrawBitmap(p, background_, x0, 0, x0 + background_.width(), background_.height());
    if (!topBar_.isNull()) {
        for (int i = 0; i <= width / topBar_.width(); ++i) {
            const int left = i * topBar_.width();
            DrawBitmap(p, topBar_, left, 0, left + topBar_.width(), topBar_.height());
        }
    }
    if (!corner_.isNull()) {
        const int left = width > kPageWidth ? width - kCornerWidth : kCornerLeft;
        DrawBitmap(p, corner_, left, 0, left + corner_.width(), corner_.height());
    }
    if (monitor_->FourPanels()) {
        const SlotMap& slotMap = monitor_->Pass().Slots();
        for (int k = 0; k < slotMap.count; ++k) {
            const Edges r = kPanelRects[size_t(k)].Shifted(x0);
            DrawBitmapTransparent(p, panelBackgrounds_[size_t(slotMap.channel[size_t(k)])], r.left, r.top, r.right,
                                  r.bottom, uikit::kSkinKey);
        }
    }
    pageValid_ = true;
}

void CSensorDlg::paintEvent(QPaintEvent*)
{
    if (!pageValid_ || page_.size() != size())
        BuildPage();
    QPainter p(this);
    p.drawPixmap(0, 0, page_);
    const int x0 = CentringOffset(width());
    if (monitor_->FourPanels()) {
        const SlotMap& slotMap = monitor_->Pass().Slots();
        for (int k = 0; k < slotMap.count; ++k)
            DrawPanel(p, k, slotMap.channel[size_t(k)], x0);
    } else if (monitor_->State() == MonitorState::WaitingForSensor && monitor_->BlinkOn()) {
        DrawNotice(p, noSensorText_, x0);
    } else if (monitor_->State() == MonitorState::NotStarted) {
        DrawNotice(p, notStartedText_, x0);
    }
    if (fileSaving_ && GetByteSetting() != 0)
        DrawTextInRect(p, kFileSavingText, kFileSavingLeft, kFileSavingTop, kFileSavingRight, kFileSavingBottom,
                       &nameFont_, kFileSavingColour, uikit::kTextSingleLine | uikit::kTextVCentre | uikit::kTextRight);
    DrawClock(p);
}

void CSensorDlg::DrawNotice(QPainter& p, const QString& text, int x0)
{
    // On a plate of its own, so that it does not read as part of the empty panels behind it.
    const int width = std::min(QFontMetrics(stripFont_).horizontalAdvance(text) + 2 * kNoticePadding, kPageWidth - 8);
    const QRect plate((kPageWidth - width) / 2 + x0, kStripTop, width, kStripBottom - kStripTop);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(uikit::ColorFromRef(kStripColour), 2));
    p.setBrush(uikit::ColorFromRef(kPageColour));
    p.drawRoundedRect(plate.adjusted(1, 1, -1, -1), kNoticeRadius, kNoticeRadius);
    p.restore();
    DrawTextInRect(p, text, plate.left(), plate.top(), plate.right() + 1, plate.bottom() + 1, &stripFont_,
                   kStripColour, uikit::kFormatCentredLine);
}

void CSensorDlg::DrawPanel(QPainter& p, int slot, int channel, int x0)
{
    const Edges r = kPanelRects[size_t(slot)].Shifted(x0);
    const devicelink::ChannelState& state = sensor_.State(channel);
    const MonitorPanel& panel = monitor_->Pass().Panel(channel);
    const uint32_t colour = kChannelColours[size_t(channel)];

    DrawLine(p, ToQString(platform::FieldView(state.fullName)), nameFont_, r.left + kNameLeft, r.top,
             r.right - kNameRightGap, r.top + kNameHeight, kNameColour);

    const int pictureId = uikit::SensorPictureRow(state.pictureIndex)[size_t(std::clamp(panel.trend, 0, 2))];
    if (pictureId != 0)
        DrawBitmapNatural(p, Bitmap(pictureId), r.left + kPictureLeft, r.top + kPictureTop, r.right, r.bottom);

    const int lines = std::clamp(panel.texts.lines, 1, kPanelValues);
    const int valuesTop = r.top + kValuesTop + (kPanelValues - lines) * kValueLineStep / 2;
    DrawValues(p, panel.texts, r.left, valuesTop, r.left + kValuesRight, r.bottom - kValuesBottomGap, colour);

    DrawLine(p, ToQString(panel.texts.title), titleFont_, r.left + kTitleLeft, r.bottom - kTitleTop,
             r.left + kTitleRight, r.bottom - kTitleBottomGap, colour);
}

void CSensorDlg::DrawLine(QPainter& p, const QString& text, const QFont& font, int left, int top, int right,
                          int bottom, uint32_t colour)
{
    const int width = right - left;
    const QFont fitted = FittingFont(font, text, width);
    const QString shown = QFontMetrics(fitted).elidedText(text, Qt::ElideRight, std::max(width, 0));
    DrawTextInRect(p, shown, left, top, right, bottom, &fitted, colour, uikit::kFormatLeftLine);
}

void CSensorDlg::DrawValues(QPainter& p, const PanelTexts& texts, int left, int top, int right, int bottom,
                            uint32_t colour)
{
    const int lines = std::clamp(texts.lines, 1, kPanelValues);
    const int format = uikit::kTextSingleLine | uikit::kTextVCentre | uikit::kTextRight;
    if (lines == 1) {
        DrawTextInRect(p, ToQString(texts.single), left, top, right, bottom, &singleFont_, colour, format);
        return;
    }
    // One line each, as high as the font asks, closer when four would not fit the box.
    const int step = std::min(QFontMetrics(valuesFont_).height(), (bottom - top) / lines);
    for (int i = 0; i < lines; ++i) {
        const int y = top + i * step;
        DrawTextInRect(p, ToQString(texts.values[i]), left, y, right, y + step, &valuesFont_, colour, format);
    }
}

}  // namespace monitor
