#include "logger/measure/CMeasurSetup1Dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QIntValidator>
#include <QLineEdit>
#include <QPainter>

#include "logger/measure/core/MeasureTexts.h"
#include "logger/measure/core/RatePlan.h"
#include "uikit/button/CButtonST.h"
#include "uikit/paint/SkinPaint.h"
#include "uikit/resources/ResourceModule.h"

namespace measure {

namespace {

constexpr int kBackgroundBitmap = 2770;
constexpr int kFontHeight = 14;
constexpr int kTextChars = 64;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kCaptionColour = 0x140000;

// Texts.
constexpr int kHeadingText = 2139;
constexpr int kRowTexts[] = {2207, 2048, 2047, 2051, 2049};   // mode, rate, duration, end, markers
constexpr int kRateHeadingText = 2048;
constexpr int kTimesText = 2055;
constexpr int kYAxisText = 2214;
constexpr int kSmallButtonCaption = 2111;
constexpr int kRateUnitTexts[] = {2221, 2095, 2220};   // Hz, ms, microseconds
constexpr int kLengthUnitTexts[] = {2096, 2097};        // seconds, minutes
constexpr int kEndOfRunTexts[] = {2140, 2102, 2100};    // one run, repeat, until stopped
constexpr int kYScaleTexts[] = {2043, 2133};            // automatic, fixed
constexpr int kModeTexts[] = {2209, 2208, 2229, 2230, 2210};    // one a project::RunMode, in its order
static_assert(std::size(kModeTexts) == project::kRunModeCount);

// Layout: five rows, labels on the left, their controls after them.
constexpr int kRowTop[] = {48, 75, 102, 129, 156};
constexpr int kRowHeight = 20;
constexpr int kLabelLeft = 12;
constexpr int kLabelRight = 96;
constexpr int kControlLeft = 100;
constexpr int kControlHeight = 24;

QRect RowControl(int row, int left, int right)
{
    return uikit::RectFromEdges(left, kRowTop[row] - 2, right, kRowTop[row] - 2 + kControlHeight);
}

template <class Widget>
Widget* MakeControl(QWidget* parent, int id, const QRect& place, const QFont& font)
{
    auto* widget = new Widget(parent);
    widget->setObjectName(QString::number(id));
    widget->setGeometry(place);
    widget->setFont(font);
    return widget;
}

QString FromU16(std::u16string_view text) { return QString::fromUtf16(text.data(), qsizetype(text.size())); }

}  // namespace

CMeasurSetup1Dlg::CMeasurSetup1Dlg(QWidget* owner, project::DataSetRecord& record,
                                   const int32_t (&maxRates)[project::kChannelCount], Notice notice)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), record_(record), notice_(std::move(notice))
{
    setObjectName(QStringLiteral("CMeasurSetup1Dlg"));
    setModal(true);
    if (uikit::ResourceModule* bitmaps = GetBitmapModule())
        background_ = bitmaps->Bitmap(kBackgroundBitmap);
    CreateFont(&font_, kFontHeight, QStringLiteral("Malgun Gothic"), 0, kFontQuality);
    heading_ = LoadText(kHeadingText, kTextChars);
    for (size_t i = 0; i < rowLabels_.size(); ++i)
        rowLabels_[i] = LoadText(kRowTexts[i], kTextChars);
    rateHeading_ = LoadText(kRateHeadingText, kTextChars);
    timesSign_ = LoadText(kTimesText, kTextChars);
    yAxisLabel_ = LoadText(kYAxisText, kTextChars);

    model_.Load(record, maxRates);
    CreateControls();
    PushValues();
    UpdateStates();

    PlaceWindow(this, this, 0, 0, kWidth, kHeight);
    if (owner) {
        const QRect area = owner->window()->geometry();
        move(area.center() - QPoint(kWidth / 2, kHeight / 2));
    }
}

CMeasurSetup1Dlg::~CMeasurSetup1Dlg() = default;

