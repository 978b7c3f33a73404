#include "logger/export/core/DataSetWalk.h"

namespace exporting {

DataSetWalk::DataSetWalk(project::ExperimentBlock& block, project::RunStore& store)
    : block_(block), store_(store), remembered_(block.currentIndex)
{
}

DataSetWalk::~DataSetWalk()
{
    Finish();
}

project::ProjectResult DataSetWalk::Visit(int k)
{
    visited_ = true;
    block_.currentIndex = k;
    const project::ProjectResult result = store_.LoadProject();
    if (result != project::ProjectResult::Ok)
        block_.currentIndex = -1;
    return result;
}

project::ProjectResult DataSetWalk::Finish()
{
    if (finished_)
        return finishResult_;
    finished_ = true;
    if (!visited_)
        return finishResult_;
    block_.currentIndex = remembered_;
    if (project::RecordAt(block_, remembered_) == nullptr)
        return finishResult_;
    finishResult_ = store_.LoadProject();
    if (finishResult_ != project::ProjectResult::Ok)
        block_.currentIndex = -1;
    return finishResult_;
}

}  // namespace exporting
