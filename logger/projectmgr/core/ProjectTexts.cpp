#include "logger/projectmgr/core/ProjectTexts.h"

#include "logger/project/ProjectResultText.h"

namespace projectmgr {

int OperationTextId(Operation operation)
{
    switch (operation) {
    case Operation::NewProject:
        return 2976;
    case Operation::Open:
        return 2977;
    case Operation::Save:
        return 2978;
    case Operation::Delete:
        return 2979;
    case Operation::Change:
        return 2980;
    }
    return 2980;
}

int ReasonTextId(project::ProjectResult result)
{
    return project::ProjectResultTextId(result);
}

int WorkingCopyTextId(project::WorkingCopyStatus status)
{
    switch (status) {
    case project::WorkingCopyStatus::Ready:
        return 0;
    case project::WorkingCopyStatus::InUse:
        return kTextSecondInstance;
    case project::WorkingCopyStatus::NoFolder:
    case project::WorkingCopyStatus::BackupFailed:
        return kTextNoWorkingCopy;
    }
    return kTextNoWorkingCopy;
}

}  // namespace projectmgr
