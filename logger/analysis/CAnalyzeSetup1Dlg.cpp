#include "logger/analysis/CAnalyzeSetup1Dlg.h"

#include <cmath>
#include <utility>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QSignalBlocker>

#include "logger/analysis/CAnalyzeDlg.h"
#include "logger/analysis/ChoiceCombo.h"
#include "logger/analysis/core/AnalysisTexts.h"
#include "platform/CLocale.h"
#include "uikit/button/CButtonST.h"
#include "uikit/paint/SkinPaint.h"
#include "uikit/resources/ResourceModule.h"

namespace analysis {

namespace {

constexpr int kBackgroundId = 2164;
constexpr int kFontHeight = 14;
constexpr int kTextLength = 64;
constexpr int kFieldLength = 31;   // 32 UTF-16 units with the terminator
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int kPagePictures[GraphSetupModel::kPageCount] = {2442, 2452, 2455, 2458};
constexpr int kPageLeft = 6;
constexpr int kPageTop = 62;
constexpr int kPageRight = 314;
constexpr int kPageBottom = 184;

struct PageButtonSpec {
    int id;
    int captionId;
    int firstPicture;   // pressed, normal, focus, disabled follow in order
};
constexpr PageButtonSpec kPageButtons[GraphSetupModel::kPageCount] = {
    {CAnalyzeSetup1Dlg::kYPage, 2214, 2780},
    {CAnalyzeSetup1Dlg::kXPage, 2213, 2784},
    {CAnalyzeSetup1Dlg::kGraphsPage, 2054, 2788},
    {CAnalyzeSetup1Dlg::kSetPage, 2033, 2792},
};
constexpr int kCountPictures = 2800;
constexpr int kAddPictures = 2816;
constexpr int kRemovePictures = 2820;

void SetPictures(uikit::CButtonST& button, int first)
{
    uikit::ResourceModule& bitmaps = uikit::BitmapModule();
    button.SetBitmaps(bitmaps.Bitmap(first), uikit::kSkinKey, bitmaps.Bitmap(first + 1), uikit::kSkinKey,
                      bitmaps.Bitmap(first + 2), uikit::kSkinKey, bitmaps.Bitmap(first + 3), uikit::kSkinKey);
    button.SetFlag(true);
    button.SetFlatFocus(true);
    button.SetShowFocusRect(false);
}

std::optional<float> ParseFloat(const QString& text)
{
    double value = 0.0;
    if (!platform::ParseDouble(text.toStdString(), value) || !std::isfinite(value) || std::fabs(value) > 3.0e38)
        return std::nullopt;
    return float(value);
}

std::optional<int> ParseCount(const QString& text)
{
    int64_t value = 0;
    if (!platform::ParseInt(text.toStdString(), value) || value < 0 || value > 100000)
        return std::nullopt;
    return int(value);
}

// Six significant digits, as a float holds them; never the locale's decimal comma.
QString FloatText(float value) { return QString::number(double(value), 'g', 6); }

bool SameRange(const AxisRange& a, const AxisRange& b)
{
    return a.factor == b.factor && a.minimum == b.minimum && a.maximum == b.maximum;
}

}  // namespace

CAnalyzeSetup1Dlg::CAnalyzeSetup1Dlg(CAnalyzeDlg& screen, project::DataSetRecord& record)
    : CSkinnedDlg(&screen, kWidth, kHeight, kBackgroundId, kFontHeight),
      screen_(screen),
      model_(record, screen.Units(), screen.Axes(), screen.Texts())
{
    setObjectName(QStringLiteral("CAnalyzeSetup1Dlg"));
    uikit::ResourceModule& bitmaps = uikit::BitmapModule();
    for (int page = 0; page < GraphSetupModel::kPageCount; ++page)
        pagePictures_[page] = bitmaps.Bitmap(kPagePictures[page]);
    for (int page = 0; page < GraphSetupModel::kPageCount; ++page)
        AddPageLabel(page, text::kGraphSettings, 10, 6, 230, 26);

    CreatePageButtons();
    CreateYPage();
    CreateXPage();
    CreateGraphsPage();
    CreateSetPage();
    PlaceOkCancel(uikit::RectFromEdges(256, 188, 280, 210), uikit::RectFromEdges(286, 188, 310, 210));

    model_.Open();
    Edit(kSetName).setText(QString::fromStdU16String(model_.SetName()));
    Edit(kXLabel).setText(QString::fromStdU16String(model_.XLabel()));
    Edit(kScaleA).setText(FloatText(model_.ScaleA()));
    Edit(kOffsetB).setText(FloatText(model_.OffsetB()));
    Edit(kNumber).setText(QString::number(model_.MarkerSpacing()));
    static_cast<QCheckBox*>(Control(kEquation))->setChecked(model_.ShowEquation());
    static_cast<QCheckBox*>(Control(kR2))->setChecked(model_.ShowR2());
    static_cast<QCheckBox*>(Control(kExtra))->setChecked(model_.ExtraOption());
    Show();
    PlaceAtOwnerOrigin();
}

QWidget* CAnalyzeSetup1Dlg::Control(int id) const
{
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

QComboBox& CAnalyzeSetup1Dlg::Combo(int id) const { return *static_cast<QComboBox*>(Control(id)); }
QLineEdit& CAnalyzeSetup1Dlg::Edit(int id) const { return *static_cast<QLineEdit*>(Control(id)); }
uikit::CButtonST& CAnalyzeSetup1Dlg::Button(int id) const { return *static_cast<uikit::CButtonST*>(Control(id)); }

void CAnalyzeSetup1Dlg::Place(int page, int id, QWidget* widget, const QRect& box)
{
    widget->setObjectName(QString::number(id));
    widget->setGeometry(box);
    widget->setFont(Font());
    controls_[id] = widget;
    pageOf_[id] = page;
}

void CAnalyzeSetup1Dlg::AddPageLabel(int page, int textId, int left, int top, int right, int bottom)
{
    pageLabels_.push_back({page, LoadText(textId, kTextLength), uikit::RectFromEdges(left, top, right, bottom)});
}

void CAnalyzeSetup1Dlg::CreatePageButtons()
{
    for (int page = 0; page < GraphSetupModel::kPageCount; ++page) {
        const PageButtonSpec& spec = kPageButtons[page];
        auto* button = new uikit::CButtonST(this);
        SetPictures(*button, spec.firstPicture);
        button->SetCheckBoxMode(true);
        button->setObjectName(QString::number(spec.id));
        button->setGeometry(kPageLeft + page * 77, 29, 76, 32);
        // The pictures carry the page's sign; the name is told when the pointer rests on it.
        button->setToolTip(LoadText(spec.captionId, kTextLength));
        connect(button, &QAbstractButton::clicked, this, [this, page] { ShowPage(page); });
        controls_[spec.id] = button;
        pageButtons_[size_t(page)] = button;
    }
}

QComboBox* CAnalyzeSetup1Dlg::AddCombo(int page, int id, const QRect& box, std::function<void(int)> chosen)
{
    auto* combo = new QComboBox(this);
    Place(page, id, combo, box);
    connect(combo, &QComboBox::activated, this, [this, chosen = std::move(chosen)](int index) {
        chosen(index);
        Show();
    });
    return combo;
}

// The range mode and the range's two ends, alike on the Y and X pages.
void CAnalyzeSetup1Dlg::AddRangeRows(int page, int modeId, int minimumId, int maximumId,
                                     std::function<void(RangeMode)> choose)
{
    AddPageLabel(page, text::kRangeLabel, 12, 116, 80, 138);
    QComboBox* mode = AddCombo(page, modeId, uikit::RectFromEdges(82, 116, 196, 138),
                               [choose = std::move(choose)](int index) {
                                   choose(index == 1 ? RangeMode::Manual : RangeMode::Automatic);
                               });
    mode->addItem(LoadText(text::kAutomatic, kTextLength));
    mode->addItem(LoadText(text::kFixed, kTextLength));
    AddPageLabel(page, text::kMinimum, 12, 140, 92, 156);
    AddPageLabel(page, text::kMaximum, 116, 140, 196, 156);
    Place(page, minimumId, new QLineEdit(this), uikit::RectFromEdges(12, 157, 92, 179));
    AddPageLabel(page, text::kRangeArrow, 98, 157, 114, 179);
    Place(page, maximumId, new QLineEdit(this), uikit::RectFromEdges(116, 157, 196, 179));
}

void CAnalyzeSetup1Dlg::CreateYPage()
{
    constexpr int page = 0;
    AddCombo(page, kYChannel, uikit::RectFromEdges(12, 66, 196, 88),
             [this](int position) { model_.ChooseYChannel(position); });
    AddCombo(page, kYOutput, uikit::RectFromEdges(12, 91, 196, 113), [this](int index) { model_.ChooseYOutput(index); });
    AddRangeRows(page, kYMode, kYMinimum, kYMaximum, [this](RangeMode mode) { model_.ChooseYMode(mode); });

    list_ = new QListWidget(this);
    Place(page, kList, list_, uikit::RectFromEdges(202, 66, 308, 142));
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row != model_.SelectedEntry()) {
            model_.SelectEntry(row);
            Show();
        }
    });
    auto* add = new uikit::CButtonST(this);
    SetPictures(*add, kAddPictures);
    Place(page, kAdd, add, QRect(202, 147, 32, 32));
    connect(add, &QAbstractButton::clicked, this, [this] {
        model_.Add();
        Show();
    });
    auto* remove = new uikit::CButtonST(this);
    SetPictures(*remove, kRemovePictures);
    Place(page, kRemove, remove, QRect(240, 147, 32, 32));
    connect(remove, &QAbstractButton::clicked, this, [this] {
        model_.Remove();
        Show();
    });
}

