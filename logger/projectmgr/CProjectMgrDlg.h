#pragma once

#include <functional>
#include <map>
#include <memory>

#include <QFont>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "logger/projectmgr/core/ProjectManagerModel.h"
#include "logger/projectmgr/core/ProjectTexts.h"
#include "logger/projectmgr/ExportKit.h"
#include "logger/shell/ScreenServices.h"
#include "uikit/common/CVRDCommonBase.h"
#include "uikit/window/CVRDWindowBase.h"

class QLineEdit;
class QMenu;

namespace exporting {
class CsvExportJob;
}  // namespace exporting
namespace project {
struct NoteRecord;
}  // namespace project
namespace uikit {
class CButtonST;
class CTreeCtrlEx;
class CTreeEditor;
}  // namespace uikit

namespace projectmgr {

// The project manager screen (screen slot 1): the open project as a tree, renaming and deleting
// its entries, editing notes, the author and school for the report, and the project commands of
// popup menu 152 (new, open, save, CSV, report, options). It works on the working project the
// measurement screen offers in slot 3 (ExperimentSource::WorkingProject); the rules are
// ProjectManagerModel's. Every failure is told through the message box with its text ids, and
// nothing recorded is given up without a question first.
class CProjectMgrDlg : public QWidget, public uikit::CVRDCommonBase, public uikit::CVRDWindowBase {
    Q_OBJECT

public:
    enum Control : int {
        kNote = 1055,
        kDelete = 1054,
        kRename = 1057,
        kSpare = 1056,
        kMainMenu = 1051,
        kFileMenu = 1052,
        kQuickStart = 1053,
        kAuthor = 1125,
        kSchool = 1126,
        kTree = 123,
    };
    // Commands of popup menu 152.
    enum Command : int {
        kNewProject = 32791,
        kOpen = 32784,
        kSave = 32785,
        kExportCsv = 32789,
        kReport = 32790,
        kOptions = 32788,
    };
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;
    static constexpr int kTreeImageStrip = 143;

    // Of `services` it takes the message box, the file dialog, the note dialog and the options
    // dialog (menu "Options").
    CProjectMgrDlg(QWidget* rootWindow, const shell::ScreenServices& services);
    ~CProjectMgrDlg() override;

    // The root window calls this when the logger is lost, so that the working copy keeps the run.
    void SaveProject();
    // A recorded run the working copy could not take, saved nowhere else yet: quitting loses it.
    bool HoldsUnsavedRun();
    // The menu's save: the save dialog, then the project written there; true once it is saved.
    bool SaveProjectElsewhere();
    // The project written to `path` without asking (the logger is lost and the program ends);
    // when the working copy cannot be read, the sets memory holds are written alone.
    project::ProjectResult SaveProjectTo(const std::string& path);

    // A control's click, a menu command.
    void Click(int id);
    void RunCommand(int id);

    ProjectManagerModel* Model();
    uikit::CTreeCtrlEx& Tree() const;
    QMenu& PopupMenu() const { return *menu_; }
    uikit::CButtonST* Button(int id) const;
    QLineEdit& AuthorEdit() const { return *author_; }
    QLineEdit& SchoolEdit() const { return *school_; }
    // Selects the item showing `key`; false when the tree has none.
    bool SelectItem(const ItemKey& key);
    ItemKey SelectedKey() const;
    // The CSV files being written, while an export runs.
    exporting::CsvExportJob* CsvJob() const { return csvJob_.get(); }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void LoadSkin();
    void CreateControls();
    uikit::CButtonST* MakeButton(int id, int normal, int pressed, int disabled, int left, int top);
    void BuildMenu();
    void ShowMenuAt(int x, int y);

    // Rebuilding the tree after a change: the working copy is saved first.
    void RebuildProjectTree();
    void FillTree();
    void OnTreeLabelEdited(qint64 key, const QString& text);
    void OnEditNote();
    void OnDeleteItem();
    void OnNewProject();
    void OnFileOpen();
    void OnFileSave();
    void OnExportCsv();
    void OnReport();

    int Present(int type, const QString& first, const QString& second);
    bool Ask(int textId, const QString& detail = {});
    void Tell(int textId, const QString& detail = {});
    // A failed project operation: what failed and why. True when `result` is Ok.
    bool Check(Operation operation, project::ProjectResult result);
    QString ChooseFile(bool save, int titleId, const QString& extension, const QStringList& filters);
    ExportScreens Exports();
    bool NeedsData();

    shell::MessagePresenter present_;
    shell::FileChooser chooseFile_;
    shell::NoteEditor editNote_;
    shell::OptionsDialog runOptions_;
    std::unique_ptr<ProjectManagerModel> model_;
    std::unique_ptr<ExportKit> kit_;
    std::unique_ptr<exporting::CsvExportJob> csvJob_;

    QPixmap head_;
    QPixmap band_;
    QPixmap corner_;
    QPixmap body_;
    QPixmap namePlate_;
    QPixmap versionPlate_;
    QFont font_;
    std::map<int, uikit::CButtonST*> buttons_;
    QLineEdit* author_ = nullptr;
    QLineEdit* school_ = nullptr;
    uikit::CTreeEditor* treePanel_ = nullptr;
    QMenu* menu_ = nullptr;
    bool ready_ = false;
};

}  // namespace projectmgr
