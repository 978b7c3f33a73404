#pragma once

#include <QWidget>

class QLineEdit;

// The panel that owns the project tree and keeps it at its client size, below a top offset. The
// tree's labels are posted to the panel's parent (the screen).
namespace uikit {

class CTreeCtrlEx;

class CTreeEditor : public QWidget {
    Q_OBJECT

public:
    static constexpr int kTreeId = 100;

    explicit CTreeEditor(QWidget* parent = nullptr);

    CTreeCtrlEx& Tree() { return *tree_; }
    const CTreeCtrlEx& Tree() const { return *tree_; }
    QLineEdit* EditSelectedLabel();
    void SetTopOffset(int offset);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceTree();

    CTreeCtrlEx* tree_;
    int top_ = 0;
};

}  // namespace uikit
