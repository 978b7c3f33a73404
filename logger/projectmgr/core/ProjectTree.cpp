#include "logger/projectmgr/core/ProjectTree.h"

#include "platform/Text.h"

namespace projectmgr {

namespace {

using project::kGraphCount;
using project::kRunCount;
using project::kSetsPerGraph;

bool InRange(int value) { return value >= -1 && value < 4; }

bool ShowsNote(const project::NoteRecord& note) { return note.textLength > 0; }

std::u16string Text(std::u16string_view view) { return std::u16string(view); }

}  // namespace

int64_t ItemKey::Pack() const
{
    return int64_t(kind) << 24 | int64_t(dataSet + 1) << 16 | int64_t(graph + 1) << 8 | int64_t(set + 1);
}

ItemKey ItemKey::Unpack(int64_t packed)
{
    ItemKey key;
    const int64_t kind = packed >> 24;
    key.dataSet = int((packed >> 16) & 0xFF) - 1;
    key.graph = int((packed >> 8) & 0xFF) - 1;
    key.set = int(packed & 0xFF) - 1;
    if (kind < int64_t(ItemKind::Project) || kind > int64_t(ItemKind::AnalysisNote) || !InRange(key.dataSet) ||
        !InRange(key.graph) || !InRange(key.set))
        return {};
    key.kind = ItemKind(kind);
    return key;
}

std::vector<TreeItem> BuildProjectTree(const project::ProjectRecord& head, const project::ExperimentBlock& block,
                                       std::u16string_view graphText)
{
    std::vector<TreeItem> items;
    auto add = [&items](ItemKey key, int parent, int image, std::u16string text, bool renamable = true) {
        items.push_back({key, parent, image, std::move(text), renamable});
        return int(items.size()) - 1;
    };

    const int project = add({ItemKind::Project}, -1, kImageProject, Text(platform::FieldView(head.title)));
    for (int k = 0; k < kRunCount; ++k) {
        const project::DataSetRecord& record = block.records[k];
        if (record.inUse == 0)
            continue;
        const int set = add({ItemKind::DataSet, k}, project, kImageDataSet, Text(project::RunTitle(record)));
        if (ShowsNote(record.note))
            add({ItemKind::DataSetNote, k}, set, kImageNote, Text(project::NoteTitle(record.note)));
        for (int g = 0; g < kGraphCount; ++g) {
            if (record.graphs[g].inUse != 1)
                continue;
            std::u16string name(graphText);
            name += u'-';
            name += platform::AsciiToUtf16(std::to_string(g + 1));
            const int graph = add({ItemKind::Graph, k, g}, set, kImageGraph, std::move(name), false);
            for (int s = 0; s < kSetsPerGraph; ++s) {
                const project::AnalysisSettings& settings = *project::SettingsAt(record, g, s);
                if (settings.inUse != 1)
                    continue;
                const int analysis =
                    add({ItemKind::Analysis, k, g, s}, graph, kImageAnalysis, Text(project::SetNameText(settings)));
                if (ShowsNote(settings.memo))
                    add({ItemKind::AnalysisNote, k, g, s}, analysis, kImageNote, Text(project::NoteTitle(settings.memo)));
            }
        }
    }
    if (ShowsNote(head.note))
        add({ItemKind::ProjectNote}, project, kImageNote, Text(project::NoteTitle(head.note)));
    return items;
}

}  // namespace projectmgr
