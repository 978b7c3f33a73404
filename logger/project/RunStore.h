#pragma once

#include "logger/project/ProjectRecord.h"

namespace project {

// Where the measurement screen's data sets are kept while it is not showing them: the working
// copy of the project. The run model saves before it leaves a data set and loads after it
// switched to another.
class RunStore {
public:
    virtual ~RunStore() = default;
    // Writes the current data set's samples and the block.
    virtual ProjectResult SaveProject() = 0;
    // The same, keeping the project head, sizes and offsets as they are on disk.
    virtual ProjectResult SaveProjectKeepRecord() = 0;
    // Reads the block and the current data set's samples back.
    virtual ProjectResult LoadProject() = 0;
    // Whether a run the store could not take is kept in memory, where loading it brings it back
    // from: visiting the other sets is safe then although the save failed.
    virtual bool HoldsRun() const { return false; }
};

}  // namespace project
