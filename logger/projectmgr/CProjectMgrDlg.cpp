#include "logger/projectmgr/CProjectMgrDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTimer>

#include "devicelink/sensor/CNI2CSensor.h"
#include "logger/export/core/CsvExportJob.h"
#include "logger/export/core/CsvSnapshot.h"
#include "logger/export/core/ExportMessages.h"
#include "logger/export/core/HtmlReport.h"
#include "logger/project/ProjectFile.h"
#include "uikit/button/CButtonST.h"
#include "uikit/common/ExperimentSource.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"
#include "uikit/paint/SkinPaint.h"
#include "uikit/resources/FontMap.h"
#include "uikit/resources/ResourceModule.h"
#include "uikit/tree/CTreeCtrlEx.h"
#include "uikit/tree/CTreeEditor.h"

namespace projectmgr {

namespace {

using project::ProjectResult;

// Skin.
constexpr int kBodyBitmap = 2003;
constexpr int kHeadBitmap = 12510;
constexpr int kBandBitmap = 12511;
constexpr int kCornerBitmap = 12512;
constexpr int kVersionPlateBitmap = 12513;
constexpr int kNamePlateBitmap = 2207;
constexpr int kBandHeight = 55;
constexpr int kCornerWidth = 126;
constexpr int kFontHeight = 20;
constexpr uint32_t kTextColour = 0x641919;

// Buttons: four along the top band, the tree's own down the left edge beside it.
struct ButtonSpec {
    int id;
    int normal, pressed, disabled;
    int left, top;
};
constexpr int kButtonWidth = 60;
constexpr int kButtonHeight = 44;
constexpr ButtonSpec kButtons[] = {
    {CProjectMgrDlg::kMainMenu, 2105, 2103, 2104, 280, 4},
    {CProjectMgrDlg::kFileMenu, 2102, 2100, 2101, 344, 4},
    {CProjectMgrDlg::kQuickStart, 2125, 2126, 2127, 408, 4},
    {CProjectMgrDlg::kNote, 2090, 2108, 2109, 472, 4},
    {CProjectMgrDlg::kDelete, 2099, 2097, 2098, 4, 64},
    {CProjectMgrDlg::kRename, 2342, 2347, 2346, 4, 128},
    {CProjectMgrDlg::kSpare, 2345, 2344, 2343, 4, 192},
};
constexpr QRect kTreeRect{68, kBandHeight, 400 - 68, 600 - kBandHeight};
constexpr QRect kAuthorRect{500, 60, 280, 24};
constexpr QRect kSchoolRect{500, 90, 280, 24};
constexpr int kMenuX = 68;
constexpr int kMenuY = 48;
constexpr int kKeyMenuX = 30;
constexpr int kKeyMenuY = 24;

constexpr int kTextChars = 256;
constexpr int kProjectTitleChars = 64;
constexpr int kCancelText = 2035;

// The program's name and build, as the screen has always shown them.
const char* const kVersionLines[] = {"Plovex Logger", "V2.19", "Program ver : Sep 13 2013"};

QString FromU16(std::u16string_view text) { return QString::fromUtf16(text.data(), qsizetype(text.size())); }

uint32_t ButtonFaceColour()
{
    const QColor face = QApplication::palette().color(QPalette::Button);
    auto lighter = [](int channel) { return std::min(channel + 0x1E, 0xFF); };
    return uikit::RefFromColor(QColor(lighter(face.red()), lighter(face.green()), lighter(face.blue())));
}

QString DocumentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
}

// The program runs full screen on a touch screen: the dialog covers the program's window.
QString RunFileDialog(QWidget* owner, const shell::FileRequest& request)
{
    QFileDialog dialog(owner, request.title, request.folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // Replacing a file is asked through the program's own message box.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(request.filters);
    dialog.setDefaultSuffix(request.suffix);
    dialog.selectFile(request.fileName);
    if (QWidget* window = owner ? owner->window() : nullptr)
        dialog.setGeometry(window->geometry());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace

CProjectMgrDlg::CProjectMgrDlg(QWidget* rootWindow, const shell::ScreenServices& services)
    : QWidget(rootWindow),
      present_(services.present),
      chooseFile_(services.chooseFile),
      editNote_(services.editNote),
      runOptions_(services.runOptions)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setGeometry(0, 0, kWidth, kHeight);
    hide();
    font_ = uikit::MakeFont(QStringLiteral("Malgun Gothic"), kFontHeight, false);
    LoadSkin();
    CreateControls();
    BuildMenu();

    // Every run of the program starts with an empty working project.
    if (ProjectManagerModel* model = Model()) {
        Check(Operation::NewProject,
              model->NewProject(LoadText(kTextNewProjectTitle, kProjectTitleChars + 1).toStdU16String(),
                                project::LocalProjectTime()));
    }
    FillTree();
    SetScreen(uikit::kSlotProjects, this);
    ready_ = true;
}

CProjectMgrDlg::~CProjectMgrDlg()
{
    // CSV files still being written are finished before the screen goes.
    if (csvJob_)
        csvJob_->Wait();
}

void CProjectMgrDlg::LoadSkin()
{
    uikit::ResourceModule& bitmaps = uikit::BitmapModule();
    head_ = bitmaps.Bitmap(kHeadBitmap);
    band_ = bitmaps.Bitmap(kBandBitmap);
    corner_ = bitmaps.Bitmap(kCornerBitmap);
    body_ = bitmaps.Bitmap(kBodyBitmap);
    namePlate_ = bitmaps.Bitmap(kNamePlateBitmap);
    versionPlate_ = bitmaps.Bitmap(kVersionPlateBitmap);
}

uikit::CButtonST* CProjectMgrDlg::MakeButton(int id, int normal, int pressed, int disabled, int left, int top)
{
    uikit::ResourceModule& bitmaps = uikit::BitmapModule();
    const uint32_t face = ButtonFaceColour();
    auto* button = new uikit::CButtonST(this);
    button->setObjectName(QString::number(id));
    button->setGeometry(left, top, kButtonWidth, kButtonHeight);
    button->SetBitmaps(bitmaps.Bitmap(pressed), uikit::kSkinKey, bitmaps.Bitmap(normal), uikit::kSkinKey,
                       bitmaps.Bitmap(disabled), uikit::kSkinKey, bitmaps.Bitmap(disabled), uikit::kSkinKey);
    button->SetFlag(true);
    button->SetColor(uikit::CButtonST::kColourPressedBackground, face, false);
    button->SetColor(uikit::CButtonST::kColourBackground, face, false);
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &uikit::CButtonST::clicked, this, [this, id] { Click(id); });
    buttons_[id] = button;
    return button;
}

void CProjectMgrDlg::CreateControls()
{
    for (const ButtonSpec& spec : kButtons)
        MakeButton(spec.id, spec.normal, spec.pressed, spec.disabled, spec.left, spec.top);
    // The spare button has no command: a button that does nothing is not shown.
    buttons_[kSpare]->hide();

    for (QLineEdit** edit : {&author_, &school_}) {
        *edit = new QLineEdit(this);
        (*edit)->setFont(font_);
        // A light frame shows where to type on the white plate.
        (*edit)->setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid #C5CEDC; border-radius: 3px; "
                                              "padding: 0 4px; background: white; color: #191964; }"));
        (*edit)->setMaxLength(kTextChars - 1);
    }
    author_->setObjectName(QString::number(kAuthor));
    author_->setGeometry(kAuthorRect);
    school_->setObjectName(QString::number(kSchool));
    school_->setGeometry(kSchoolRect);

    treePanel_ = new uikit::CTreeEditor(this);
    treePanel_->setObjectName(QString::number(kTree));
    treePanel_->setGeometry(kTreeRect);
    uikit::CTreeCtrlEx& tree = treePanel_->Tree();
    tree.setFont(font_);
    tree.setFrameShape(QFrame::NoFrame);
    uikit::ResourceModule pictures(
        QDir(GetDataDirectory()).filePath(QString::fromLatin1(uikit::kProgramBitmapsName)));
    if (pictures.Load())
        tree.SetImageStrip(pictures.Bitmap(kTreeImageStrip), 16, uikit::kSkinKey);
}

