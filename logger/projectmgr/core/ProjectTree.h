#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "logger/project/ExperimentRecords.h"
#include "logger/project/ProjectRecord.h"

// The project as the project manager's tree shows it: the project, its data sets in use with
// their notes, graphs, analysis sets and the analyses' notes, and the project note last. Each
// item carries a key naming the record it shows, which travels with a renamed label.
namespace projectmgr {

enum class ItemKind : int32_t {
    None = 0,
    Project = 1,
    ProjectNote = 2,
    DataSet = 3,
    DataSetNote = 4,
    Graph = 5,
    Analysis = 6,
    AnalysisNote = 7,
};

struct ItemKey {
    ItemKind kind = ItemKind::None;
    int dataSet = -1;   // 0..3 for data sets, their graphs, analyses and notes
    int graph = -1;     // 0..3 for graphs and analyses
    int set = -1;       // 0..3 for analyses

    // One integer for the tree's item data; Unpack of anything else gives kind None.
    int64_t Pack() const;
    static ItemKey Unpack(int64_t packed);
    bool operator==(const ItemKey&) const = default;
};

// Pictures of the tree's image strip (bitmap 143, 16 x 16 each).
inline constexpr int kImageProject = 0;
inline constexpr int kImageDataSet = 1;
inline constexpr int kImageAnalysis = 2;
inline constexpr int kImageNote = 3;
inline constexpr int kImageGraph = 4;

struct TreeItem {
    ItemKey key;
    int parent = -1;   // index of the parent item in the list, -1 for the project
    int image = kImageProject;
    std::u16string text;
    bool renamable = true;   // graphs keep their name
};

// Data set k's graph g is shown when its record's first word is 1, analysis set s of it when its
// in-use word is 1; a note only when it holds text. `graphText` is the text of id 2054 that
// names a graph ("Graph-2").
std::vector<TreeItem> BuildProjectTree(const project::ProjectRecord& head, const project::ExperimentBlock& block,
                                       std::u16string_view graphText);

}  // namespace projectmgr
