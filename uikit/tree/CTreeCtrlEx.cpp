#include "uikit/tree/CTreeCtrlEx.h"

#include <algorithm>

#include <QEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPixmap>
#include <QStyledItemDelegate>

#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"
#include "uikit/paint/SkinPaint.h"

namespace uikit {

// In-place editing of a label: the editor is limited to the label length, Insert commits as
// Enter does, and a label written into its item is handed to the tree to be posted.
class TreeLabelDelegate : public QStyledItemDelegate {
public:
    explicit TreeLabelDelegate(CTreeCtrlEx& tree) : QStyledItemDelegate(&tree), tree_(tree) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setMaxLength(CTreeCtrlEx::kLabelLimit);
            tree_.EditorMade(line);
        }
        return editor;
    }

    // Rows tall enough to be tapped on the touch screen.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(size.height(), CTreeCtrlEx::kRowHeight));
        return size;
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        QStyledItemDelegate::setModelData(editor, model, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            tree_.LabelCommitted(index, line->text());
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Insert) {
            if (auto* editor = qobject_cast<QWidget*>(object)) {
                emit commitData(editor);
                emit closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    CTreeCtrlEx& tree_;
};

CTreeCtrlEx::CTreeCtrlEx(QWidget* parent) : QTreeWidget(parent)
{
    auto* delegate = new TreeLabelDelegate(*this);
    setItemDelegate(delegate);
    // The editor is gone for the tree as soon as the edit ends, committed or not.
    connect(delegate, &QAbstractItemDelegate::closeEditor, this, [this] { editor_ = nullptr; });
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setItemsExpandable(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Renaming starts from the screen's button, or by tapping the selected item again.
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
}

CTreeCtrlEx::~CTreeCtrlEx() = default;

QObject* CTreeCtrlEx::LabelTarget() const
{
    return parentWidget() ? parentWidget()->parentWidget() : nullptr;
}

void CTreeCtrlEx::SetImageStrip(const QPixmap& strip, int imageSize, uint32_t key)
{
    images_.clear();
    if (strip.isNull() || imageSize <= 0)
        return;
    const QPixmap keyed = KeyedPixmap(strip, key);
    for (int x = 0; x + imageSize <= strip.width(); x += imageSize)
        images_.push_back(QIcon(keyed.copy(x, 0, imageSize, imageSize)));
    setIconSize(QSize(imageSize, imageSize));
}

QIcon CTreeCtrlEx::Image(int index) const
{
    return index >= 0 && index < images_.size() ? images_[index] : QIcon();
}

QLineEdit* CTreeCtrlEx::EditSelectedLabel()
{
    QTreeWidgetItem* item = currentItem();
    if (!item || !(item->flags() & Qt::ItemIsEditable))
        return nullptr;
    editor_ = nullptr;
    scrollToItem(item);
    editItem(item, 0);
    return editor_;
}

QTreeWidgetItem* CTreeCtrlEx::MakeItem(const QString& text, int image, qint64 key)
{
    auto* item = new QTreeWidgetItem(QStringList{text});
    item->setIcon(0, Image(image));
    item->setData(0, kKeyRole, QVariant::fromValue(key));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    return item;
}

QTreeWidgetItem* CTreeCtrlEx::InsertAfterSelection(const QString& text, int image, qint64 key)
{
    QTreeWidgetItem* item = MakeItem(text, image, key);
    QTreeWidgetItem* caret = currentItem();
    QTreeWidgetItem* parent = caret ? caret->parent() : nullptr;
    if (parent)
        parent->insertChild(parent->indexOfChild(caret) + 1, item);
    else if (caret)
        insertTopLevelItem(indexOfTopLevelItem(caret) + 1, item);
    else
        addTopLevelItem(item);
    scrollToItem(item);
    return item;
}

QTreeWidgetItem* CTreeCtrlEx::AppendChild(const QString& text, int image, QTreeWidgetItem* parent, qint64 key)
{
    QTreeWidgetItem* item = MakeItem(text, image, key);
    if (parent) {
        parent->addChild(item);
        parent->setExpanded(true);
    } else {
        addTopLevelItem(item);
    }
    scrollToItem(item);
    return item;
}

void CTreeCtrlEx::DeleteAllItems()
{
    clear();
}

qint64 CTreeCtrlEx::KeyOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kKeyRole).toLongLong() : 0;
}

QTreeWidgetItem* CTreeCtrlEx::FindItem(qint64 key) const
{
    for (QTreeWidgetItemIterator it(const_cast<CTreeCtrlEx*>(this)); *it; ++it) {
        if (KeyOf(*it) == key)
            return *it;
    }
    return nullptr;
}

void CTreeCtrlEx::LabelCommitted(const QModelIndex& index, const QString& text)
{
    const QTreeWidgetItem* item = itemFromIndex(index);
    PostScreenMessage(LabelTarget(), WM_TREE_LABEL_EDITED, KeyOf(item), 0, text.left(kLabelLimit));
}

}  // namespace uikit
