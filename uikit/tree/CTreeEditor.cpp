#include "uikit/tree/CTreeEditor.h"

#include <algorithm>

#include <QResizeEvent>

#include "uikit/tree/CTreeCtrlEx.h"

namespace uikit {

CTreeEditor::CTreeEditor(QWidget* parent) : QWidget(parent), tree_(new CTreeCtrlEx(this))
{
    tree_->setObjectName(QStringLiteral("tree%1").arg(kTreeId));
    PlaceTree();
}

QLineEdit* CTreeEditor::EditSelectedLabel()
{
    return tree_->EditSelectedLabel();
}

void CTreeEditor::SetTopOffset(int offset)
{
    top_ = offset;
    PlaceTree();
}

void CTreeEditor::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceTree();
}

void CTreeEditor::PlaceTree()
{
    tree_->setGeometry(0, top_, width(), std::max(0, height() - top_));
}

}  // namespace uikit
