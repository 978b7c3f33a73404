#pragma once

#include "logger/project/ProjectRecord.h"

namespace project {

// The language text that says why a project operation failed (the second text of its message
// box); 0 for Ok. Every screen that saves or loads the working project tells it the same way.
inline int ProjectResultTextId(ProjectResult result)
{
    switch (result) {
    case ProjectResult::Ok:
        return 0;
    case ProjectResult::OpenFailed:
        return 2981;
    case ProjectResult::NotAProject:
        return 2982;
    case ProjectResult::IoError:
        return 2983;
    case ProjectResult::NothingToSave:
        return 2984;
    case ProjectResult::TooLarge:
        return 2985;
    }
    return 2983;
}

}  // namespace project