void CMeasurSetup1Dlg::CreateControls()
{
    const auto combo = [this](int id, const QRect& place, std::initializer_list<int> texts) {
        auto* box = MakeControl<QComboBox>(this, id, place, font_);
        for (int text : texts)
            box->addItem(LoadText(text, kTextChars));
        return box;
    };
    const auto edit = [this](int id, const QRect& place, int maximum) {
        auto* line = MakeControl<QLineEdit>(this, id, place, font_);
        line->setValidator(new QIntValidator(0, maximum, line));
        return line;
    };

    title_ = MakeControl<QLineEdit>(this, kTitle, uikit::RectFromEdges(180, 7, 312, 31), font_);
    title_->setMaxLength(MeasureSetupModel::kTitleUnits);

    mode_ = combo(kMode, RowControl(0, kControlLeft, 250),
                  {kModeTexts[0], kModeTexts[1], kModeTexts[2], kModeTexts[3], kModeTexts[4]});
    rate_ = edit(kRate, RowControl(1, kControlLeft, 160), kMicroseconds);
    rateUnit_ = combo(kRateUnit, RowControl(1, 165, 235), {kRateUnitTexts[0], kRateUnitTexts[1], kRateUnitTexts[2]});
    length_ = edit(kLength, RowControl(2, kControlLeft, 160), MeasureSetupModel::kMaxLengthSeconds);
    lengthUnit_ = combo(kLengthUnit, RowControl(2, 165, 250), {kLengthUnitTexts[0], kLengthUnitTexts[1]});
    endOfRun_ = combo(kEndOfRun, RowControl(3, kControlLeft, 250), {kEndOfRunTexts[0], kEndOfRunTexts[1], kEndOfRunTexts[2]});
    repeat_ = edit(kRepeat, RowControl(3, 268, 308), MeasureSetupModel::kMaxRepeat);
    marker_ = edit(kMarker, RowControl(4, kControlLeft, 150), MeasureSetupModel::kMaxMarkerSpacing);
    yScale_ = combo(kYScale, RowControl(4, 210, 312), {kYScaleTexts[0], kYScaleTexts[1]});

    for (int c = 0; c < project::kChannelCount; ++c) {
        channelRate_[size_t(c)] = edit(kChannelEdits[c], RowControl(c + 1, 172, 227), kMicroseconds);
        channelUnit_[size_t(c)] =
            combo(kChannelUnits[c], RowControl(c + 1, 232, 302), {kRateUnitTexts[0], kRateUnitTexts[1], kRateUnitTexts[2]});
    }

    perChannel_ = MakeControl<QCheckBox>(this, kPerChannel, uikit::RectFromEdges(kLabelLeft, 186, 236, 210), font_);
    perChannel_->setText(LoadText(text::kPerChannelRates, kTextChars));
    QPalette white = perChannel_->palette();
    white.setColor(QPalette::WindowText, uikit::ColorFromRef(kWhite));
    perChannel_->setPalette(white);

    ok_ = MakeControl<uikit::CButtonST>(this, kOk, uikit::RectFromEdges(248, 188, 272, 210), font_);
    cancel_ = MakeControl<uikit::CButtonST>(this, kCancel, uikit::RectFromEdges(280, 188, 304, 210), font_);
    const QString caption = LoadText(kSmallButtonCaption, kTextChars);
    uikit::ResourceModule* bitmaps = GetBitmapModule();
    const auto picture = [bitmaps](int id) { return bitmaps ? bitmaps->Bitmap(id) : QPixmap(); };
    ok_->SetBitmaps(picture(2329), uikit::kSkinKey, picture(2330), uikit::kSkinKey, {}, 0, picture(2331),
                    uikit::kSkinKey);
    cancel_->SetBitmaps(picture(2374), uikit::kSkinKey, picture(2373), uikit::kSkinKey, {}, 0, picture(2372),
                        uikit::kSkinKey);
    for (uikit::CButtonST* button : {ok_, cancel_}) {
        button->SetFlatFocus(true);
        button->SetShowFocusRect(false);
        button->SetCaption(caption, &font_, uikit::kFormatCentredLine, 0, 0, 24, 22, kCaptionColour);
    }
    connect(ok_, &QAbstractButton::clicked, this, &CMeasurSetup1Dlg::accept);
    connect(cancel_, &QAbstractButton::clicked, this, &CMeasurSetup1Dlg::reject);

    // A unit change converts what was entered, so the period stays what it was.
    connect(rateUnit_, &QComboBox::activated, this, [this](int unit) {
        PullValues();
        model_.SetRateUnit(unit);
        PushValues();
    });
    connect(lengthUnit_, &QComboBox::activated, this, [this](int unit) {
        PullValues();
        model_.SetLengthUnit(unit);
        PushValues();
    });
    for (int c = 0; c < project::kChannelCount; ++c) {
        connect(channelUnit_[size_t(c)], &QComboBox::activated, this, [this, c](int unit) {
            PullValues();
            model_.SetChannelUnit(c, unit);
            PushValues();
        });
    }
    connect(mode_, &QComboBox::activated, this, [this](int mode) {
        PullValues();
        model_.SetMode(mode);
        PushValues();
        UpdateStates();
    });
    connect(endOfRun_, &QComboBox::activated, this, [this] {
        PullValues();
        UpdateStates();
    });
    connect(perChannel_, &QCheckBox::clicked, this, [this] {
        PullValues();
        UpdateStates();
    });
}

QLineEdit& CMeasurSetup1Dlg::Edit(int id) const
{
    for (QLineEdit* edit : {title_, rate_, length_, marker_, repeat_})
        if (edit->objectName() == QString::number(id))
            return *edit;
    for (QLineEdit* edit : channelRate_)
        if (edit->objectName() == QString::number(id))
            return *edit;
    return *title_;
}

