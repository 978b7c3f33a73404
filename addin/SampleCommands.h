#pragma once

// The sample commands and functions the registration table carries beside the workbook
// functions (fDialog, fDance, fShowDialog, fExit, Func1, FuncSum, FuncFib, RvnFunctionTest).
namespace addin {

// Ends Func1's counter thread, if it runs, and waits for it.
void StopCounterThread();

}  // namespace addin
