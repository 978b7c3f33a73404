#pragma once

#include "logger/project/ExperimentRecords.h"
#include "logger/project/ProjectRecord.h"
#include "logger/project/RunStore.h"

namespace exporting {

// Visiting data sets one after another as the current one, the way CSV export and the report do,
// and putting the one that was current back afterwards, whatever happened on the way.
//
// A set whose samples cannot be read back is left with no set current: the sample arrays may hold
// part of it over another set's samples, and nothing may take them for either. Putting the
// remembered set back reads its samples again; when that fails no set is current, so no later
// save stores the arrays over a recording, until the user chooses a set again.
class DataSetWalk {
public:
    DataSetWalk(project::ExperimentBlock& block, project::RunStore& store);
    ~DataSetWalk();
    DataSetWalk(const DataSetWalk&) = delete;
    DataSetWalk& operator=(const DataSetWalk&) = delete;

    // Makes set k current and reads its samples back.
    project::ProjectResult Visit(int k);
    // Puts the remembered set back (once; the destructor does it when nobody did).
    project::ProjectResult Finish();

private:
    project::ExperimentBlock& block_;
    project::RunStore& store_;
    int remembered_;
    bool visited_ = false;
    bool finished_ = false;
    project::ProjectResult finishResult_ = project::ProjectResult::Ok;
};

}  // namespace exporting