void CProjectMgrDlg::BuildMenu()
{
    menu_ = new QMenu(this);
    menu_->setFont(font_);
    // Items tall enough for a finger. A style sheet that shapes the items draws them itself, so
    // the item the arrow keys or the pointer are on needs its own look, or none is seen.
    menu_->setStyleSheet(QStringLiteral("QMenu::item { padding: 8px 28px 8px 16px; }"
                                        "QMenu::item:selected { background-color: #2f5c96; color: white; }"
                                        "QMenu::item:disabled { color: gray; }"
                                        "QMenu::separator { height: 1px; background: #b0b8c8; margin: 4px 8px; }"));
    auto add = [this](QMenu* menu, int textId, int command) {
        QAction* action = menu->addAction(LoadText(textId, kTextChars));
        action->setData(command);
        connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
    };
    add(menu_, kTextMenuNew, kNewProject);
    add(menu_, kTextMenuOpen, kOpen);
    add(menu_, kTextMenuSave, kSave);
    QMenu* other = menu_->addMenu(LoadText(kTextMenuSaveOther, kTextChars));
    other->setFont(font_);
    other->setStyleSheet(menu_->styleSheet());
    add(other, kTextMenuCsv, kExportCsv);
    add(other, kTextMenuHtml, kReport);
    menu_->addSeparator();
    add(menu_, kTextMenuOptions, kOptions);
}

