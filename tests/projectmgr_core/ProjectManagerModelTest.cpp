#include <fstream>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "logger/projectmgr/core/ProjectManagerModel.h"
#include "logger/projectmgr/core/ProjectTexts.h"
#include "ProjectMgrTestSupport.h"

using namespace projectmgr;
using namespace projecttest;
using project::ProjectResult;

namespace {

class ProjectManagerModelTest : public ProjectFixture {
protected:
    void SetUp() override { projectmgrtest::RecordLesson(*block, *samples, project); }

    // What a later session sees: the working copy read into a fresh block.
    std::unique_ptr<project::ExperimentBlock> ReadBack(int current = 0)
    {
        auto other = std::make_unique<project::ExperimentBlock>();
        auto otherSamples = std::make_unique<project::SampleArrays>();
        other->currentIndex = current;
        project::ProjectFile reader(*other, *otherSamples, folder.Path().string());
        EXPECT_EQ(reader.LoadProject(), ProjectResult::Ok);
        readHead = std::make_unique<project::ProjectRecord>(reader.Record());
        return other;
    }

    ProjectManagerModel model{project, *block};
    std::unique_ptr<project::ProjectRecord> readHead;
};

const std::u16string k70 = u"0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ01234567";

TEST_F(ProjectManagerModelTest, RenamesAreCutToTheirFieldAndSurviveSaveAndLoad)
{
    ASSERT_EQ(k70.size(), 70u);
    struct Case {
        ItemKey key;
        size_t kept;
    };
    const Case cases[] = {
        {{ItemKind::Project}, 64},
        {{ItemKind::ProjectNote}, 32},
        {{ItemKind::DataSet, 0}, 32},
        {{ItemKind::DataSetNote, 0}, 32},
        {{ItemKind::Analysis, 0, 0, 0}, 32},
        {{ItemKind::AnalysisNote, 0, 0, 0}, 32},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(model.ApplyLabel(c.key, k70));
        ASSERT_EQ(model.SaveWorking(), ProjectResult::Ok);
    }
    // The measurement screen's next save (leaving the set) keeps them too.
    ASSERT_EQ(project.SaveProject(), ProjectResult::Ok);
    const auto read = ReadBack();
    const std::vector<TreeItem> items = BuildProjectTree(*readHead, *read, u"Graph");
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.key.kind));
        const auto item = std::find_if(items.begin(), items.end(), [&](const TreeItem& i) { return i.key == c.key; });
        ASSERT_NE(item, items.end());
        EXPECT_EQ(item->text, k70.substr(0, c.kept));
    }
}

TEST_F(ProjectManagerModelTest, ADataSetRenameGoesIntoTheLiveBlock)
{
    ASSERT_TRUE(model.ApplyLabel({ItemKind::DataSet, 2}, u"Swing"));
    EXPECT_EQ(project::RunTitle(block->records[2]), u"Swing");
    // Switching sets saves and loads: the name is not lost on the way.
    block->currentIndex = 0;
    ASSERT_EQ(project.SaveProject(), ProjectResult::Ok);
    block->currentIndex = 2;
    ASSERT_EQ(project.LoadProject(), ProjectResult::Ok);
    EXPECT_EQ(project::RunTitle(block->records[2]), u"Swing");
    EXPECT_EQ(project::RunTitle(ReadBack()->records[2]), u"Swing");
}

TEST_F(ProjectManagerModelTest, GraphsKeepTheirNameAndVanishedItemsChangeNothing)
{
    const auto before = Working();
    EXPECT_FALSE(model.ApplyLabel({ItemKind::Graph, 0, 1}, u"Mine"));
    EXPECT_FALSE(model.ApplyLabel({ItemKind::DataSet, 1}, u"Not recorded"));
    EXPECT_FALSE(model.ApplyLabel({ItemKind::Analysis, 0, 0, 1}, u"Not in use"));
    EXPECT_FALSE(model.ApplyLabel({}, u"Nothing"));
    EXPECT_EQ(model.NoteOf({ItemKind::Graph, 0, 0}), nullptr);
    EXPECT_EQ(model.NoteOf({ItemKind::DataSet, 3}), nullptr);
    ASSERT_EQ(model.SaveWorking(), ProjectResult::Ok);
    EXPECT_EQ(Working(), before);
}

TEST_F(ProjectManagerModelTest, ShowingTheScreenAHundredTimesWritesNothing)
{
    const auto before = Working();
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(model.SaveWorking(), ProjectResult::Ok);
    EXPECT_EQ(Working(), before);
}

TEST_F(ProjectManagerModelTest, DeletingAGraphOrAnalysisLeavesTheWorkingCopyByteForByte)
{
    const auto before = Working();
    for (ItemKey key : {ItemKey{ItemKind::Graph, 0, 0}, ItemKey{ItemKind::Analysis, 0, 0, 0}, ItemKey{ItemKind::Project}}) {
        EXPECT_EQ(model.DeleteKindOf(key), DeleteKind::Nothing);
        ASSERT_EQ(model.Delete(key), ProjectResult::Ok);
        EXPECT_EQ(Working(), before);
    }
}

TEST_F(ProjectManagerModelTest, DeletingANoteStartsItAfresh)
{
    for (ItemKey key : {ItemKey{ItemKind::ProjectNote}, ItemKey{ItemKind::DataSetNote, 0},
                        ItemKey{ItemKind::AnalysisNote, 0, 0, 0}}) {
        SCOPED_TRACE(int(key.kind));
        ASSERT_EQ(model.DeleteKindOf(key), DeleteKind::Note);
        EXPECT_FALSE(model.DeleteSubject(key).empty());
        ASSERT_EQ(model.Delete(key), ProjectResult::Ok);
        const project::NoteRecord& note = *model.NoteOf(key);
        EXPECT_EQ(project::NoteTitle(note), u"Note");
        EXPECT_EQ(note.textLength, 0);
        EXPECT_EQ(note.fontSize, 16);
        EXPECT_EQ(note.text[0], 0);
    }
    const std::vector<TreeItem> items = model.Tree(u"Graph");
    EXPECT_TRUE(std::none_of(items.begin(), items.end(), [](const TreeItem& i) { return i.image == kImageNote; }));
}

