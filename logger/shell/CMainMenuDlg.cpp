#include "logger/shell/CMainMenuDlg.h"

#include "logger/shell/core/ShellTexts.h"
#include "uikit/button/CButtonST.h"
#include "uikit/button/SkinButtons.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"
#include "uikit/paint/SkinPaint.h"
#include "uikit/resources/ResourceModule.h"

#include <QKeyEvent>
#include <QPainter>
#include <QTimerEvent>

namespace shell {

namespace {

constexpr int kBackgroundId = 2007;
constexpr int kButtonWidth = 126;
constexpr int kButtonHeight = 100;
constexpr int kCaptionTop = 100;
constexpr int kCaptionBottom = 122;
constexpr int kCaptionChars = 32;
constexpr uint32_t kCaptionColour = 0xFAFAFA;

struct MenuButton {
    int captionId;
    uikit::SkinButtonPictures pictures;  // no focus picture
    int code;
};

constexpr MenuButton kMenuButtons[CMainMenuDlg::kButtonCount] = {
    {kTextProjects, {2022, 2024, 0, 2023}, uikit::WM_GOTO_PROJECTS},
    {kTextSensors, {2025, 2012, 0, 2026}, uikit::WM_GOTO_SENSORS},
    {kTextMeasure, {2016, 2018, 0, 2017}, uikit::WM_GOTO_MEASUREMENT},
    {kTextAnalyse, {2013, 2015, 0, 2014}, uikit::WM_GOTO_ANALYSIS},
    {kTextExtras, {2129, 2128, 0, 2130}, uikit::WM_MENU_BUTTON5},
    {kTextQuit, {2019, 2021, 0, 2020}, uikit::WM_APP_QUIT},
};

MenuKey KeyOf(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return MenuKey::Enter;
    case Qt::Key_Escape: return MenuKey::Escape;
    case Qt::Key_Left: return MenuKey::Left;
    case Qt::Key_Up: return MenuKey::Up;
    case Qt::Key_Down: return MenuKey::Down;
    case Qt::Key_Right: return MenuKey::Right;
    default: return MenuKey::Other;
    }
}

}  // namespace

CMainMenuDlg::CMainMenuDlg(QWidget* rootWindow) : QWidget(rootWindow), keys_(GetByteSetting())
{
    setObjectName(QStringLiteral("CMainMenuDlg"));
    setFocusPolicy(Qt::StrongFocus);
    hide();
    if (uikit::ResourceModule* bitmaps = GetBitmapModule())
        background_ = bitmaps->Bitmap(kBackgroundId);
    CreateFont(&font_, 17, QStringLiteral("Malgun Gothic"), 0, kFontQuality);
    for (int i = 0; i < kButtonCount; ++i) {
        captions_[size_t(i)] = LoadText(kMenuButtons[i].captionId, kCaptionChars);
        auto* button = new uikit::CButtonST(this);
        button->setObjectName(QString::number(kFirstButtonId + i));
        uikit::SetUpSkinButton(*button, kMenuButtons[i].pictures,
                        QRect(kButtonWidth * i, 0, kButtonWidth, kButtonHeight));
        button->SetFlag(true);
        // The strip keeps the keys; a button takes only taps.
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QAbstractButton::clicked, this, [this, i] { OnButton(i); });
        buttons_[size_t(i)] = button;
    }
    Button(kAnalysisButtonId)->setEnabled(false);
    Place();
}

CMainMenuDlg::~CMainMenuDlg() = default;

uikit::CButtonST* CMainMenuDlg::Button(int id) const
{
    const int index = id - kFirstButtonId;
    return index >= 0 && index < kButtonCount ? buttons_[size_t(index)] : nullptr;
}

void CMainMenuDlg::Place()
{
    const QWidget* front = GetFrontScreen();
    const QWidget* root = parentWidget();
    QRect over = root ? root->rect() : QRect(0, 0, 800, 600);
    if (front && root && front != root && root->isAncestorOf(front))
        over = QRect(front->mapTo(root, QPoint(0, 0)), front->size());
    const MenuRect r = PlaceMainMenu(over.x(), over.y(), over.width(), over.height());
    setGeometry(r.x, r.y, r.width, r.height);
}

void CMainMenuDlg::Dismiss()
{
    timers_.KillTimer(kAutoHideTimer);
    HideMainMenu();
    if (isVisible())
        hide();
    if (QWidget* front = GetFrontScreen())
        front->setFocus();
}

bool CMainMenuDlg::RunExists() const
{
    return CurrentRunExists(GetExperimentBlock());
}

void CMainMenuDlg::OnButton(int index)
{
    PostToScreen(uikit::kSlotRoot, kMenuButtons[index].code);
    if (kMenuButtons[index].code != uikit::WM_APP_QUIT)
        Dismiss();
}

void CMainMenuDlg::OnKey(int key)
{
    const bool runExists = RunExists();
    const MenuKeyOutcome outcome = keys_.OnKey(KeyOf(key), runExists);
    if (outcome.toggled)
        SetByteSetting(keys_.ToggleValue());
    if (outcome.post == uikit::WM_GOTO_ANALYSIS)
        Button(kAnalysisButtonId)->setEnabled(true);
    if (outcome.post != 0)
        PostToScreen(uikit::kSlotRoot, outcome.post);
    if (!outcome.hide)
        return;
    QWidget* front = GetFrontScreen();
    Dismiss();
    if (outcome.post != 0)
        uikit::PostScreenMessage(front, uikit::WM_SCREEN_HIDE);
}

bool CMainMenuDlg::event(QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        // Every key is the menu's while it is up, Tab included.
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (!key->isAutoRepeat())
            OnKey(key->key());
        return true;
    }
    const uikit::ScreenEvent* message = uikit::AsScreenEvent(event);
    if (!message)
        return QWidget::event(event);
    switch (message->code()) {
    case uikit::WM_SCREEN_SHOW:
        Button(kAnalysisButtonId)->setEnabled(RunExists());
        timers_.SetTimer(kAutoHideTimer, autoHideMs_);
        break;
    case uikit::WM_SCREEN_HIDE:
        // Shown again since this was posted: it stays.
        if (!IsMainMenuShown()) {
            timers_.KillTimer(kAutoHideTimer);
            hide();
        }
        break;
    default:
        break;
    }
    return true;
}

void CMainMenuDlg::showEvent(QShowEvent* event)
{
    Place();
    raise();
    setFocus();
    QWidget::showEvent(event);
}

void CMainMenuDlg::timerEvent(QTimerEvent* event)
{
    if (timers_.IdOf(event) == kAutoHideTimer) {
        Dismiss();
        return;
    }
    QWidget::timerEvent(event);
}

void CMainMenuDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawBitmapNatural(painter, background_, 0, 0, width(), height());
    for (int i = 0; i < kButtonCount; ++i) {
        DrawTextInRect(painter, captions_[size_t(i)], kButtonWidth * i, kCaptionTop, kButtonWidth * (i + 1),
                       kCaptionBottom, &font_, kCaptionColour, uikit::kFormatCentredLine);
    }
}

}  // namespace shell