void CProjectMgrDlg::ShowMenuAt(int x, int y)
{
    menu_->popup(mapToGlobal(QPoint(x, y)));
}

ProjectManagerModel* CProjectMgrDlg::Model()
{
    uikit::ExperimentSource* source = GetExperimentSource();
    project::ProjectFile* project = source ? source->WorkingProject() : nullptr;
    project::ExperimentBlock* block = source ? source->ExperimentData() : nullptr;
    if (!project || !block) {
        model_.reset();
        return nullptr;
    }
    if (!model_ || &model_->Project() != project || &model_->Block() != block)
        model_ = std::make_unique<ProjectManagerModel>(*project, *block);
    return model_.get();
}

uikit::CTreeCtrlEx& CProjectMgrDlg::Tree() const
{
    return treePanel_->Tree();
}

uikit::CButtonST* CProjectMgrDlg::Button(int id) const
{
    const auto it = buttons_.find(id);
    return it != buttons_.end() ? it->second : nullptr;
}

void CProjectMgrDlg::SaveProject()
{
    // A run the working copy cannot take was told when it ended, and is kept in memory.
    if (ProjectManagerModel* model = Model()) {
        if (const ProjectResult saved = model->SaveWorking(); !model->Project().HoldsRun())
            Check(Operation::Save, saved);
    }
}

// ---- The tree.

void CProjectMgrDlg::RebuildProjectTree()
{
    if (ProjectManagerModel* model = Model()) {
        // While a run is held in memory the working copy cannot take changes either; they stay
        // in memory with it, and the user was told when the run ended.
        const ProjectResult result = model->SaveWorking();
        if (!model->Project().HoldsRun())
            Check(Operation::Change, result);
    }
    FillTree();
}

void CProjectMgrDlg::FillTree()
{
    const ItemKey selected = SelectedKey();
    uikit::CTreeCtrlEx& tree = Tree();
    tree.DeleteAllItems();
    ProjectManagerModel* model = Model();
    if (!model)
        return;
    const std::vector<TreeItem> items = model->Tree(LoadText(kTextGraph, 32).toStdU16String());
    std::vector<QTreeWidgetItem*> made;
    made.reserve(items.size());
    for (const TreeItem& item : items) {
        QTreeWidgetItem* parent = item.parent >= 0 ? made[size_t(item.parent)] : nullptr;
        QTreeWidgetItem* shown = tree.AppendChild(FromU16(item.text), item.image, parent, item.key.Pack());
        if (!item.renamable)
            shown->setFlags(shown->flags() & ~Qt::ItemIsEditable);
        made.push_back(shown);
    }
    tree.expandAll();
    if (!SelectItem(selected) && !made.empty())
        tree.setCurrentItem(made.front());
}

