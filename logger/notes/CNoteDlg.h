#pragma once

#include <QDialog>
#include <QFont>
#include <QPixmap>

#include "logger/notes/core/NoteEditModel.h"
#include "logger/project/ExperimentRecords.h"
#include "uikit/common/CVRDCommonBase.h"
#include "uikit/window/CVRDWindowBase.h"

class QComboBox;
class QPlainTextEdit;

namespace uikit {
class CButtonST;
}

// The modal note editor of the measurement, analysis and project screens: a multi-line text with
// a font size and a bold flag, written straight back into the record it was given. A note record
// (of a project, data set or analysis set) gets the full-width editor over the lower part of the
// screen; a note on a chart a small one where the note stands. The size and bold choices are
// stored at once; only OK stores the text.
//
//     notes::CNoteDlg dialog(this);
//     dialog.SetTarget(&record.note, nullptr, 0, 0);
//     if (dialog.exec() == notes::CNoteDlg::kResultOk) ...
namespace notes {

class CNoteDlg : public QDialog, public uikit::CVRDCommonBase, public uikit::CVRDWindowBase {
    Q_OBJECT

public:
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;
    enum Control : int { kOk = 1, kCancel = 2, kEdit = 1074, kSizeCombo = 1075, kBold = 1087 };

    explicit CNoteDlg(QWidget* owner);
    ~CNoteDlg() override;

    // A note record, else a note on a chart standing at (x, y) of the screen; 0 when both are
    // null (the dialog then ends at once with Cancel).
    int SetTarget(project::NoteRecord* note, project::GraphNote* chartNote, int x, int y);

    int exec() override;
    void accept() override;
    void reject() override;

    QPlainTextEdit& Edit() const { return *edit_; }
    QComboBox& SizeCombo() const { return *sizes_; }
    uikit::CButtonST& BoldButton() const { return *bold_; }
    uikit::CButtonST& OkButton() const { return *ok_; }
    uikit::CButtonST& CancelButton() const { return *cancel_; }
    const QFont& EditFont() const { return editFont_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ApplyFont();
    // Keeps the editor's text within what the target can store.
    void LimitText();

    NoteEditModel model_;
    QPixmap background_;
    QFont editFont_;
    QPlainTextEdit* edit_ = nullptr;
    QComboBox* sizes_ = nullptr;
    uikit::CButtonST* bold_ = nullptr;
    uikit::CButtonST* ok_ = nullptr;
    uikit::CButtonST* cancel_ = nullptr;
    bool limiting_ = false;
};

// The note dialog over `owner` on a note record; true when it ended with OK.
bool EditNoteRecord(QWidget* owner, project::NoteRecord& note);

}  // namespace notes
