#include "logger/shell/CProgramOptDlg.h"

#include "devicelink/sensor/PowerTimeouts.h"
#include "logger/shell/HelpOptionsTexts.h"
#include "platform/Text.h"
#include "uikit/button/CButtonST.h"
#include "uikit/button/SkinButtons.h"
#include "uikit/paint/SkinPaint.h"
#include "uikit/registry/RegistryValues.h"
#include "uikit/resources/ResourceModule.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QPainter>
#include <QPushButton>
#include <QTimeEdit>

#include <utility>

namespace shell {

namespace {

constexpr int kBackgroundId = 2387;
constexpr int kDatePickerId = 1088;
constexpr int kTimePickerId = 1089;
constexpr int kLanguageComboId = 1005;
constexpr int kBackLightComboId = 1006;
constexpr int kFullScreenId = 1127;
constexpr int kSpareButtonId = 1094;
constexpr int kTextChars = 32;
constexpr uint32_t kCaptionColour = 0x140000;
constexpr uint32_t kWhite = 0xFFFFFF;

const char* const kLanguages[] = {"English (UK/US)",   "Danish (Denmark)",   "German (International)",
                                  "Korean (Korea)",    "Dutch (Nederlands)", "Spanish (International)"};

ClockSetter& ClockOf(const CProgramOptDlg::Services& services)
{
    return services.clock ? *services.clock : SystemClockSetter();
}

std::u16string EventNameOf(const CProgramOptDlg::Services& services)
{
    if (!services.eventName.empty())
        return services.eventName;
    return platform::AsciiToUtf16(devicelink::kReloadTimeoutsEvent);
}

// The choice stored for the next start, else the one this run started with.
bool StoredFullScreen()
{
    uint32_t stored = 0;
    if (uikit::CVRDCommonBase::RegReadValue(uikit::RegistryRoot::LocalMachine, uikit::kPlovexKey,
                                            uikit::kFullScreenValue, &stored, sizeof stored) == 1)
        return stored != 0;
    return uikit::CVRDCommonBase::GetFullScreen() != 0;
}

template <class Widget>
Widget* Control(QWidget* parent, int id, const QRect& place)
{
    auto* widget = new Widget(parent);
    widget->setObjectName(QString::number(id));
    widget->setGeometry(place);
    return widget;
}

}  // namespace

CProgramOptDlg::CProgramOptDlg(QWidget* owner, Services services)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint),
      model_(platform::ProcessRegistry(), ClockOf(services), EventNameOf(services)),
      notice_(std::move(services.notice))
{
    setObjectName(QStringLiteral("CProgramOptDlg"));
    setModal(true);
    if (uikit::ResourceModule* bitmaps = GetBitmapModule())
        background_ = bitmaps->Bitmap(kBackgroundId);
    heading_ = LoadText(kTextOptionsHeading, kTextChars);
    CreateFont(&font_, 14, QStringLiteral("Malgun Gothic"), 0, kFontQuality);

    ok_ = Control<uikit::CButtonST>(this, kOkId, {});
    cancel_ = Control<uikit::CButtonST>(this, kCancelId, {});
    uikit::SetUpSkinButton(*ok_, {2329, 2330, 0, 2331}, uikit::RectFromEdges(248, 190, 272, 212));
    uikit::SetUpSkinButton(*cancel_, {2374, 2373, 0, 2372}, uikit::RectFromEdges(280, 190, 304, 212));
    const QString caption = LoadText(kTextSmallButtonCaption, kTextChars);
    for (uikit::CButtonST* button : {ok_, cancel_})
        button->SetCaption(caption, &font_, uikit::kFormatCentredLine, 0, 0, 24, 22, kCaptionColour);
    connect(ok_, &QAbstractButton::clicked, this, &CProgramOptDlg::accept);
    connect(cancel_, &QAbstractButton::clicked, this, &CProgramOptDlg::reject);

    const QDateTime now = QDateTime::currentDateTime();
    date_ = Control<QDateEdit>(this, kDatePickerId, uikit::RectFromEdges(20, 43, 130, 68));
    date_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    date_->setCalendarPopup(true);
    date_->setDate(now.date());
    time_ = Control<QTimeEdit>(this, kTimePickerId, uikit::RectFromEdges(140, 43, 270, 68));
    time_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    time_->setTime(now.time());
    // Only an edit sets the clock: the pickers otherwise show the time the dialog opened at.
    connect(date_, &QDateEdit::dateChanged, this, [this] { pickerEdited_ = true; });
    connect(time_, &QTimeEdit::timeChanged, this, [this] { pickerEdited_ = true; });

    languages_ = Control<QComboBox>(this, kLanguageComboId, uikit::RectFromEdges(20, 80, 170, 104));
    for (const char* language : kLanguages)
        languages_->addItem(QString::fromLatin1(language));
    languages_->setCurrentIndex(0);
    languages_->hide();
    backLight_ = Control<QComboBox>(this, kBackLightComboId, uikit::RectFromEdges(180, 80, 270, 104));
    for (int level = 1; level <= kBackLightLevelCount; ++level)
        backLight_->addItem(QString::number(level));
    backLight_->setCurrentIndex(model_.InitialBackLightEntry());
    backLight_->hide();
    spare_ = Control<QPushButton>(this, kSpareButtonId, uikit::RectFromEdges(20, 190, 100, 212));
    spare_->hide();

    fullScreen_ = Control<QCheckBox>(this, kFullScreenId, uikit::RectFromEdges(20, 84, 300, 108));
    fullScreen_->setText(LoadText(kTextFullScreen, kTextChars));
    fullScreen_->setFont(font_);
    QPalette white = fullScreen_->palette();
    white.setColor(QPalette::WindowText, uikit::ColorFromRef(kWhite));
    fullScreen_->setPalette(white);
    fullScreen_->setChecked(StoredFullScreen());
    fullScreen_->show();

    PlaceWindow(this, this, 0, 0, kWidth, kHeight);
    if (owner) {
        const QRect area = owner->window()->geometry();
        move(area.center() - QPoint(kWidth / 2, kHeight / 2));
    }
}

CProgramOptDlg::~CProgramOptDlg() = default;

void CProgramOptDlg::accept()
{
    Apply();
    done(kResultOk);
}

void CProgramOptDlg::reject()
{
    done(kResultCancel);
}

void CProgramOptDlg::Apply()
{
    const QDate day = date_->date();
    const QTime clock = time_->time();
    const LocalDateTime picked{day.year(), day.month(), day.day(), clock.hour(), clock.minute(), clock.second(), 0};
    outcome_ = model_.Accept(picked, pickerEdited_, backLight_->currentIndex());
    SetFullScreen(fullScreen_->isChecked() ? 1 : 0);
    if (outcome_.clockChanged && outcome_.clockError != 0) {
        const QString text = LoadText(kTextClockNotSet);
        if (notice_)
            notice_(text);
        else
            RunMessageBox(this, uikit::kBoxTypeNotice, text);
    }
}

void CProgramOptDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (background_.isNull())
        painter.fillRect(rect(), palette().window());
    else
        painter.drawPixmap(0, 0, background_);
    DrawTextInRect(painter, heading_, 20, 15, 300, 30, &font_, kWhite, uikit::kFormatLeftLine);
}

int RunProgramOptions(QWidget* owner, ProgramOptionsServices services)
{
    CProgramOptDlg dialog(owner, std::move(services));
    return dialog.exec() == CProgramOptDlg::kResultOk ? CProgramOptDlg::kResultOk : CProgramOptDlg::kResultCancel;
}

}  // namespace shell