bool CProjectMgrDlg::SelectItem(const ItemKey& key)
{
    if (key.kind == ItemKind::None)
        return false;
    QTreeWidgetItem* item = Tree().FindItem(key.Pack());
    if (!item)
        return false;
    Tree().setCurrentItem(item);
    return true;
}

ItemKey CProjectMgrDlg::SelectedKey() const
{
    return ItemKey::Unpack(uikit::CTreeCtrlEx::KeyOf(Tree().currentItem()));
}

void CProjectMgrDlg::OnTreeLabelEdited(qint64 key, const QString& text)
{
    ProjectManagerModel* model = Model();
    if (!model)
        return;
    model->ApplyLabel(ItemKey::Unpack(key), text.toStdU16String());
    RebuildProjectTree();
}

void CProjectMgrDlg::OnEditNote()
{
    ProjectManagerModel* model = Model();
    project::NoteRecord* note = model ? model->NoteOf(SelectedKey()) : nullptr;
    if (!note || !editNote_)
        return;
    if (editNote_(this, *note))
        RebuildProjectTree();
}

void CProjectMgrDlg::OnDeleteItem()
{
    ProjectManagerModel* model = Model();
    if (!model)
        return;
    const ItemKey key = SelectedKey();
    const QString subject = FromU16(model->DeleteSubject(key));
    switch (model->DeleteKindOf(key)) {
    case DeleteKind::DataSet:
        if (!Ask(kTextAskDeleteDataSet, subject))
            return;
        break;
    case DeleteKind::Note:
        if (!Ask(kTextAskDeleteNote, subject))
            return;
        break;
    case DeleteKind::Nothing:
        break;
    }
    Check(Operation::Delete, model->Delete(key));
    FillTree();
}

// ---- Commands.

void CProjectMgrDlg::Click(int id)
{
    switch (id) {
    case kMainMenu:
        ShowMainMenu();
        break;
    case kFileMenu:
        ShowMenuAt(kMenuX, kMenuY);
        break;
    case kQuickStart: {
        const QString page = QDir(GetDataDirectory()).filePath(QStringLiteral("Sensors/Quick Start Guide.html"));
        uikit::PostScreenMessage(GetScreen(uikit::kSlotRoot), uikit::WM_SHOW_HTML, 0, 0, page);
        break;
    }
    case kDelete:
        OnDeleteItem();
        break;
    case kNote:
        OnEditNote();
        break;
    case kRename:
        treePanel_->EditSelectedLabel();
        break;
    default:
        break;
    }
}

void CProjectMgrDlg::RunCommand(int id)
{
    switch (id) {
    case kNewProject:
        OnNewProject();
        break;
    case kOpen:
        OnFileOpen();
        break;
    case kSave:
        OnFileSave();
        break;
    case kExportCsv:
        OnExportCsv();
        break;
    case kReport:
        OnReport();
        break;
    case kOptions:
        if (runOptions_)
            runOptions_(this);
        break;
    default:
        break;
    }
}

bool CProjectMgrDlg::NeedsData()
{
    ProjectManagerModel* model = Model();
    if (model && model->HasData())
        return true;
    Tell(kTextNothingRecorded);
    return false;
}

QString CProjectMgrDlg::ChooseFile(bool save, int titleId, const QString& extension, const QStringList& filters)
{
    shell::FileRequest request;
    request.save = save;
    request.title = LoadText(titleId, kTextChars);
    request.folder = DocumentsFolder();
    request.fileName = QString::fromStdString(
        model_->DefaultFileName(extension.toStdString(),
                                LoadText(kTextNewProjectTitle, kProjectTitleChars + 1).toStdU16String()));
    request.filters = filters;
    request.suffix = extension;
    return chooseFile_ ? chooseFile_(this, request) : RunFileDialog(this, request);
}

