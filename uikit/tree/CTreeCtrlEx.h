#pragma once

#include <cstdint>

#include <QLineEdit>
#include <QPointer>
#include <QTreeWidget>
#include <QVector>

class QIcon;
class QPixmap;

// The project tree's control: a tree whose labels are renamed in place, tuned for the touch
// screen. A label holds at most 64 UTF-16 units, Insert ends an edit as Enter does, Escape ends it
// with nothing changed. Every item carries a key of its owner's (which record it shows) in its
// data; a committed edit posts WM_TREE_LABEL_EDITED to the label target (the parent of the
// tree's parent, the screen) with the key as wParam and a copy of the label as the text, and
// the owner rebuilds the tree when that arrives, never inside the commit.
namespace uikit {

class CTreeCtrlEx : public QTreeWidget {
    Q_OBJECT

public:
    static constexpr int kLabelLimit = 64;
    static constexpr int kKeyRole = Qt::UserRole;
    static constexpr int kRowHeight = 32;

    explicit CTreeCtrlEx(QWidget* parent = nullptr);
    ~CTreeCtrlEx() override;

    // Where committed labels go: the parent of the tree's parent.
    QObject* LabelTarget() const;

    // Images by index, cut from a strip of square pictures with the key colour (0x00BBGGRR)
    // left out.
    void SetImageStrip(const QPixmap& strip, int imageSize, uint32_t key);
    QIcon Image(int index) const;

    // Starts editing the caret item's label; its editor, or null when no item is selected or the
    // item cannot be renamed.
    QLineEdit* EditSelectedLabel();
    // The editor of the edit under way, or null.
    QLineEdit* ActiveEditor() const { return editor_; }

    // A sibling right after the caret item (a top-level item without one), made visible.
    QTreeWidgetItem* InsertAfterSelection(const QString& text, int image, qint64 key);
    // The last child of `parent` (a top-level item for null), made visible.
    QTreeWidgetItem* AppendChild(const QString& text, int image, QTreeWidgetItem* parent, qint64 key);
    void DeleteAllItems();

    static qint64 KeyOf(const QTreeWidgetItem* item);
    // The first item carrying `key`, or null.
    QTreeWidgetItem* FindItem(qint64 key) const;

private:
    friend class TreeLabelDelegate;
    QTreeWidgetItem* MakeItem(const QString& text, int image, qint64 key);
    void EditorMade(QLineEdit* editor) { editor_ = editor; }
    // The delegate wrote a committed label into the item at `index`.
    void LabelCommitted(const QModelIndex& index, const QString& text);

    QPointer<QLineEdit> editor_;
    QVector<QIcon> images_;
};

}  // namespace uikit
