#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QStandardPaths>
#include <QTest>

#include "logger/projectmgr/core/ProjectTexts.h"
#include "ProjectScreenTestSupport.h"
#include "uikit/button/CButtonST.h"
#include "uikit/tree/CTreeCtrlEx.h"

using namespace projectscreentest;
using namespace projectmgr;
using project::ProjectResult;

namespace {

QStringList Texts(QTreeWidget& tree)
{
    QStringList texts;
    for (QTreeWidgetItemIterator it(&tree); *it; ++it)
        texts << (*it)->text(0);
    return texts;
}

TEST_F(ProjectScreenTest, StartsWithANewProjectAndRegistersItsSlot)
{
    EXPECT_EQ(uikit::CVRDCommonBase::GetScreen(uikit::kSlotProjects), screen.get());
    EXPECT_TRUE(screen->isHidden());
    EXPECT_EQ(screen->geometry(), QRect(0, 0, 800, 600));
    EXPECT_EQ(Working().size(), size_t(project::kDataAreaOffset));
    EXPECT_EQ(Texts(screen->Tree()), QStringList{Text(kTextNewProjectTitle)});
    EXPECT_EQ(measurement->loads, 1);
}

TEST_F(ProjectScreenTest, TheTreeShowsTheRecordWithItsImagesAndTheProjectNoteLast)
{
    RecordLessonAndShow();
    const QString graph = Text(kTextGraph);
    EXPECT_EQ(Texts(screen->Tree()),
              (QStringList{Text(kTextNewProjectTitle), "Cooling water", "Observations", graph + "-1", "Linear fit",
                           "Fit note", "Mean", graph + "-2", "Integral", "Pendulum", graph + "-1", "Period",
                           "Lesson plan"}));
    QTreeWidgetItem* project = screen->Tree().topLevelItem(0);
    ASSERT_NE(project, nullptr);
    EXPECT_EQ(project->child(project->childCount() - 1)->text(0), "Lesson plan");
    EXPECT_FALSE(project->icon(0).isNull());
    EXPECT_FALSE(Item({ItemKind::Graph, 0, 1})->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(Item({ItemKind::Analysis, 0, 0, 0})->flags() & Qt::ItemIsEditable);
}

TEST_F(ProjectScreenTest, ASeventyCharacterProjectNameKeepsSixtyFourAndSurvivesSaveAndLoad)
{
    RecordLessonAndShow();
    ASSERT_TRUE(screen->SelectItem({ItemKind::Project}));
    screen->Click(Dlg::kRename);
    QLineEdit* editor = screen->Tree().ActiveEditor();
    ASSERT_NE(editor, nullptr);
    editor->clear();
    const QString typed = QString(70, QChar(u'n'));
    QTest::keyClicks(editor, typed);
    QTest::keyClick(editor, Qt::Key_Return);
    Settle();
    EXPECT_EQ(platform::FieldView(Project().Record().title), typed.left(64).toStdU16String());
    EXPECT_EQ(Item({ItemKind::Project})->text(0), typed.left(64));

    // A data set's name the same way: its 32 units, in the measurement screen's block.
    ASSERT_TRUE(screen->SelectItem({ItemKind::DataSet, 2}));
    screen->Click(Dlg::kRename);
    editor = screen->Tree().ActiveEditor();
    ASSERT_NE(editor, nullptr);
    editor->setText(QString(70, QChar(u'p')));
    QTest::keyClick(editor, Qt::Key_Insert);
    Settle();
    EXPECT_EQ(project::RunTitle(Block().records[2]), QString(32, QChar(u'p')).toStdU16String());

    // The measurement screen leaves the set (a save) and a later session reads both back.
    ASSERT_EQ(Project().SaveProject(), ProjectResult::Ok);
    Block().currentIndex = 0;
    ASSERT_EQ(Project().LoadProject(), ProjectResult::Ok);
    StandInMeasurement later(elsewhere.Path().string());
    projecttest::WriteBytes(later.project.WorkingPath(), Working());
    ASSERT_EQ(later.project.LoadProject(), ProjectResult::Ok);
    EXPECT_EQ(platform::FieldView(later.project.Record().title), typed.left(64).toStdU16String());
    EXPECT_EQ(project::RunTitle(later.block->records[2]), QString(32, QChar(u'p')).toStdU16String());
    uikit::CVRDCommonBase::SetScreen(uikit::kSlotMeasurement, measurement.get());
}

TEST_F(ProjectScreenTest, ShowingTheScreenAHundredTimesLeavesTheWorkingCopyAlone)
{
    RecordLessonAndShow();
    const auto before = Working();
    for (int i = 0; i < 100; ++i)
        uikit::PostScreenMessage(screen.get(), uikit::WM_SCREEN_SHOW);
    Settle();
    EXPECT_EQ(Working(), before);
    EXPECT_TRUE(shown.empty());
}

TEST_F(ProjectScreenTest, DeletingAGraphLeavesTheWorkingCopyByteForByte)
{
    RecordLessonAndShow();
    const auto before = Working();
    ASSERT_TRUE(screen->SelectItem({ItemKind::Graph, 0, 1}));
    screen->Click(Dlg::kDelete);
    Settle();
    EXPECT_EQ(Working(), before);
    EXPECT_TRUE(shown.empty());
    EXPECT_NE(Item({ItemKind::Graph, 0, 1}), nullptr);
}

TEST_F(ProjectScreenTest, OneTapOnDeleteDoesNotRemoveARecording)
{
    RecordLessonAndShow();
    ASSERT_TRUE(screen->SelectItem({ItemKind::DataSet, 0}));
    answer = 2;   // the question times out, or Cancel
    screen->Click(Dlg::kDelete);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].type, 7);
    EXPECT_EQ(shown[0].first, Text(kTextAskDeleteDataSet));
    EXPECT_EQ(shown[0].second, "Cooling water");
    EXPECT_EQ(Block().records[0].inUse, 1);
    ASSERT_NE(Item({ItemKind::DataSet, 0}), nullptr);

