#include "logger/shell/CHtmlViewDlg.h"

#include "logger/shell/CHtmlCtrl.h"
#include "uikit/button/CButtonST.h"
#include "uikit/button/SkinButtons.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"
#include "uikit/resources/ResourceModule.h"

#include <QCloseEvent>
#include <QPainter>

namespace shell {

namespace {

constexpr int kTopTileId = 12511;
constexpr int kClockPlateId = 12512;
constexpr int kClockPlateWidth = 126;
constexpr int kLayoutWidth = 800;
constexpr int kLayoutHeight = 600;

struct ButtonSpec {
    int id;
    uikit::SkinButtonPictures pictures;  // the third picture serves focus and disabled
};

constexpr ButtonSpec kButtons[CHtmlViewDlg::kButtonCount] = {
    {CHtmlViewDlg::kMenuButtonId, {2103, 2105, 2104, 2104}},
    {CHtmlViewDlg::kBackButtonId, {2197, 2198, 2196, 2196}},
    {CHtmlViewDlg::kForwardButtonId, {2200, 2201, 2199, 2199}},
    {CHtmlViewDlg::kHomeButtonId, {2202, 2195, 2203, 2203}},
    {CHtmlViewDlg::kCloseButtonId, {2204, 2206, 2205, 2205}},
    {CHtmlViewDlg::kPrintButtonId, {2404, 2406, 2405, 2405}},
};

QString FromU16(const std::u16string& text)
{
    return QString::fromStdU16String(text);
}

}  // namespace

CHtmlViewDlg::CHtmlViewDlg(QWidget* rootWindow, const ScreenServices& services) : QWidget(rootWindow)
{
    setObjectName(QStringLiteral("CHtmlViewDlg"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    hide();
    if (uikit::ResourceModule* bitmaps = GetBitmapModule()) {
        topTile_ = bitmaps->Bitmap(kTopTileId);
        clockPlate_ = bitmaps->Bitmap(kClockPlateId);
    }
    for (int i = 0; i < kButtonCount; ++i) {
        auto* button = new uikit::CButtonST(this);
        button->setObjectName(QString::number(kButtons[i].id));
        uikit::SetUpSkinButton(*button, kButtons[i].pictures, QRect(64 * i + 4, 4, 60, 44));
        buttons_[i] = button;
    }
    Button(kHomeButtonId)->hide();
    Button(kPrintButtonId)->setEnabled(false);
    Button(kPrintButtonId)->hide();
    connect(Button(kMenuButtonId), &QAbstractButton::clicked, this, [] { ShowMainMenu(); });
    connect(Button(kBackButtonId), &QAbstractButton::clicked, this, [this] { Back(); });
    connect(Button(kForwardButtonId), &QAbstractButton::clicked, this, [this] { Forward(); });
    connect(Button(kCloseButtonId), &QAbstractButton::clicked, this,
            [] { PostToScreen(uikit::kSlotRoot, uikit::WM_HTML_BACK); });

    browser_ = new CHtmlCtrl(this, services.help);
    connect(browser_, &CHtmlCtrl::LinkFollowed, this,
            [this](const QString& address) { history_.FollowLink(address.toStdU16String()); });

    setGeometry(0, 0, kLayoutWidth, kLayoutHeight);
    PlaceBrowser();
}

CHtmlViewDlg::~CHtmlViewDlg() = default;

uikit::CButtonST* CHtmlViewDlg::Button(int id) const
{
    for (int i = 0; i < kButtonCount; ++i) {
        if (kButtons[i].id == id)
            return buttons_[i];
    }
    return nullptr;
}

void CHtmlViewDlg::OpenPage(const QString& address)
{
    history_.Open(address.toStdU16String());
    browser_->Navigate(address);
}

void CHtmlViewDlg::ShowHistoryEntry(const std::u16string* address)
{
    if (address)
        browser_->Navigate(FromU16(*address));
}

void CHtmlViewDlg::Back()
{
    ShowHistoryEntry(history_.Back());
}

void CHtmlViewDlg::Forward()
{
    ShowHistoryEntry(history_.Forward());
}

bool CHtmlViewDlg::event(QEvent* event)
{
    const uikit::ScreenEvent* message = uikit::AsScreenEvent(event);
    if (!message)
        return QWidget::event(event);
    switch (message->code()) {
    case uikit::WM_SCREEN_SHOW:
        // A request without a page (coming back to the viewer) keeps the page in front.
        if (!message->text().isEmpty())
            OpenPage(message->text());
        break;
    case uikit::WM_HTML_TITLE:
        // Only the title of the page now in front: one of a page already left is stale.
        if (message->wParam() == browser_->LoadSerial())
            history_.SetTitle(message->text().toStdU16String());
        break;
    case uikit::WM_PERIODIC_REDRAW:
        update(ClockRect());
        break;
    default:
        break;
    }
    return true;
}

void CHtmlViewDlg::showEvent(QShowEvent* event)
{
    SetFrontScreen(this);
    QWidget::showEvent(event);
}

void CHtmlViewDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    HideMainMenu();
    GetClientSize(this);  // the clock follows the width
    PlaceBrowser();
    update();
}

void CHtmlViewDlg::PlaceBrowser()
{
    if (!browser_)
        return;
    if (width() > kLayoutWidth)
        browser_->setGeometry(0, kTopBarHeight, width(), std::max(0, height() - kTopBarHeight));
    else
        browser_->setGeometry(0, kTopBarHeight, kLayoutWidth, kLayoutHeight - kTopBarHeight);
}

void CHtmlViewDlg::paintEvent(QPaintEvent*)
{
    // A page painted while hidden (a picture of it) is not the one in front.
    if (isVisible())
        SetFrontScreen(this);
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!topTile_.isNull()) {
        const int tiles = width() / topTile_.width() + 1;
        for (int i = 0; i < tiles; ++i)
            painter.drawPixmap(i * topTile_.width(), 0, topTile_);
    }
    if (!clockPlate_.isNull())
        painter.drawPixmap(width() > kLayoutWidth ? width() - kClockPlateWidth : kLayoutWidth - kClockPlateWidth, 0,
                           clockPlate_);
    DrawClock(painter);
}

void CHtmlViewDlg::closeEvent(QCloseEvent* event)
{
    PostToScreen(uikit::kSlotRoot, uikit::WM_HTML_BACK);
    QWidget::closeEvent(event);
}

}  // namespace shell
