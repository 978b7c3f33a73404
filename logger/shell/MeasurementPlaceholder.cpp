#include "logger/shell/MeasurementPlaceholder.h"

#include "logger/project/ExperimentRecords.h"
#include "logger/project/ProjectFile.h"
#include "logger/project/WorkingCopySession.h"
#include "logger/shell/SkinButtons.h"
#include "uikit/button/CButtonST.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"
#include "uikit/resources/ResourceModule.h"

#include <QPainter>

namespace shell {

namespace {

constexpr int kHeadId = 2700;
constexpr int kBandId = 2701;
constexpr int kCornerId = 2702;
constexpr int kMenuButtonId = 1051;
constexpr int kLayoutWidth = 800;
constexpr int kLayoutHeight = 600;

}  // namespace

MeasurementPlaceholder::MeasurementPlaceholder(QWidget* rootWindow)
    : QWidget(rootWindow),
      block_(std::make_unique<logger::ExperimentBlock>()),
      samples_(std::make_unique<logger::SampleArrays>())
{
    setObjectName(QStringLiteral("CMeasurmentDlg"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setGeometry(0, 0, kLayoutWidth, kLayoutHeight);
    hide();
    block_->currentIndex = -1;
    project_ = std::make_unique<logger::ProjectFile>(
        *block_, *samples_, logger::WorkingCopyFolder(GetDataDirectory().toStdString()));
    if (uikit::ResourceModule* bitmaps = GetBitmapModule()) {
        head_ = bitmaps->Bitmap(kHeadId);
        band_ = bitmaps->Bitmap(kBandId);
        corner_ = bitmaps->Bitmap(kCornerId);
    }
    auto* menu = new uikit::CButtonST(this);
    menu->setObjectName(QString::number(kMenuButtonId));
    // Beside the clock: the header's left holds the screen's name.
    SetUpSkinButton(*menu, {2103, 2105, 2104, 2104}, QRect(kLayoutWidth - 126 - 64, 4, 60, 44));
    menu->setFocusPolicy(Qt::NoFocus);
    connect(menu, &QAbstractButton::clicked, this, [] { ShowMainMenu(); });
    SetScreen(uikit::kSlotMeasurement, this);
}

MeasurementPlaceholder::~MeasurementPlaceholder() = default;

bool MeasurementPlaceholder::event(QEvent* event)
{
    const uikit::ScreenEvent* message = uikit::AsScreenEvent(event);
    if (!message)
        return QWidget::event(event);
    if (message->code() == uikit::WM_PERIODIC_REDRAW)
        update(ClockRect());
    return true;
}

void MeasurementPlaceholder::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    GetClientSize(this);
    const int cornerLeft = std::max(0, width() - (corner_.isNull() ? 0 : corner_.width()));
    DrawBitmapNatural(painter, head_, 0, 0, head_.width(), head_.height());
    if (!band_.isNull()) {
        for (int x = head_.width(); x < cornerLeft; x += band_.width())
            DrawBitmap(painter, band_, x, 0, std::min(x + band_.width(), cornerLeft), band_.height());
    }
    DrawBitmapNatural(painter, corner_, cornerLeft, 0, width(), corner_.height());
    DrawClock(painter);
}

}  // namespace shell