TEST_F(ProjectManagerModelTest, DeletingADataSetRemovesItFromTheBlockAndTheWorkingCopy)
{
    int loads = 0;
    project.SetLoadedHandler([&] { ++loads; });
    block->currentIndex = 0;
    ASSERT_EQ(model.DeleteKindOf({ItemKind::DataSet, 0}), DeleteKind::DataSet);
    EXPECT_EQ(model.DeleteSubject({ItemKind::DataSet, 0}), u"Cooling water");
    ASSERT_EQ(model.Delete({ItemKind::DataSet, 0}), ProjectResult::Ok);
    EXPECT_EQ(block->records[0].inUse, 0);
    EXPECT_EQ(block->currentIndex, 2);
    ExpectSamples(*samples, 2, {900});
    EXPECT_GE(loads, 1);
    const auto read = ReadBack(2);
    EXPECT_EQ(read->records[0].inUse, 0);
    EXPECT_EQ(readHead->dataSize[0], 0);
    const std::vector<TreeItem> items = model.Tree(u"Graph");
    EXPECT_TRUE(std::none_of(items.begin(), items.end(), [](const TreeItem& i) { return i.key.dataSet == 0; }));

    // The last one goes too; the measurement screen is told by a load.
    loads = 0;
    ASSERT_EQ(model.Delete({ItemKind::DataSet, 2}), ProjectResult::Ok);
    EXPECT_FALSE(project::AnyRunInUse(*block));
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(model.Tree(u"Graph").size(), 2u);   // the project and its note
    EXPECT_EQ(Working().size(), size_t(project::kDataAreaOffset));
}

TEST_F(ProjectManagerModelTest, CommandsKnowWhenDataIsAtStake)
{
    EXPECT_TRUE(model.HasData());
    EXPECT_TRUE(model.WouldDiscard());
    int loads = 0;
    project.SetLoadedHandler([&] { ++loads; });
    ASSERT_EQ(model.NewProject(u"Next lesson", {2026, 12, 10, 9, 0, 0}), ProjectResult::Ok);
    EXPECT_EQ(loads, 1);
    EXPECT_FALSE(model.HasData());
    EXPECT_FALSE(model.WouldDiscard());
    EXPECT_EQ(model.Tree(u"Graph").size(), 1u);
    EXPECT_EQ(model.SaveAs(folder.File("x.vrd")), ProjectResult::NothingToSave);
    EXPECT_EQ(model.Open(folder.File("missing.vrd")), ProjectResult::OpenFailed);
}

TEST(SafeFileStemTest, TitlesBecomeFileNames)
{
    const struct {
        std::u16string title;
        std::string stem;
    } cases[] = {
        {u"Cooling/heating", "Cooling_heating"},
        {u"a\tb\x7F" u"c", "a_b_c"},
        {u"", "New project"},
        {u".", "New project"},
        {u"..", "New project"},
        {u"...", "..."},
        {u"물의 온도", "물의 온도"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SafeFileStem(c.title, u"New project"), c.stem);
    EXPECT_EQ(SafeFileStem(u"", u"/"), "_");
    EXPECT_EQ(SafeFileStem(u"", u""), "project");
    EXPECT_EQ(SafeFileStem(u"", u".."), "project");
}

TEST_F(ProjectManagerModelTest, DefaultFileNamesComeFromTheTitle)
{
    ASSERT_TRUE(model.ApplyLabel({ItemKind::Project}, u"Lab 3/4"));
    EXPECT_EQ(model.DefaultFileName("vrd", u"New project"), "Lab 3_4.vrd");
    // A title read from a file starting with a zero gives the fallback.
    project.Record().title[0] = 0;
    EXPECT_EQ(model.DefaultFileName("csv", u"New project"), "New project.csv");
}

// Every text the screen loads is in the language module's source.
TEST(ProjectTextsTest, EveryIdIsInTheLanguageSource)
{
    std::ifstream in(std::string(CORVIK_SOURCE_DIR) + "/resources/lang/strings.tsv");
    std::set<int> ids;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] != '#')
            ids.insert(std::atoi(line.c_str()));
    }
    std::vector<int> used = {kTextGraph, kTextNewProjectTitle, kTextCsvFile, kTextAllFiles, kTextAuthor, kTextSchool,
                             kTextNothingRecorded};
    for (int id = kTextMenuNew; id <= kTextAskDeleteNote; ++id)
        used.push_back(id);
    for (Operation op : {Operation::NewProject, Operation::Open, Operation::Save, Operation::Delete, Operation::Change})
        used.push_back(OperationTextId(op));
    for (int r = 1; r <= 6; ++r)
        used.push_back(ReasonTextId(ProjectResult(r)));
    for (int s = 1; s <= 3; ++s)
        used.push_back(WorkingCopyTextId(project::WorkingCopyStatus(s)));
    used.insert(used.end(), {kTextBackupKept, kTextBackupKeptOlderRemoved, kTextUserFolder});
    for (int id : used)
        EXPECT_TRUE(ids.count(id)) << id;
    EXPECT_EQ(ReasonTextId(ProjectResult::Ok), 0);
    EXPECT_EQ(WorkingCopyTextId(project::WorkingCopyStatus::Ready), 0);
}

}  // namespace