    answer = 1;
    screen->Click(Dlg::kDelete);
    EXPECT_EQ(Block().records[0].inUse, 0);
    EXPECT_EQ(Item({ItemKind::DataSet, 0}), nullptr);
    EXPECT_NE(Item({ItemKind::DataSet, 2}), nullptr);
}

TEST_F(ProjectScreenTest, ANoteIsClearedOnlyWhenTheUserSaysSoAndStartsAfresh)
{
    RecordLessonAndShow();
    ASSERT_TRUE(screen->SelectItem({ItemKind::ProjectNote}));
    answer = 2;
    screen->Click(Dlg::kDelete);
    EXPECT_EQ(project::NoteText(Project().Record().note), u"Year 9, room 4.");
    answer = 1;
    screen->Click(Dlg::kDelete);
    const project::NoteRecord& note = Project().Record().note;
    EXPECT_EQ(project::NoteTitle(note), u"Note");
    EXPECT_EQ(note.fontSize, 16);
    EXPECT_EQ(note.textLength, 0);
    EXPECT_EQ(Item({ItemKind::ProjectNote}), nullptr);
}

TEST_F(ProjectScreenTest, NotesAreEditedThroughTheNoteDialog)
{
    RecordLessonAndShow();
    editNote = [](QWidget*, project::NoteRecord& note) {
        platform::CopyToField(note.text, u"Measured twice.");
        note.textLength = 15;
        return true;
    };
    ASSERT_TRUE(screen->SelectItem({ItemKind::DataSet, 2}));
    screen->Click(Dlg::kNote);
    EXPECT_EQ(project::NoteText(Block().records[2].note), u"Measured twice.");
    EXPECT_NE(Item({ItemKind::DataSetNote, 2}), nullptr);
    // Graphs have no note.
    ASSERT_TRUE(screen->SelectItem({ItemKind::Graph, 2, 0}));
    const auto before = Working();
    screen->Click(Dlg::kNote);
    EXPECT_EQ(Working(), before);
}

