#include "logger/analysis/ChoiceCombo.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QFontMetrics>

namespace analysis {

namespace {

constexpr int kListMargin = 24;

}  // namespace

QComboBox* MakeChoiceCombo(QWidget* parent, int id, const QRect& place)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::number(id));
    combo->setGeometry(place);
    combo->setFont(parent->font());
    return combo;
}

void FitChoiceList(QComboBox& combo)
{
    const QFontMetrics metrics(combo.font());
    int widest = 0;
    for (int i = 0; i < combo.count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(combo.itemText(i)));
    combo.view()->setMinimumWidth(std::max(combo.width(), widest + kListMargin));
}

}  // namespace analysis
