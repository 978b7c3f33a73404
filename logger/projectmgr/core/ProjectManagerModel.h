#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "logger/project/ExperimentRecords.h"
#include "logger/project/ProjectFile.h"
#include "logger/project/RunModel.h"
#include "logger/projectmgr/core/ProjectTree.h"

// The project manager screen without its widgets: the tree of the open project, what a renamed
// label, a note edit and a deletion change, and the project commands. The records it changes are
// the live ones: data sets and analyses in the measurement screen's block, title and project note
// in the project head, so that the next save keeps them. The file dialogs and the questions are
// the widget's; the model says when a question is due.
namespace projectmgr {

enum class DeleteKind { Nothing, DataSet, Note };

class ProjectManagerModel {
public:
    // `project` is the working project over `block` (the measurement screen's).
    ProjectManagerModel(project::ProjectFile& project, project::ExperimentBlock& block);
    ~ProjectManagerModel();

    project::ProjectFile& Project() { return project_; }
    project::ExperimentBlock& Block() { return block_; }

    std::vector<TreeItem> Tree(std::u16string_view graphText) const;

    // A label committed in the tree, written into the record the item names: the project title
    // (64 units), any other title or name (32 units), cut without splitting a character. False
    // when the item names nothing now (a set deleted meanwhile) or keeps its text (a graph).
    bool ApplyLabel(const ItemKey& key, std::u16string_view text);
    // The note an item edits: the project's for the project and its note, a data set's for the
    // set and its note, an analysis set's for the set and its note; null for graphs.
    project::NoteRecord* NoteOf(const ItemKey& key);

    DeleteKind DeleteKindOf(const ItemKey& key) const;
    // The name a deletion question shows: the data set's title, the note's title.
    std::u16string DeleteSubject(const ItemKey& key) const;
    // A data set goes from the measurement screen's block and the working copy; a note starts
    // afresh (title "Note", no text, size 16). Then the working copy is saved.
    project::ProjectResult Delete(const ItemKey& key);

    // Save, CSV and the report need a data set in use in the project record, or a held run.
    bool HasData() const;
    // A new project or opening another gives up the data sets and the note of this one.
    bool WouldDiscard() const;
    project::ProjectResult NewProject(std::u16string_view title, const project::ProjectTime& time);
    project::ProjectResult Open(const std::string& path);
    // The file step of rebuilding the tree, and the menu's save: the working copy first, then the
    // copy at `path`.
    project::ProjectResult SaveWorking()
    {
        return project_.SaveProjectFile(project_.WorkingPath(), project::SaveMode::Current);
    }
    project::ProjectResult SaveAs(const std::string& path,
                                 project::ProjectFile::SetsOutOfReach outOfReach = project::ProjectFile::SetsOutOfReach::Fail)
    {
        return project_.SaveProjectAs(path, outOfReach);
    }

    // The file name a save dialog offers: the project title made safe for a file name, with
    // `extension` ("vrd", "csv", "html"); `fallback` when the title leaves nothing usable.
    std::string DefaultFileName(std::string_view extension, std::u16string_view fallback) const;

private:
    project::DataSetRecord* RecordedSet(int k);
    const project::DataSetRecord* RecordedSet(int k) const;
    project::AnalysisSettings* Analysis(const ItemKey& key);
    const project::AnalysisSettings* Analysis(const ItemKey& key) const;

    project::ProjectFile& project_;
    project::ExperimentBlock& block_;
    std::unique_ptr<project::ChannelSetupSource> noSensor_;
    // The data-set rules the measurement screen uses, for deleting a set from here.
    std::unique_ptr<project::RunModel> runs_;
};

// A project title as a file name: '/', NUL and control characters become '_'; empty, "." and
// ".." give `fallback` (made safe the same way).
std::string SafeFileStem(std::u16string_view title, std::u16string_view fallback);

}  // namespace projectmgr