TEST_F(ProjectScreenTest, CommandsThatNeedDataWriteNothingWhileNoSetIsInUse)
{
    const auto before = Working();
    chosen = QString::fromStdString(elsewhere.File("out"));
    for (int command : {Dlg::kSave, Dlg::kExportCsv, Dlg::kReport}) {
        shown.clear();
        screen->RunCommand(command);
        ASSERT_EQ(shown.size(), 1u) << command;
        EXPECT_EQ(shown[0].first, Text(kTextNothingRecorded));
    }
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(Working(), before);
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere.Path()));
}

TEST_F(ProjectScreenTest, NewProjectAndOpenAskBeforeGivingUpWhatIsRecorded)
{
    RecordLessonAndShow();
    const auto before = Working();
    answer = 2;
    screen->RunCommand(Dlg::kNewProject);
    EXPECT_TRUE(WasTold(kTextAskNewProject));
    EXPECT_EQ(Working(), before);
    EXPECT_TRUE(project::AnyRunInUse(Block()));

    const std::string other = elsewhere.File("other.vrd");
    ASSERT_EQ(Project().SaveProjectAs(other), ProjectResult::Ok);
    chosen = QString::fromStdString(other);
    shown.clear();
    screen->RunCommand(Dlg::kOpen);
    EXPECT_TRUE(WasTold(kTextAskOpen));
    EXPECT_EQ(Working(), before);

    answer = 1;
    screen->RunCommand(Dlg::kNewProject);
    EXPECT_FALSE(project::AnyRunInUse(Block()));
    EXPECT_EQ(Working().size(), size_t(project::kDataAreaOffset));
    EXPECT_EQ(screen->Tree().topLevelItemCount(), 1);
    // Nothing recorded now: opening asks nothing.
    shown.clear();
    screen->RunCommand(Dlg::kOpen);
    EXPECT_TRUE(shown.empty());
    EXPECT_NE(Item({ItemKind::DataSet, 2}), nullptr);
}

TEST_F(ProjectScreenTest, SavingAsOverAFileAsksAndTheFileDialogOffersTheTitleInTheDocumentsFolder)
{
    RecordLessonAndShow();
    ASSERT_TRUE(screen->SelectItem({ItemKind::Project}));
    uikit::PostScreenMessage(screen.get(), uikit::WM_TREE_LABEL_EDITED, ItemKey{ItemKind::Project}.Pack(), 0,
                             QStringLiteral("Lab 3/4"));
    Settle();
    const std::string target = elsewhere.File("lab.vrd");
    projecttest::WriteBytes(target, {1, 2, 3});
    chosen = QString::fromStdString(target);
    answer = 2;
    screen->RunCommand(Dlg::kSave);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].save);
    EXPECT_EQ(requests[0].fileName, "Lab 3_4.vrd");
    EXPECT_EQ(requests[0].suffix, "vrd");
    EXPECT_TRUE(requests[0].folder == QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) ||
                requests[0].folder == QDir::homePath());
    EXPECT_TRUE(WasTold(kTextAskReplaceFile));
    EXPECT_EQ(projecttest::ReadBytes(target), (std::vector<uint8_t>{1, 2, 3}));

    answer = 1;
    screen->RunCommand(Dlg::kSave);
    EXPECT_EQ(projecttest::ReadBytes(target).size(), Working().size());
    EXPECT_EQ(project::ProjectFile::CheckProjectFile(target), ProjectResult::Ok);
}

TEST_F(ProjectScreenTest, FailedProjectOperationsAreToldWithWhatAndWhy)
{
    RecordLessonAndShow();
    const std::string bad = elsewhere.File("bad.vrd");
    projecttest::WriteBytes(bad, std::vector<uint8_t>(600000, 7));
    chosen = QString::fromStdString(bad);
    const auto before = Working();
    answer = 1;
    shown.clear();
    screen->RunCommand(Dlg::kOpen);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().type, 6);
    EXPECT_EQ(shown.back().first, Text(OperationTextId(Operation::Open)));
    EXPECT_EQ(shown.back().second, Text(ReasonTextId(ProjectResult::NotAProject)));
    EXPECT_EQ(Working(), before);

    chosen = QString::fromStdString(elsewhere.File("no-such-folder/x.vrd"));
    shown.clear();
    screen->RunCommand(Dlg::kSave);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, Text(OperationTextId(Operation::Save)));
    EXPECT_EQ(shown[0].second, Text(ReasonTextId(ProjectResult::IoError)));
}

