#pragma once

#include "addin/dialogs/CVRDWindowBase.h"

#include <QDialog>

#include <string>
#include <vector>

class QListWidget;

// The analysis result window (dialog 5006): the lines of the last analysis in a list, and a
// button that puts them on the clipboard. Modeless; it keeps its own copy of the lines.
namespace addin::dialogs {

class CAnalyzeDetail : public QDialog, public CVRDWindowBase {
    Q_OBJECT

public:
    static constexpr int kDialogId = 5006;
    static constexpr int kListId = 5015;
    static constexpr int kToCellsId = 5016;
    static constexpr int kCopyId = 5017;

    CAnalyzeDetail(QWidget* parent, std::vector<std::u16string> lines);

    // Every line followed by "\n", as Unicode text.
    void CopyToClipboard();

private:
    std::vector<std::u16string> lines_;
    QListWidget* list_ = nullptr;
};

}  // namespace addin::dialogs