void CProjectMgrDlg::OnNewProject()
{
    ProjectManagerModel* model = Model();
    if (!model)
        return;
    if (model->WouldDiscard() && !Ask(kTextAskNewProject))
        return;
    Check(Operation::NewProject,
          model->NewProject(LoadText(kTextNewProjectTitle, kProjectTitleChars + 1).toStdU16String(),
                            project::LocalProjectTime()));
    FillTree();
}

void CProjectMgrDlg::OnFileOpen()
{
    ProjectManagerModel* model = Model();
    if (!model)
        return;
    const QString path = ChooseFile(false, kTextOpenTitle, QStringLiteral("vrd"),
                                    {QStringLiteral("VRD FILE (*.vrd)"), QStringLiteral("ALL FILE (*)")});
    if (path.isEmpty())
        return;
    if (model->WouldDiscard() && !Ask(kTextAskOpen, QFileInfo(path).fileName()))
        return;
    Check(Operation::Open, model->Open(path.toStdString()));
    FillTree();
}

void CProjectMgrDlg::OnFileSave()
{
    SaveProjectElsewhere();
}

bool CProjectMgrDlg::HoldsUnsavedRun()
{
    ProjectManagerModel* model = Model();
    return model && model->Project().HoldsUnsavedRun();
}

bool CProjectMgrDlg::SaveProjectElsewhere()
{
    if (!NeedsData())
        return false;
    // A run the working copy cannot take is saved from memory: that is what saving it elsewhere
    // is for, and the user was told when the run ended.
    if (const ProjectResult working = model_->SaveWorking();
        working != ProjectResult::Ok && !model_->Project().HoldsRun()) {
        Check(Operation::Save, working);
        return false;
    }
    const QString path = ChooseFile(true, kTextSaveAsTitle, QStringLiteral("vrd"),
                                    {QStringLiteral("VRD FILE (*.vrd)"), QStringLiteral("ALL FILE (*)")});
    if (path.isEmpty())
        return false;
    if (QFileInfo::exists(path) && !Ask(kTextAskReplaceFile, path))
        return false;
    const bool saved = Check(Operation::Save, model_->SaveAs(path.toStdString()));
    FillTree();
    return saved;
}

ProjectResult CProjectMgrDlg::SaveProjectTo(const std::string& path)
{
    ProjectManagerModel* model = Model();
    if (!model)
        return ProjectResult::NothingToSave;
    // Nobody can be asked on this path: when the working copy is out of reach (its folder moved
    // away), what memory holds is still written rather than lost with the rest.
    const ProjectResult whole = model->SaveAs(path);
    if (whole == ProjectResult::Ok)
        return whole;
    return model->SaveAs(path, project::ProjectFile::SetsOutOfReach::Left);
}

ExportScreens CProjectMgrDlg::Exports()
{
    // The kit also gives the exports the catalogue's units and the language texts.
    if (!kit_)
        kit_ = std::make_unique<ExportKit>(this, GetSensor());
    return kit_->Screens();
}