TEST_F(ProjectScreenTest, PaintingNeverAsksTheLogger)
{
    devicelink::CNI2CSensor& sensor = *uikit::CVRDCommonBase::GetSensor();
    ASSERT_EQ(sensor.LoadSensorXml(std::string(CORVIK_DATA_DIR) + "/sensor_korean.xml"), 1);
    ASSERT_EQ(sensor.LoadCatalogue(), 1);
    const int asked = api.versionRequests;
    screen->show();
    for (int i = 0; i < 5; ++i)
        screen->grab();
    EXPECT_EQ(api.versionRequests, asked);
    EXPECT_EQ(sensor.firmwareVersion(), api.firmware);
}

TEST_F(ProjectScreenTest, ButtonsAndMenu)
{
    screen->Click(Dlg::kQuickStart);
    Settle();
    ASSERT_EQ(root->posted.size(), 1u);
    EXPECT_EQ(root->posted[0].code, uikit::WM_SHOW_HTML);
    EXPECT_TRUE(root->posted[0].text.endsWith("/Sensors/Quick Start Guide.html"));

    QStringList items;
    for (QAction* action : screen->PopupMenu().actions())
        items << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(items, (QStringList{"New project", "Open", "Save", "Export as", "-", "Options"}));
    QMenu* other = screen->PopupMenu().actions()[3]->menu();
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->actions()[0]->text(), "CSV file (*.csv)");
    EXPECT_EQ(other->actions()[1]->text(), "Web page (*.html)");

    int options = 0;
    runOptions = [&](QWidget*) { ++options; };
    screen->PopupMenu().actions()[5]->trigger();
    EXPECT_EQ(options, 1);
    EXPECT_TRUE(screen->Button(Dlg::kSpare)->isHidden());
}

// Moving through the menu with the arrow keys shows where one is: the current item is the one
// drawn highlighted, and it follows each key.
TEST_F(ProjectScreenTest, TheMenusHighlightFollowsTheArrowKeys)
{
    screen->show();
    QMenu& menu = screen->PopupMenu();
    menu.popup(screen->mapToGlobal(QPoint(30, 24)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    const QColor highlight(0x2f, 0x5c, 0x96);
    const auto highlightedRows = [&] {
        const QImage picture = menu.grab().toImage();
        std::vector<int> rows;
        for (QAction* action : menu.actions()) {
            const QRect r = menu.actionGeometry(action);
            rows.push_back(picture.pixelColor(r.left() + 4, r.center().y()) == highlight ? 1 : 0);
        }
        return rows;
    };
    EXPECT_EQ(highlightedRows(), (std::vector<int>{0, 0, 0, 0, 0, 0}));
    QTest::keyClick(&menu, Qt::Key_Down);
    EXPECT_EQ(menu.activeAction(), menu.actions()[0]);
    EXPECT_EQ(highlightedRows(), (std::vector<int>{1, 0, 0, 0, 0, 0}));
    QTest::keyClick(&menu, Qt::Key_Down);
    EXPECT_EQ(menu.activeAction(), menu.actions()[1]);
    EXPECT_EQ(highlightedRows(), (std::vector<int>{0, 1, 0, 0, 0, 0}));
    QTest::keyClick(&menu, Qt::Key_Down);
    QTest::keyClick(&menu, Qt::Key_Down);
    EXPECT_EQ(menu.activeAction(), menu.actions()[3]);
    EXPECT_EQ(highlightedRows(), (std::vector<int>{0, 0, 0, 1, 0, 0}));
    ASSERT_TRUE(QDir().mkpath(QStringLiteral(CORVIK_PICTURE_DIR)));
    EXPECT_TRUE(menu.grab().save(QStringLiteral(CORVIK_PICTURE_DIR "/project_manager_menu_keys.png")));
    QTest::keyClick(&menu, Qt::Key_Down);  // over the separator
    EXPECT_EQ(menu.activeAction(), menu.actions()[5]);
    menu.hide();
}

}  // namespace
