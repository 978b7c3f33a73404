#pragma once

#include <QComboBox>
#include <QRect>

// A combo box of the analysis dialogs: placed, named by its control id, in the dialog's font,
// its list as wide as its longest item.
namespace analysis {

QComboBox* MakeChoiceCombo(QWidget* parent, int id, const QRect& place);
// After the items are in: the open list shows them whole even where the box cuts them.
void FitChoiceList(QComboBox& combo);

}  // namespace analysis
