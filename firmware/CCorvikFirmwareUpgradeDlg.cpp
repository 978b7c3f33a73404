#include "firmware/CCorvikFirmwareUpgradeDlg.h"

#include "uikit/button/CButtonST.h"
#include "uikit/paint/SkinPaint.h"
#include "uikit/resources/FontMap.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QTimerEvent>
#include <QVBoxLayout>

namespace firmware {

namespace {

enum PictureId {
    kBackground = 129,
    kOpenNormal = 130, kOpenDisabled = 131, kOpenHot = 132,
    kDownloadNormal = 133, kDownloadDisabled = 134, kDownloadHot = 135,
    kUpgradeNormal = 136, kUpgradeDisabled = 137, kUpgradeHot = 138,
};

constexpr uint32_t kKey = 0xFF00FF;
const QRect kIntroRect = uikit::RectFromEdges(250, 70, 640, 200);
const QRect kInfoRect = uikit::RectFromEdges(250, 180, 640, 300);
const QRect kStatusRect = uikit::RectFromEdges(250, 305, 640, 400);
const QColor kTextColour(0x1E, 0x2B, 0x45);

}  // namespace

CCorvikFirmwareUpgradeDlg::CCorvikFirmwareUpgradeDlg(UpgradeDevice& device, Options options, QWidget* parent)
    : QDialog(parent),
      flow_(device, std::move(options.flow)),
      pictures_(options.pictureSet),
      chooser_(options.chooser ? std::move(options.chooser) : FileChooser(&ChooseImageFile)),
      font_(uikit::MakeFont(QStringLiteral("Malgun Gothic"), 18, true)),
      noticeFont_(uikit::MakeFont(QStringLiteral("Malgun Gothic"), 14, false)),
      dataNotice_(std::move(options.dataNotice))
{
    setWindowTitle(QStringLiteral("Corvik Upgrade"));
    setFixedSize(kClientWidth, kClientHeight);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    background_ = pictures_.Bitmap(kBackground);

    open_ = MakeButton(UpgradeFlow::kOpenButton, kOpenNormal, kOpenHot, kOpenDisabled,
                       uikit::RectFromEdges(31, 58, 191, 158), QStringLiteral("Open file"));
    download_ = MakeButton(UpgradeFlow::kDownloadButton, kDownloadNormal, kDownloadHot, kDownloadDisabled,
                           uikit::RectFromEdges(31, 175, 191, 275), QStringLiteral("Download"));
    upgrade_ = MakeButton(UpgradeFlow::kUpgradeButton, kUpgradeNormal, kUpgradeHot, kUpgradeDisabled,
                          uikit::RectFromEdges(31, 304, 191, 382), QStringLiteral("Upgrade"));
    connect(open_, &QAbstractButton::clicked, this, &CCorvikFirmwareUpgradeDlg::OnOpenFirmwareFile);
    connect(download_, &QAbstractButton::clicked, &flow_, &UpgradeFlow::DownloadFirmware);
    connect(upgrade_, &QAbstractButton::clicked, &flow_, &UpgradeFlow::StartUpgrade);

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QString::number(kProgressId));
    progress_->setGeometry(240, 350, 400, 30);
    progress_->setTextVisible(false);

    connect(&flow_, &UpgradeFlow::Changed, this, &CCorvikFirmwareUpgradeDlg::ShowFlow);
    ShowFlow();
    flow_.Start();
}

CCorvikFirmwareUpgradeDlg::~CCorvikFirmwareUpgradeDlg() = default;

uikit::CButtonST* CCorvikFirmwareUpgradeDlg::MakeButton(int id, int normal, int hot, int disabled, const QRect& place,
                                                        const QString& plainCaption)
{
    auto* button = new uikit::CButtonST(this);
    button->setObjectName(QString::number(id));
    button->setGeometry(place);
    // The hot picture serves the pressed slot; the buttons carry no text.
    button->SetBitmaps(pictures_.Bitmap(hot), kKey, pictures_.Bitmap(normal), kKey, {}, 0,
                       pictures_.Bitmap(disabled), kKey);
    button->setFocusPolicy(Qt::NoFocus);
    // Without its pictures (the picture set was not found) a button is a plain panel that says
    // what it does, never an invisible spot on a white window.
    button->SetPlainWhenBare(true);
    if (button->SlotBitmap(uikit::CButtonST::kSlotNormal).isNull())
        button->SetCaption(plainCaption, nullptr, 0, 0, 0, 0, 0, 0);
    return button;
}

