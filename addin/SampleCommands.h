#pragma once

#include <cstdint>

// The sample commands and functions the registration table carries beside the workbook
// functions (fDialog, fDance, fShowDialog, fExit, Func1, FuncSum, FuncFib, RvnFunctionTest).
namespace addin {

inline constexpr int32_t kCounterRow = 5;
inline constexpr int32_t kCounterColumn = 7;
inline constexpr int32_t kCounterBase = 22;

// Func1's call: counts it, starts the counter thread on the first one and returns the calls so
// far. The thread writes a running count + 22 into the counter cell every three seconds, by way
// of the host thread.
int32_t CountCounterCall();
// Ends the counter thread, if it runs, and waits for it.
void StopCounterThread();

}  // namespace addin
