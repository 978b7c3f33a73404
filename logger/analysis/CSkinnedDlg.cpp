#include "logger/analysis/CSkinnedDlg.h"

#include <algorithm>

#include <QPainter>

#include "uikit/button/CButtonST.h"
#include "uikit/paint/SkinPaint.h"
#include "uikit/resources/ResourceModule.h"

namespace analysis {

namespace {

constexpr int kLabelLength = 64;
constexpr uint32_t kLabelColour = 0xFFFFFF;

// Small OK and Cancel pictures: pressed, normal, disabled.
constexpr int kOkPictures[3] = {2329, 2330, 2331};
constexpr int kCancelPictures[3] = {2374, 2373, 2372};

void SetUpButton(uikit::CButtonST& button, const int (&pictures)[3])
{
    uikit::ResourceModule& bitmaps = uikit::BitmapModule();
    const QPixmap pressed = bitmaps.Bitmap(pictures[0]);
    const QPixmap normal = bitmaps.Bitmap(pictures[1]);
    const QPixmap disabled = bitmaps.Bitmap(pictures[2]);
    button.SetBitmaps(pressed, uikit::kSkinKey, normal, uikit::kSkinKey, disabled, uikit::kSkinKey, disabled,
                      uikit::kSkinKey);
    const QColor face = button.palette().color(QPalette::Button);
    auto lighter = [](int channel) { return std::min(channel + 0x1E, 0xFF); };
    button.SetColor(uikit::CButtonST::kColourPressedBackground,
                    uikit::RefFromColor(QColor(lighter(face.red()), lighter(face.green()), lighter(face.blue()))));
    button.SetFlatFocus(true);
    button.SetShowFocusRect(false);
}

}  // namespace

CSkinnedDlg::CSkinnedDlg(QWidget* owner, int width, int height, int backgroundId, int fontHeight)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), owner_(owner)
{
    setModal(true);
    background_ = uikit::BitmapModule().Bitmap(backgroundId);
    CreateFont(&font_, fontHeight, QStringLiteral("Malgun Gothic"), 0, kFontQuality);
    setFont(font_);
    ok_ = new uikit::CButtonST(this);
    cancel_ = new uikit::CButtonST(this);
    ok_->setObjectName(QString::number(kOkId));
    cancel_->setObjectName(QString::number(kCancelId));
    SetUpButton(*ok_, kOkPictures);
    SetUpButton(*cancel_, kCancelPictures);
    connect(ok_, &QAbstractButton::clicked, this, &CSkinnedDlg::accept);
    connect(cancel_, &QAbstractButton::clicked, this, &CSkinnedDlg::reject);
    setFixedSize(width, height);
    GetClientSize(this);
}

void CSkinnedDlg::AddLabel(int textId, int left, int top, int right, int bottom)
{
    labels_.push_back({LoadText(textId, kLabelLength), uikit::RectFromEdges(left, top, right, bottom)});
}

void CSkinnedDlg::PlaceOkCancel(const QRect& ok, const QRect& cancel)
{
    ok_->setGeometry(ok);
    cancel_->setGeometry(cancel);
}

void CSkinnedDlg::PlaceAtOwnerOrigin()
{
    if (owner_)
        move(owner_->mapToGlobal(QPoint(0, 0)));
}

void CSkinnedDlg::CentreOnOwner()
{
    if (owner_) {
        const QRect area(owner_->mapToGlobal(QPoint(0, 0)), owner_->size());
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void CSkinnedDlg::accept()
{
    if (TakeChoices())
        done(kResultOk);
}

void CSkinnedDlg::reject() { done(kResultCancel); }

void CSkinnedDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (background_.isNull())
        painter.fillRect(rect(), palette().window());
    else
        DrawBitmap(painter, background_, 0, 0, width(), height());
    for (const Label& label : labels_) {
        DrawTextInRect(painter, label.text, label.box.left(), label.box.top(), label.box.right() + 1,
                       label.box.bottom() + 1, &font_, kLabelColour, uikit::kFormatLeftLine);
    }
    PaintContent(painter);
}

}  // namespace analysis