uikit::CButtonST* CCorvikFirmwareUpgradeDlg::Button(int id) const
{
    switch (id) {
    case UpgradeFlow::kOpenButton: return open_;
    case UpgradeFlow::kDownloadButton: return download_;
    case UpgradeFlow::kUpgradeButton: return upgrade_;
    default: return nullptr;
    }
}

QString CCorvikFirmwareUpgradeDlg::ChooseImageFile(QWidget* parent)
{
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("bin"));
    dialog.setNameFilters({QStringLiteral("MyType Files (*.bin)"), QStringLiteral("All Files (*)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

void CCorvikFirmwareUpgradeDlg::OnOpenFirmwareFile()
{
    if (!flow_.Enabled(UpgradeFlow::kOpenButton))
        return;
    flow_.OpenFirmwareFile(chooser_(this));
}

void CCorvikFirmwareUpgradeDlg::ShowFlow()
{
    for (int id : {UpgradeFlow::kOpenButton, UpgradeFlow::kDownloadButton, UpgradeFlow::kUpgradeButton})
        Button(id)->setEnabled(flow_.Enabled(id));
    progress_->setRange(0, flow_.ProgressMaximum());
    progress_->setValue(flow_.ProgressValue());
    if (flow_.TimerRunning() && !timer11_.isActive())
        timer11_.start(UpgradeFlow::kTickMs, this);
    else if (!flow_.TimerRunning() && timer11_.isActive())
        timer11_.stop();
    update();
}

void CCorvikFirmwareUpgradeDlg::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != timer11_.timerId()) {
        QDialog::timerEvent(event);
        return;
    }
    flow_.Tick();
}

void CCorvikFirmwareUpgradeDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!background_.isNull())
        painter.drawPixmap(0, 0, background_, 0, 0, kClientWidth, kClientHeight);
    else
        painter.fillRect(rect(), Qt::white);
    painter.setPen(kTextColour);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    if (!dataNotice_.isEmpty()) {
        painter.setFont(noticeFont_);
        painter.drawText(kIntroRect.united(kInfoRect), flags, dataNotice_);
        return;
    }
    painter.setFont(font_);
    painter.drawText(kIntroRect, flags, flow_.IntroText());
    painter.drawText(kInfoRect, flags, flow_.InfoText());
    painter.drawText(kStatusRect, flags, flow_.StatusText());
}

void CCorvikFirmwareUpgradeDlg::reject()
{
    // Leaving in the middle of a write would leave the logger with half an image.
    if (!flow_.CanClose())
        return;
    QDialog::reject();
}

void CCorvikFirmwareUpgradeDlg::closeEvent(QCloseEvent* event)
{
    if (!flow_.CanClose()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CCorvikFirmwareUpgradeDlg::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addSeparator();
    QAction* about = menu.addAction(QStringLiteral("&About CorvikFirmwareUpgrade..."));
    if (menu.exec(event->globalPos()) == about)
        ShowAbout();
}

QDialog* CCorvikFirmwareUpgradeDlg::ShowAbout()
{
    if (!about_) {
        about_ = std::make_unique<QDialog>(this);
        about_->setWindowTitle(QStringLiteral("About CorvikFirmwareUpgrade"));
        auto* layout = new QVBoxLayout(about_.get());
        layout->addWidget(new QLabel(QStringLiteral("CorvikFirmwareUpgrade, Version 1.0"), about_.get()));
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, about_.get());
        connect(buttons, &QDialogButtonBox::accepted, about_.get(), &QDialog::accept);
        layout->addWidget(buttons);
    }
    about_->open();
    return about_.get();
}

}  // namespace firmware