void CProjectMgrDlg::OnExportCsv()
{
    if (!NeedsData() || (csvJob_ && !csvJob_->Done()))
        return;
    const QString path = ChooseFile(
        true, kTextCsvTitle, QStringLiteral("csv"),
        {QStringLiteral("CSV %1(*.csv)").arg(LoadText(kTextCsvFile, 17)),
         QStringLiteral("%1(*)").arg(LoadText(kTextAllFiles, 17))});
    if (path.isEmpty())
        return;

    const ExportScreens screens = Exports();
    project::ProjectFile& project = model_->Project();
    const exporting::CsvSources sources{model_->Block(), project,       project.Record(),
                                     *screens.series, kit_->Units(), kit_->Texts()};
    QApplication::setOverrideCursor(Qt::WaitCursor);
    exporting::CsvSnapshot snapshot = exporting::TakeCsvSnapshot(sources, path.toStdString(), GetByteSetting() != 0);
    QApplication::restoreOverrideCursor();
    const ProjectResult restore = snapshot.restore;
    if (snapshot.result == exporting::CsvResult::SaveFailed) {
        Tell(exporting::CsvResultTextId(snapshot.result));
        return;
    }

    csvJob_ = std::make_unique<exporting::CsvExportJob>();
    if (!csvJob_->Start(std::move(snapshot))) {
        Tell(exporting::CsvResultTextId(exporting::CsvResult::WriteFailed), path);
        return;
    }
    {
        // The files are written on the job's worker; the box follows it and ends with it.
        QProgressDialog progress(LoadText(exporting::kCsvProgressTitleId, kTextChars), LoadText(kCancelText, 32), 0, 1000,
                                 this);
        progress.setWindowModality(Qt::ApplicationModal);
        progress.setMinimumDuration(0);
        progress.setAutoClose(false);
        progress.setAutoReset(false);
        QTimer poll;
        connect(&poll, &QTimer::timeout, &progress, [&] {
            const exporting::CsvProgress now = csvJob_->Progress();
            const double file = now.files > 0 ? double(now.file) / now.files : 0.0;
            const double rows = now.rows > 0 && now.files > 0 ? double(now.rowsDone) / now.rows / now.files : 0.0;
            progress.setValue(std::clamp(int(1000 * (file + rows)), 0, 999));
            if (csvJob_->Done())
                progress.accept();
        });
        connect(&progress, &QProgressDialog::canceled, &progress, [&] { csvJob_->Cancel(); });
        poll.start(50);
        if (!csvJob_->Done())
            progress.exec();
    }
    csvJob_->Wait();
    for (const exporting::CsvFileResult& file : csvJob_->Results()) {
        if (const int text = exporting::CsvResultTextId(file.result)) {
            Tell(text, QString::fromStdString(file.path));
            break;
        }
    }
    if (restore != ProjectResult::Ok)
        Tell(exporting::kCurrentSetLostTextId);
    FillTree();
}

void CProjectMgrDlg::OnReport()
{
    if (!NeedsData())
        return;
    const QString path = ChooseFile(true, kTextReportTitle, QStringLiteral("html"),
                                    {QStringLiteral("html FILE (*.html)"), QStringLiteral("ALL FILE (*)")});
    if (path.isEmpty())
        return;

    const ExportScreens screens = Exports();
    project::ProjectFile& project = model_->Project();
    const exporting::ReportSources sources{model_->Block(), project,         project.Record(), *screens.series,
                                        kit_->Units(),   kit_->Texts(),   *screens.analysis, *screens.pictures};
    exporting::ReportRequest request;
    request.templatePath = QDir(GetDataDirectory()).filePath(QStringLiteral("report.html")).toStdString();
    request.chosenPath = path.toStdString();
    request.author = author_->text().toStdU16String();
    request.school = school_->text().toStdU16String();

    // The report draws the program's charts, so it is made here on the UI thread; the box says
    // so meanwhile and cannot be dismissed.
    QProgressDialog progress(LoadText(exporting::kReportProgressTitleId, kTextChars), QString(), 0, 0, this);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    progress.show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const exporting::ReportResult result = exporting::WriteHtmlReport(sources, request);
    QApplication::restoreOverrideCursor();
    progress.close();

    if (const int text = exporting::ReportResultTextId(result.code)) {
        const std::string& detail = !result.failedPath.empty() ? result.failedPath : result.reportPath;
        Tell(text, result.failedDataSet >= 0 ? QString::number(result.failedDataSet + 1) : QString::fromStdString(detail));
    }
    if (result.restore != ProjectResult::Ok)
        Tell(exporting::kCurrentSetLostTextId);
    FillTree();
}

// ---- Messages.

