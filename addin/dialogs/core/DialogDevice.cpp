#include "addin/dialogs/core/DialogDevice.h"

namespace addin::dialogs {

LinkEvent WatchLink(DialogDevice& device)
{
    if (device.IsLinked() == 1)
        return LinkEvent::Changed;
    return device.LastError() == kErrorNotConnected ? LinkEvent::Lost : LinkEvent::Quiet;
}

}  // namespace addin::dialogs
