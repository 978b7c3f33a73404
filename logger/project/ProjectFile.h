#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "logger/project/ExperimentRecords.h"
#include "logger/project/ProjectRecord.h"
#include "logger/project/RunStore.h"

namespace project {

// Creation time of a project, as stored in its head.
struct ProjectTime {
    int32_t year = 0;
    int32_t month = 0;
    uint8_t day = 0;
    uint8_t hour = 255;
    uint8_t minute = 255;
    uint8_t second = 255;
};
// The local time now; the "not available" values when it cannot be had.
ProjectTime LocalProjectTime();

// What SaveProjectFile writes as the project head.
enum class SaveMode {
    New,          // a new project head; CSV export saves with it too
    KeepRecord,   // the head, sizes and offsets on disk win over memory
    Current,      // the usual save of the current data set
};

// The project file over the measurement screen's block and sample arrays. The program works on
// one working copy in the data folder; opening copies a checked file over it and saving as copies
// it out. The file dialogs belong to the screen.
class ProjectFile : public RunStore {
public:
    static constexpr const char* kWorkingName = "temp_project.vrd";

    ProjectFile(ExperimentBlock& block, SampleArrays& samples, const std::string& dataFolder);

    const std::string& WorkingPath() const { return workingPath_; }
    ProjectRecord& Record() { return *record_; }
    const ProjectRecord& Record() const { return *record_; }
    // Run after every successful load, to have the measurement screen redraw its data set.
    void SetLoadedHandler(std::function<void()> handler) { loaded_ = std::move(handler); }

    // A new head with `title` (at most 64 units) and an empty block, written to a truncated
    // working copy.
    ProjectResult NewProject(std::u16string_view title, const ProjectTime& time);
    // Writes the head and the block into `path`, and the current data set's samples when they
    // are not stored there yet (its serial or counts changed): back where they were when they fit
    // there, else in the first room between the other sets, else behind them; another set's
    // samples are never moved or written over. The file ends with the last set's samples, and
    // nothing is written at all when neither the head nor the samples changed.
    ProjectResult SaveProjectFile(const std::string& path, SaveMode mode);
    // Reads `path` into the head, the block and the current data set's samples. The current index
    // stays what it was when the file holds that set, else it moves to the file's last recorded
    // set (or, with none recorded, its last made one). A refused file changes nothing.
    ProjectResult LoadProjectFile(const std::string& path);

    ProjectResult SaveProject() override;
    ProjectResult SaveProjectKeepRecord() override;
    ProjectResult LoadProject() override;

    // Opening a chosen file: it is checked first and only then copied over the working copy
    // and loaded, so a bad file leaves the working copy alone.
    ProjectResult OpenProject(const std::string& chosenPath);
    // Saving as: the working copy, its sets' samples packed one after another in set order,
    // replaces `chosenPath` whole (through a temporary file in the same folder), or nothing is
    // written. Refused while no data set is in use.
    // With `SetsOutOfReach::Left`, a set whose samples are only in a working copy that cannot be
    // read (its folder moved away, say) is written as not in use instead of failing the save: the
    // last resort that keeps what memory holds when nobody can be asked.
    enum class SetsOutOfReach { Fail, Left };
    ProjectResult SaveProjectAs(const std::string& chosenPath, SetsOutOfReach outOfReach = SetsOutOfReach::Fail);

    // Magic, version and length of a file, without loading it.
    static ProjectResult CheckProjectFile(const std::string& path);

    // A run the working copy could not take (a full disk, a folder gone) is held here in memory
    // until a save of the working copy takes it: loading its set brings it back from memory,
    // loading another set leaves the live block alone and reads only that set's samples, and
    // saving as writes it from memory. The project is dropped only by a new or opened project.
    bool HoldsRun() const override { return held_ != nullptr; }
    // Held, and not yet saved as a project anywhere else either: quitting would lose it.
    bool HoldsUnsavedRun() const { return held_ != nullptr && !held_->savedElsewhere; }

private:
    struct HeldRun {
        int index = -1;
        int32_t serial = 0;
        int32_t counts[kChannelCount] = {};
        std::vector<uint32_t> values[kChannelCount];
        std::vector<int32_t> times[kChannelCount];
        bool savedElsewhere = false;
    };
    ProjectResult WriteProjectFile(const std::string& path, SaveMode mode);
    // After a failed save of the working copy: the current set, when its samples are not there.
    void HoldCurrentRun();
    bool HeldMatches(const DataSetRecord& record) const;
    ProjectResult LoadWhileHolding(const std::string& path);

    ExperimentBlock& block_;
    SampleArrays& samples_;
    std::string workingPath_;
    std::unique_ptr<ProjectRecord> record_;
    std::function<void()> loaded_;
    std::unique_ptr<HeldRun> held_;
};

}  // namespace project