void CAnalyzeSetup1Dlg::CreateXPage()
{
    constexpr int page = 1;
    AddPageLabel(page, text::kXSource, 12, 66, 80, 88);
    QComboBox* source = AddCombo(page, kXSource, uikit::RectFromEdges(82, 66, 196, 88), [this](int index) {
        model_.ChooseXSource(index == 1 ? XSource::Series : XSource::Time);
    });
    source->addItem(LoadText(text::kTimeSource, kTextLength));
    source->addItem(LoadText(text::kOtherSeries, kTextLength));
    AddCombo(page, kXChannel, uikit::RectFromEdges(12, 91, 104, 113),
             [this](int position) { model_.ChooseXChannel(position); });
    AddCombo(page, kXOutput, uikit::RectFromEdges(108, 91, 196, 113), [this](int index) { model_.ChooseXOutput(index); });
    AddRangeRows(page, kXMode, kXMinimum, kXMaximum, [this](RangeMode mode) { model_.ChooseXMode(mode); });

    // The time axis: its label and x' = a x t + b.
    AddPageLabel(page, text::kXScale, 204, 66, 308, 88);
    auto* label = new QLineEdit(this);
    label->setMaxLength(kFieldLength);
    Place(page, kXLabel, label, uikit::RectFromEdges(204, 91, 308, 113));
    AddPageLabel(page, text::kTimesSign, 204, 116, 218, 138);
    Place(page, kScaleA, new QLineEdit(this), uikit::RectFromEdges(220, 116, 308, 138));
    AddPageLabel(page, text::kOffset, 204, 141, 252, 163);
    Place(page, kOffsetB, new QLineEdit(this), uikit::RectFromEdges(254, 141, 308, 163));
}

