#pragma once

#include <vector>

#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QString>

#include "uikit/common/CVRDCommonBase.h"
#include "uikit/window/CVRDWindowBase.h"

namespace uikit {
class CButtonST;
}

// The small modal dialogs of the analysis screen: a frameless window on a background picture
// with white labels from the language module and the skinned OK (1) and Cancel (2) buttons.
// Each dialog takes its controls' values in TakeChoices when OK is pressed; Cancel takes nothing.
namespace analysis {

class CSkinnedDlg : public QDialog, public uikit::CVRDCommonBase, public uikit::CVRDWindowBase {
    Q_OBJECT

public:
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;
    static constexpr int kOkId = 1;
    static constexpr int kCancelId = 2;

    uikit::CButtonST& OkButton() const { return *ok_; }
    uikit::CButtonST& CancelButton() const { return *cancel_; }
    const QFont& Font() const { return font_; }

    void accept() override;
    void reject() override;

protected:
    CSkinnedDlg(QWidget* owner, int width, int height, int backgroundId, int fontHeight);

    // A label drawn in white on one line, vertically centred, left-aligned in the box.
    void AddLabel(int textId, int left, int top, int right, int bottom);
    void PlaceOkCancel(const QRect& ok, const QRect& cancel);
    // Over the owner's window at its origin, or centred on it.
    void PlaceAtOwnerOrigin();
    void CentreOnOwner();
    // The control values into the dialog's results; false keeps the dialog open.
    virtual bool TakeChoices() { return true; }
    virtual void PaintContent(QPainter&) {}

    void paintEvent(QPaintEvent* event) override;

private:
    struct Label {
        QString text;
        QRect box;
    };

    QWidget* owner_;
    QPixmap background_;
    QFont font_;
    std::vector<Label> labels_;
    uikit::CButtonST* ok_ = nullptr;
    uikit::CButtonST* cancel_ = nullptr;
};

}  // namespace analysis
