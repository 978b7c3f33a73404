#pragma once

#include <utility>

namespace devicelink {

// Runs `body` and gives its result; an exception (only allocation can throw in the device
// layer) gives `fallback` instead, so that none crosses an extern "C" function.
template <typename Result, typename Body>
Result GuardedCall(Result fallback, Body&& body) noexcept
{
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return fallback;
    }
}

}  // namespace devicelink
