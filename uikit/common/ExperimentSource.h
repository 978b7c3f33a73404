#pragma once

#include <string>

namespace project {
struct ExperimentBlock;
struct SampleArrays;
class ProjectFile;
}  // namespace project

namespace uikit {

// What the measurement screen (screen slot 3) offers the screens that read its recording: the
// experiment block and the current data set's raw samples. The screen keeps both; readers hold
// plain pointers and never free them. Either may be null (not allocated).
class ExperimentSource {
public:
    virtual ~ExperimentSource() = default;
    virtual project::ExperimentBlock* ExperimentData() = 0;
    virtual project::SampleArrays* SampleData() = 0;
    // The working copy of the project over that block and those samples, which the project
    // manager saves, opens and reports through; null when the screen keeps none.
    virtual project::ProjectFile* WorkingProject() { return nullptr; }
    // The measurement chart as this screen sets it up for the current data set, written as a BMP
    // at `path` (UTF-8) for the report; false when no picture could be written.
    virtual bool SaveRunPicture(const std::string& path)
    {
        static_cast<void>(path);
        return false;
    }
};

}  // namespace uikit