int CProjectMgrDlg::Present(int type, const QString& first, const QString& second)
{
    if (present_)
        return present_(this, type, first, second);
    return ShowMessageBox(this, type, first, second);
}

bool CProjectMgrDlg::Ask(int textId, const QString& detail)
{
    return Present(uikit::kBoxTypeQuestion, LoadText(textId, kTextChars), detail) == 1;
}

void CProjectMgrDlg::Tell(int textId, const QString& detail)
{
    Present(uikit::kBoxTypeNotice, LoadText(textId, kTextChars), detail);
}

bool CProjectMgrDlg::Check(Operation operation, ProjectResult result)
{
    if (result == ProjectResult::Ok)
        return true;
    Present(uikit::kBoxTypeNotice, LoadText(OperationTextId(operation), kTextChars), LoadText(ReasonTextId(result), kTextChars));
    return false;
}

// ---- Events and painting.

bool CProjectMgrDlg::event(QEvent* event)
{
    if (const uikit::ScreenEvent* message = uikit::AsScreenEvent(event)) {
        switch (message->code()) {
        case uikit::WM_SCREEN_SHOW:
            RebuildProjectTree();
            update();
            return true;
        case uikit::WM_SCREEN_HIDE:
        case uikit::WM_PROJECT_COMMAND:
            return true;
        case uikit::WM_PERIODIC_REDRAW:
            update(QRect(0, 0, width(), kBandHeight));
            return true;
        case uikit::WM_TREE_LABEL_EDITED:
            OnTreeLabelEdited(message->wParam(), message->text());
            return true;
        default:
            break;
        }
    }
    return QWidget::event(event);
}

void CProjectMgrDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Down)
        ShowMenuAt(kKeyMenuX, kKeyMenuY);
    QWidget::keyPressEvent(event);
}

void CProjectMgrDlg::closeEvent(QCloseEvent* event)
{
    PostToScreen(uikit::kSlotRoot, uikit::WM_APP_QUIT);
    event->ignore();
}

void CProjectMgrDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    GetClientSize(this);
    const int cornerLeft = width() > kWidth ? width() - kCornerWidth : kWidth - kCornerWidth;
    if (!band_.isNull()) {
        for (int x = head_.width(); x < cornerLeft; x += band_.width())
            DrawBitmap(painter, band_, x, 0, std::min(x + band_.width(), cornerLeft), kBandHeight);
    }
    DrawBitmapNatural(painter, head_, 0, 0, head_.width(), head_.height());
    DrawBitmapNatural(painter, corner_, cornerLeft, 0, cornerLeft + corner_.width(), corner_.height());
    DrawBitmapNatural(painter, body_, 0, kBandHeight, body_.width(), kBandHeight + body_.height());
    DrawBitmapNatural(painter, namePlate_, 410, 54, 410 + namePlate_.width(), 54 + namePlate_.height());
    DrawBitmapNatural(painter, versionPlate_, 420, 466, 420 + versionPlate_.width(), 466 + versionPlate_.height());

    DrawTextInRect(painter, LoadText(kTextAuthor, 32), 420, 58, 550, 82, &font_, kTextColour, uikit::kFormatLeftLine);
    DrawTextInRect(painter, LoadText(kTextSchool, 32), 420, 88, 550, 112, &font_, kTextColour, uikit::kFormatLeftLine);
    // The version the sensor object read when the catalogue was loaded: painting never asks the
    // logger.
    const devicelink::CNI2CSensor* sensor = GetSensor();
    QStringList lines;
    for (const char* line : kVersionLines)
        lines << QString::fromLatin1(line);
    lines << QStringLiteral("Driver ver : %1").arg(sensor ? sensor->firmwareVersion() : 0);
    for (int i = 0; i < lines.size(); ++i)
        DrawTextInRect(painter, lines[i], 425, 470 + 26 * i, 770, 496 + 26 * i, &font_, kTextColour,
                       uikit::kFormatLeftLine);
    DrawClock(painter);
}

}  // namespace projectmgr
