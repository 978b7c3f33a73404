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

int ReasonTextId(logger::ProjectResult result)
{
    return logger::ProjectResultTextId(result);
}

int WorkingCopyTextId(logger::WorkingCopyStatus status)
{
    switch (status) {
    case logger::WorkingCopyStatus::Ready:
        return 0;
    case logger::WorkingCopyStatus::InUse:
        return kTextSecondInstance;
    case logger::WorkingCopyStatus::NoFolder:
    case logger::WorkingCopyStatus::BackupFailed:
        return kTextNoWorkingCopy;
    }
    return kTextNoWorkingCopy;
}

}  // namespace projectmgr
