#pragma once

// A clock setter that keeps every time it is asked to set and answers with `result`.

#include "logger/shell/core/ProgramOptions.h"

#include <vector>

namespace helptest {

class FakeClockSetter : public shell::ClockSetter {
public:
    int SetLocalTime(const shell::LocalDateTime& time) override
    {
        calls.push_back(time);
        return result;
    }
    std::vector<shell::LocalDateTime> calls;
    int result = 0;
};

}  // namespace helptest