void CAnalyzeSetup1Dlg::CreateGraphsPage()
{
    constexpr int page = 2;
    AddPageLabel(page, text::kGraphLabel, 14, 68, 200, 88);
    for (int k = 0; k < project::kGraphCount; ++k) {
        auto* button = new uikit::CButtonST(this);
        SetPictures(*button, kCountPictures + 4 * k);
        button->SetCheckBoxMode(true);
        Place(page, kOneGraph + k, button, QRect(14 + 40 * k, 92, 32, 32));
        connect(button, &QAbstractButton::clicked, this, [this, k] {
            model_.ChooseGraphCount(k);
            Show();
        });
        countButtons_[size_t(k)] = button;
    }
    AddPageLabel(page, text::kMarkerStep, 14, 140, 180, 162);
    Place(page, kNumber, new QLineEdit(this), uikit::RectFromEdges(184, 140, 244, 162));
}

void CAnalyzeSetup1Dlg::CreateSetPage()
{
    constexpr int page = 3;
    AddPageLabel(page, text::kLegendName, 14, 68, 80, 90);
    auto* name = new QLineEdit(this);
    name->setMaxLength(kFieldLength);
    Place(page, kSetName, name, uikit::RectFromEdges(82, 68, 300, 90));
    const int checks[3][2] = {{kEquation, text::kLegendEquation}, {kR2, text::kLegendR2}, {kExtra, text::kLegendDetails}};
    for (int i = 0; i < 3; ++i) {
        auto* box = new QCheckBox(this);
        box->setText(LoadText(checks[i][1], kTextLength));
        QPalette white = box->palette();
        white.setColor(QPalette::WindowText, uikit::ColorFromRef(kWhite));
        box->setPalette(white);
        Place(page, checks[i][0], box, uikit::RectFromEdges(14, 98 + 26 * i, 300, 120 + 26 * i));
    }
}

void CAnalyzeSetup1Dlg::ShowPage(int page)
{
    model_.ShowPage(page);
    Show();
}

void CAnalyzeSetup1Dlg::ShowCombo(int id, const ComboContent& content)
{
    QComboBox& combo = Combo(id);
    const QSignalBlocker quiet(combo);
    combo.clear();
    for (const std::u16string& item : content.items)
        combo.addItem(QString::fromStdU16String(item));
    combo.setCurrentIndex(content.selected);
    combo.setEnabled(content.enabled);
    FitChoiceList(combo);
}

void CAnalyzeSetup1Dlg::ShowRanges()
{
    const AxisRange y = model_.YRange();
    if (!SameRange(y, shownY_)) {
        Edit(kYMinimum).setText(FloatText(y.minimum));
        Edit(kYMaximum).setText(FloatText(y.maximum));
        shownY_ = y;
    }
    const AxisRange x = model_.XRange();
    if (!SameRange(x, shownX_)) {
        Edit(kXMinimum).setText(FloatText(x.minimum));
        Edit(kXMaximum).setText(FloatText(x.maximum));
        shownX_ = x;
    }
}

