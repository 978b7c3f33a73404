#include "logger/project/DataSetWalk.h"

namespace logger {

DataSetWalk::DataSetWalk(ExperimentBlock& block, RunStore& store)
    : block_(block), store_(store), remembered_(block.currentIndex)
{
}

DataSetWalk::~DataSetWalk()
{
    Finish();
}

ProjectResult DataSetWalk::Visit(int k)
{
    visited_ = true;
    block_.currentIndex = k;
    const ProjectResult result = store_.LoadProject();
    if (result != ProjectResult::Ok)
        block_.currentIndex = -1;
    return result;
}

ProjectResult DataSetWalk::Finish()
{
    if (finished_)
        return finishResult_;
    finished_ = true;
    if (!visited_)
        return finishResult_;
    block_.currentIndex = remembered_;
    if (RecordAt(block_, remembered_) == nullptr)
        return finishResult_;
    finishResult_ = store_.LoadProject();
    if (finishResult_ != ProjectResult::Ok)
        block_.currentIndex = -1;
    return finishResult_;
}

}  // namespace logger
