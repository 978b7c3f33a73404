#include <gtest/gtest.h>

#include "logger/projectmgr/core/ProjectTree.h"
#include "ProjectMgrTestSupport.h"

using namespace projectmgr;
using projecttest::ProjectFixture;

namespace {

using ProjectTreeTest = ProjectFixture;

struct Expected {
    ItemKey key;
    int parent;
    int image;
    std::u16string text;
};

TEST_F(ProjectTreeTest, ShowsSetsGraphsAnalysesAndNotesWithTextTheProjectNoteLast)
{
    projectmgrtest::RecordLesson(*block, *samples, project);
    const std::vector<TreeItem> items = BuildProjectTree(project.Record(), *block, u"Graph");
    const Expected expected[] = {
        {{ItemKind::Project}, -1, kImageProject, u"Project"},
        {{ItemKind::DataSet, 0}, 0, kImageDataSet, u"Cooling water"},
        {{ItemKind::DataSetNote, 0}, 1, kImageNote, u"Observations"},
        {{ItemKind::Graph, 0, 0}, 1, kImageGraph, u"Graph-1"},
        {{ItemKind::Analysis, 0, 0, 0}, 3, kImageAnalysis, u"Linear fit"},
        {{ItemKind::AnalysisNote, 0, 0, 0}, 4, kImageNote, u"Fit note"},
        {{ItemKind::Analysis, 0, 0, 2}, 3, kImageAnalysis, u"Mean"},
        {{ItemKind::Graph, 0, 1}, 1, kImageGraph, u"Graph-2"},
        {{ItemKind::Analysis, 0, 1, 0}, 7, kImageAnalysis, u"Integral"},
        {{ItemKind::DataSet, 2}, 0, kImageDataSet, u"Pendulum"},
        {{ItemKind::Graph, 2, 0}, 9, kImageGraph, u"Graph-1"},
        {{ItemKind::Analysis, 2, 0, 0}, 10, kImageAnalysis, u"Period"},
        {{ItemKind::ProjectNote}, 0, kImageNote, u"Lesson plan"},
    };
    ASSERT_EQ(items.size(), std::size(expected));
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items[i].key, expected[i].key);
        EXPECT_EQ(items[i].parent, expected[i].parent);
        EXPECT_EQ(items[i].image, expected[i].image);
        EXPECT_EQ(items[i].text, expected[i].text);
        EXPECT_EQ(items[i].renamable, items[i].key.kind != ItemKind::Graph);
    }
}

TEST_F(ProjectTreeTest, ANewProjectIsTheProjectItemAlone)
{
    const std::vector<TreeItem> items = BuildProjectTree(project.Record(), *block, u"Graph");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].key.kind, ItemKind::Project);
    // A data set made but not recorded into is not shown either.
    block->records[1].dataSetSerial = project::kSerialBase + 1;
    EXPECT_EQ(BuildProjectTree(project.Record(), *block, u"Graph").size(), 1u);
}

TEST(ItemKeyTest, PacksEveryKeyAndRefusesAnythingElse)
{
    for (int kind = 1; kind <= 7; ++kind) {
        for (int k = -1; k < 4; ++k) {
            const ItemKey key{ItemKind(kind), k, (k + 2) % 5 - 1, (k + 3) % 5 - 1};
            EXPECT_EQ(ItemKey::Unpack(key.Pack()), key);
        }
    }
    for (int64_t garbage : {int64_t(0), int64_t(-1), int64_t(8) << 24, (int64_t(3) << 24) | (9 << 16), int64_t(1) << 40})
        EXPECT_EQ(ItemKey::Unpack(garbage).kind, ItemKind::None) << garbage;
}

}  // namespace