void CAnalyzeSetup1Dlg::Show()
{
    const int page = model_.Page();
    for (const auto& [id, widget] : controls_) {
        const auto owner = pageOf_.find(id);
        if (owner != pageOf_.end())
            widget->setVisible(owner->second == page);
    }
    for (int p = 0; p < GraphSetupModel::kPageCount; ++p)
        pageButtons_[size_t(p)]->SetCheck(p == page ? 1 : 0);
    for (int k = 0; k < project::kGraphCount; ++k)
        countButtons_[size_t(k)]->SetCheck(k == model_.GraphChoice() ? 1 : 0);

    ShowCombo(kYChannel, model_.YChannels());
    ShowCombo(kYOutput, model_.YOutputs());
    ShowCombo(kXChannel, model_.XChannels());
    ShowCombo(kXOutput, model_.XOutputs());
    // The source and mode combos keep their items; only the choice is shown.
    for (const auto& [id, choice] : {std::pair{kXSource, int(model_.Source())}, std::pair{kYMode, int(model_.YMode())},
                                     std::pair{kXMode, int(model_.XMode())}}) {
        const QSignalBlocker quiet(Combo(id));
        Combo(id).setCurrentIndex(choice);
    }
    {
        const QSignalBlocker quiet(list_);
        list_->clear();
        for (const std::u16string& item : model_.EntryItems())
            list_->addItem(QString::fromStdU16String(item));
        list_->setCurrentRow(model_.SelectedEntry());
    }
    ShowRanges();

    const bool manualY = model_.YMode() == RangeMode::Manual;
    Edit(kYMinimum).setEnabled(manualY);
    Edit(kYMaximum).setEnabled(manualY);
    const bool series = model_.Source() == XSource::Series;
    const bool manualX = model_.XMode() == RangeMode::Manual;
    Edit(kXMinimum).setEnabled(manualX);
    Edit(kXMaximum).setEnabled(manualX);
    for (const int id : {kXLabel, kScaleA, kOffsetB})
        Edit(id).setEnabled(!series);
    Button(kRemove).setEnabled(model_.Entries().size() > 1);
    Button(kAdd).setEnabled(int(model_.Entries().size()) < GraphSetupModel::kMaxEntries);
    update();
}

SetupEdits CAnalyzeSetup1Dlg::TakeEdits() const
{
    SetupEdits edits;
    edits.yMinimum = ParseFloat(Edit(kYMinimum).text());
    edits.yMaximum = ParseFloat(Edit(kYMaximum).text());
    edits.xMinimum = ParseFloat(Edit(kXMinimum).text());
    edits.xMaximum = ParseFloat(Edit(kXMaximum).text());
    edits.scaleA = ParseFloat(Edit(kScaleA).text());
    edits.offsetB = ParseFloat(Edit(kOffsetB).text());
    edits.markerSpacing = ParseCount(Edit(kNumber).text());
    edits.xLabel = Edit(kXLabel).text().left(kFieldLength).toStdU16String();
    edits.setName = Edit(kSetName).text().left(kFieldLength).toStdU16String();
    edits.showEquation = static_cast<QCheckBox*>(Control(kEquation))->isChecked();
    edits.showR2 = static_cast<QCheckBox*>(Control(kR2))->isChecked();
    edits.extraOption = static_cast<QCheckBox*>(Control(kExtra))->isChecked();
    return edits;
}

bool CAnalyzeSetup1Dlg::TakeChoices()
{
    const SetupResult result = model_.Commit(TakeEdits());
    if (!result.accepted) {
        const int text = result.refusal == SetupRefusal::InvertedRange ? text::kInvertedRange : text::kNotANumber;
        screen_.Present(uikit::kBoxTypeNotice, LoadText(text, kTextLength * 2), {});
        return false;
    }
    selectionChanged_ = result.selectionChanged;
    return true;
}

void CAnalyzeSetup1Dlg::PaintContent(QPainter& painter)
{
    const int page = model_.Page();
    const QPixmap& picture = pagePictures_[page];
    if (!picture.isNull())
        DrawBitmap(painter, picture, kPageLeft, kPageTop, kPageRight, kPageBottom);
    for (const PageLabel& label : pageLabels_) {
        if (label.page == page) {
            DrawTextInRect(painter, label.text, label.box.left(), label.box.top(), label.box.right() + 1,
                           label.box.bottom() + 1, &Font(), kWhite, uikit::kFormatLeftLine);
        }
    }
}

}  // namespace analysis
