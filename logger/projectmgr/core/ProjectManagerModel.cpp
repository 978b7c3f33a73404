#include "logger/projectmgr/core/ProjectManagerModel.h"

#include "platform/Text.h"

namespace projectmgr {

namespace {

using project::ProjectResult;

// Deleting a data set needs no sensor: the run model's deletion reads none.
class NoSensor : public project::ChannelSetupSource {
public:
    const project::ChannelStateImage* ChannelState(int) const override { return nullptr; }
    bool IsChannelConnected(int) const override { return false; }
    int32_t DefaultChannelRate(int) const override { return 0; }
};

bool IsNoteItem(ItemKind kind)
{
    return kind == ItemKind::ProjectNote || kind == ItemKind::DataSetNote || kind == ItemKind::AnalysisNote;
}

}  // namespace

ProjectManagerModel::ProjectManagerModel(project::ProjectFile& project, project::ExperimentBlock& block)
    : project_(project),
      block_(block),
      noSensor_(std::make_unique<NoSensor>()),
      runs_(std::make_unique<project::RunModel>(block, project, *noSensor_, project::RunModelHooks{}, u""))
{
}

ProjectManagerModel::~ProjectManagerModel() = default;

std::vector<TreeItem> ProjectManagerModel::Tree(std::u16string_view graphText) const
{
    return BuildProjectTree(project_.Record(), block_, graphText);
}

project::DataSetRecord* ProjectManagerModel::RecordedSet(int k)
{
    project::DataSetRecord* record = project::RecordAt(block_, k);
    return record && record->inUse != 0 ? record : nullptr;
}

const project::DataSetRecord* ProjectManagerModel::RecordedSet(int k) const
{
    const project::DataSetRecord* record = project::RecordAt(block_, k);
    return record && record->inUse != 0 ? record : nullptr;
}

project::AnalysisSettings* ProjectManagerModel::Analysis(const ItemKey& key)
{
    project::DataSetRecord* record = RecordedSet(key.dataSet);
    project::AnalysisSettings* settings = record ? project::SettingsAt(*record, key.graph, key.set) : nullptr;
    return settings && settings->inUse == 1 ? settings : nullptr;
}

const project::AnalysisSettings* ProjectManagerModel::Analysis(const ItemKey& key) const
{
    return const_cast<ProjectManagerModel*>(this)->Analysis(key);
}

bool ProjectManagerModel::ApplyLabel(const ItemKey& key, std::u16string_view text)
{
    project::ProjectRecord& head = project_.Record();
    switch (key.kind) {
    case ItemKind::Project:
        platform::CopyToFullField(head.title, text);
        return true;
    case ItemKind::DataSet:
        if (project::DataSetRecord* record = RecordedSet(key.dataSet)) {
            platform::CopyToFullField(record->title, text);
            return true;
        }
        return false;
    case ItemKind::Analysis:
        if (project::AnalysisSettings* settings = Analysis(key)) {
            platform::CopyToFullField(settings->setName, text);
            return true;
        }
        return false;
    case ItemKind::ProjectNote:
    case ItemKind::DataSetNote:
    case ItemKind::AnalysisNote:
        if (project::NoteRecord* note = NoteOf(key)) {
            platform::CopyToFullField(note->title, text);
            return true;
        }
        return false;
    case ItemKind::Graph:
    case ItemKind::None:
        return false;
    }
    return false;
}

project::NoteRecord* ProjectManagerModel::NoteOf(const ItemKey& key)
{
    switch (key.kind) {
    case ItemKind::Project:
    case ItemKind::ProjectNote:
        return &project_.Record().note;
    case ItemKind::DataSet:
    case ItemKind::DataSetNote:
        if (project::DataSetRecord* record = RecordedSet(key.dataSet))
            return &record->note;
        return nullptr;
    case ItemKind::Analysis:
    case ItemKind::AnalysisNote:
        if (project::AnalysisSettings* settings = Analysis(key))
            return &settings->memo;
        return nullptr;
    case ItemKind::Graph:
    case ItemKind::None:
        return nullptr;
    }
    return nullptr;
}

DeleteKind ProjectManagerModel::DeleteKindOf(const ItemKey& key) const
{
    if (key.kind == ItemKind::DataSet)
        return RecordedSet(key.dataSet) ? DeleteKind::DataSet : DeleteKind::Nothing;
    if (IsNoteItem(key.kind))
        return const_cast<ProjectManagerModel*>(this)->NoteOf(key) ? DeleteKind::Note : DeleteKind::Nothing;
    return DeleteKind::Nothing;
}

std::u16string ProjectManagerModel::DeleteSubject(const ItemKey& key) const
{
    if (key.kind == ItemKind::DataSet) {
        const project::DataSetRecord* record = RecordedSet(key.dataSet);
        return record ? std::u16string(project::RunTitle(*record)) : std::u16string();
    }
    const project::NoteRecord* note = IsNoteItem(key.kind) ? const_cast<ProjectManagerModel*>(this)->NoteOf(key) : nullptr;
    return note ? std::u16string(project::NoteTitle(*note)) : std::u16string();
}

ProjectResult ProjectManagerModel::Delete(const ItemKey& key)
{
    switch (DeleteKindOf(key)) {
    case DeleteKind::DataSet: {
        const int result = runs_->DeleteRun(key.dataSet);
        if (result == project::kRunStoreFailed)
            return ProjectResult::IoError;
        // With no set left nothing was loaded: the measurement screen is told by a load all the
        // same, so that it no longer shows the deleted set.
        if (result != project::kRunDone) {
            if (const ProjectResult loaded = project_.LoadProject(); loaded != ProjectResult::Ok)
                return loaded;
        }
        break;
    }
    case DeleteKind::Note:
        project::InitNoteRecord(*NoteOf(key));
        break;
    case DeleteKind::Nothing:
        break;
    }
    return SaveWorking();
}

bool ProjectManagerModel::HasData() const
{
    // A run the working copy could not take is not in the record yet, and is data all the same.
    return project::AnyRunInUse(project_.Record().block) || project_.HoldsRun();
}

bool ProjectManagerModel::WouldDiscard() const
{
    return project::AnyRunInUse(block_) || !project::NoteText(project_.Record().note).empty();
}

ProjectResult ProjectManagerModel::NewProject(std::u16string_view title, const project::ProjectTime& time)
{
    if (const ProjectResult made = project_.NewProject(title, time); made != ProjectResult::Ok)
        return made;
    return project_.LoadProject();
}

ProjectResult ProjectManagerModel::Open(const std::string& path)
{
    return project_.OpenProject(path);
}

std::string ProjectManagerModel::DefaultFileName(std::string_view extension, std::u16string_view fallback) const
{
    return SafeFileStem(platform::FieldView(project_.Record().title), fallback) + "." + std::string(extension);
}

std::string SafeFileStem(std::u16string_view title, std::u16string_view fallback)
{
    auto clean = [](std::u16string_view text) {
        std::u16string safe(text);
        for (char16_t& c : safe) {
            if (c == u'/' || c < 0x20 || c == 0x7F)
                c = u'_';
        }
        return safe;
    };
    std::u16string stem = clean(title);
    if (stem.empty() || stem == u"." || stem == u"..")
        stem = clean(fallback);
    if (stem.empty() || stem == u"." || stem == u"..")
        stem = u"project";
    return platform::Utf16ToUtf8(stem);
}

}  // namespace projectmgr
