#include "addin/dialogs/AnalysisOptionDlgs.h"

#include "addin/AddInDialogs.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace addin::dialogs {

namespace {

constexpr int kFirstOrder = 3;
constexpr int kLastOrder = 11;
// The integration methods in the order of their numbers, and the two differentiations.
const std::vector<int> kIntegralTexts = {2145, 2143, 2144, 2148, 2149};
const std::vector<int> kDerivativeTexts = {2135, 2136};
constexpr int kMethodTextChars = 32;

}  // namespace

void OptionDialog::reject()
{
    done(kDialogCancel);
}

QLayout* OptionDialog::MakeButtonRow()
{
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QString::number(kOkId));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { done(kDialogOk); });
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QString::number(kCancelId));
    connect(cancel, &QPushButton::clicked, this, [this] { done(kDialogCancel); });
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

CCurveSelectdlg::CCurveSelectdlg(QWidget* parent) : OptionDialog(parent)
{
    setObjectName(QString::number(kDialogId));
    setWindowTitle(QStringLiteral("Analyze"));
    setFont(BaseFont());

    auto* group = new QButtonGroup(this);
    const auto radio = [this, group](int id, const QString& text, int32_t choice) {
        auto* button = new QRadioButton(text, this);
        button->setObjectName(QString::number(id));
        group->addButton(button, choice);
        return button;
    };
    QRadioButton* curve = radio(kCurveId, QStringLiteral("Curve"), 0);
    QRadioButton* logarithmic = radio(kLogarithmicId, QStringLiteral("Logarithmic"), 1);
    QRadioButton* exponential = radio(kExponentialId, QStringLiteral("Exponential"), 2);
    QRadioButton* power = radio(kPowerId, QStringLiteral("Power"), 3);
    curve->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, [this](int choice) { choice_ = choice; });

    auto* order = new QComboBox(this);
    order->setObjectName(QString::number(kOrderId));
    for (int n = kFirstOrder; n <= kLastOrder; ++n)
        order->addItem(QString::number(n));
    order->setCurrentIndex(0);
    connect(order, &QComboBox::currentIndexChanged, this, [this](int index) { orderIndex_ = index; });

    auto* model = new QComboBox(this);
    model->setObjectName(QString::number(kModelId));
    model->addItems({QStringLiteral("f(x)=A*exp(B*x)"), QStringLiteral("f(x)=A*exp(B*x)+C")});
    model->setCurrentIndex(0);
    connect(model, &QComboBox::currentIndexChanged, this, [this](int index) { modelIndex_ = index; });

    auto* grid = new QGridLayout;
    grid->addWidget(curve, 0, 0);
    auto* orderRow = new QHBoxLayout;
    orderRow->addWidget(new QLabel(QStringLiteral("Order :"), this));
    orderRow->addWidget(order);
    orderRow->addStretch();
    grid->addLayout(orderRow, 0, 1);
    grid->addWidget(logarithmic, 1, 0);
    grid->addWidget(exponential, 2, 0);
    grid->addWidget(model, 2, 1);
    grid->addWidget(power, 3, 0);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(MakeButtonRow());
}

ModelChoiceDlg::ModelChoiceDlg(int dialogId, const QString& caption, const QString& label,
                               const std::vector<int>& textIds, QWidget* parent)
    : OptionDialog(parent)
{
    setObjectName(QString::number(dialogId));
    setWindowTitle(caption);
    setFont(BaseFont());
    auto* models = new QComboBox(this);
    models->setObjectName(QString::number(kModelId));
    for (int id : textIds)
        models->addItem(LanguageString(id, kMethodTextChars));
    models->setCurrentIndex(0);
    connect(models, &QComboBox::currentIndexChanged, this, [this](int index) { model_ = index; });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(label, this));
    layout->addWidget(models);
    layout->addLayout(MakeButtonRow());
}

CIntegnaldlg::CIntegnaldlg(QWidget* parent)
    : ModelChoiceDlg(kDialogId, QStringLiteral("Integral"), QStringLiteral("Integral Model"), kIntegralTexts, parent)
{
}

CDerivativedlg::CDerivativedlg(QWidget* parent)
    : ModelChoiceDlg(kDialogId, QStringLiteral("Derivative"), QStringLiteral("Derivative Model"), kDerivativeTexts,
                     parent)
{
}

}  // namespace addin::dialogs
