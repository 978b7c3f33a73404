// The one symbol the host program exports: the add-in finds it by name in the main program.
#include "addin/HostCallApi.h"
#include "tools/xlhost/Host.h"

extern "C" __attribute__((visibility("default"))) int MdCallBack12(int function, int count, HostOperand** operands,
                                                                   HostOperand* result)
{
    xlhost::Host* host = xlhost::ActiveHost();
    if (!host)
        return HOST_RESULT_FAILED;
    try {
        return host->Dispatch(function, count, operands, result);
    } catch (...) {
        return HOST_RESULT_FAILED;
    }
}