QComboBox& CMeasurSetup1Dlg::Combo(int id) const
{
    for (QComboBox* box : {rateUnit_, lengthUnit_, endOfRun_, yScale_, mode_})
        if (box->objectName() == QString::number(id))
            return *box;
    for (QComboBox* box : channelUnit_)
        if (box->objectName() == QString::number(id))
            return *box;
    return *mode_;
}

void CMeasurSetup1Dlg::PushValues()
{
    const MeasureSetupModel::Values& v = model_.values();
    title_->setText(FromU16(v.title));
    mode_->setCurrentIndex(v.mode);
    rate_->setText(FromU16(v.rate));
    rateUnit_->setCurrentIndex(v.rateUnit);
    length_->setText(FromU16(v.length));
    lengthUnit_->setCurrentIndex(v.lengthUnit);
    marker_->setText(FromU16(v.markerSpacing));
    endOfRun_->setCurrentIndex(v.endOfRun);
    repeat_->setText(FromU16(v.repeat));
    yScale_->setCurrentIndex(v.yScale);
    perChannel_->setChecked(v.perChannel);
    for (int c = 0; c < project::kChannelCount; ++c) {
        channelRate_[size_t(c)]->setText(FromU16(v.channelRate[c]));
        channelUnit_[size_t(c)]->setCurrentIndex(v.channelUnit[c]);
    }
}

// The units stay the model's: a unit combo has its new choice already when it tells of it, and
// the model converts the entry from the unit it was entered in.
void CMeasurSetup1Dlg::PullValues()
{
    MeasureSetupModel::Values& v = model_.values();
    v.title = title_->text().toStdU16String();
    v.mode = mode_->currentIndex();
    v.rate = rate_->text().toStdU16String();
    v.length = length_->text().toStdU16String();
    v.markerSpacing = marker_->text().toStdU16String();
    v.endOfRun = endOfRun_->currentIndex();
    v.repeat = repeat_->text().toStdU16String();
    v.yScale = yScale_->currentIndex();
    v.perChannel = perChannel_->isChecked();
    for (int c = 0; c < project::kChannelCount; ++c) {
        v.channelRate[c] = channelRate_[size_t(c)]->text().toStdU16String();
    }
}

void CMeasurSetup1Dlg::UpdateStates()
{
    const bool timed = model_.RateControlsEnabled();
    const bool rows = timed && model_.values().perChannel;
    for (QWidget* w : std::initializer_list<QWidget*>{rate_, length_, marker_, repeat_, rateUnit_, lengthUnit_,
                                                      endOfRun_, yScale_, mode_})
        w->setVisible(!rows);
    for (int c = 0; c < project::kChannelCount; ++c) {
        channelRate_[size_t(c)]->setVisible(rows);
        channelUnit_[size_t(c)]->setVisible(rows);
        channelRate_[size_t(c)]->setEnabled(model_.ChannelRowEnabled(c));
        channelUnit_[size_t(c)]->setEnabled(model_.ChannelRowEnabled(c));
    }
    perChannel_->setEnabled(timed);
    rate_->setEnabled(timed);
    rateUnit_->setEnabled(timed);
    lengthUnit_->setEnabled(timed);
    repeat_->setEnabled(model_.RepeatEnabled());
    update();
}

void CMeasurSetup1Dlg::accept()
{
    PullValues();
    const int refused = model_.Apply(record_);
    if (refused != text::kNone) {
        const QString reason = LoadText(refused);
        if (notice_)
            notice_(reason);
        else
            RunMessageBox(this, uikit::kBoxTypeNotice, reason);
        return;
    }
    done(kResultOk);
}

void CMeasurSetup1Dlg::reject()
{
    done(kResultCancel);
}

void CMeasurSetup1Dlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (background_.isNull())
        painter.fillRect(rect(), palette().window());
    else
        painter.drawPixmap(0, 0, background_);
    DrawTextInRect(painter, heading_, 15, 8, 176, 28, &font_, kWhite, uikit::kFormatLeftLine);
    const auto label = [&](int row, const QString& text, int left, int right) {
        DrawTextInRect(painter, text, left, kRowTop[row], right, kRowTop[row] + kRowHeight, &font_, kWhite,
                       uikit::kFormatLeftLine);
    };
    if (model_.RateControlsEnabled() && model_.values().perChannel) {
        label(0, rateHeading_, kLabelLeft, kLabelRight + 100);
        for (int c = 0; c < project::kChannelCount; ++c)
            label(c + 1, FromU16(model_.ChannelCaption(c)), kLabelLeft, 170);
        return;
    }
    for (int row = 0; row < int(rowLabels_.size()); ++row)
        label(row, rowLabels_[size_t(row)], kLabelLeft, kLabelRight);
    label(3, timesSign_, 254, 266);
    label(4, yAxisLabel_, 158, 208);
}

}  // namespace measure
