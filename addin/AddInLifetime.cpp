#include "addin/AddInLifetime.h"

#include "addin/AddInDialogs.h"
#include "addin/device/CorvikApi.h"
#include "addin/dialogs/AddInPictures.h"
#include "addin/host/HostCall.h"
#include "addin/host/HostThread.h"
#include "addin/Language.h"
#include "addin/SampleCommands.h"
#include "addin/WorkbookSession.h"

#include "devicelink/link/DeviceApi.h"

namespace addin {

namespace {

struct PathState {
    HostOperand path{};
    bool held = false;
};

PathState& Path()
{
    static PathState state;
    return state;
}

// Runs the shut-down when the library is unloaded (or the process ends) without a close. Made
// after every process-wide object the shut-down uses, so that it goes before them.
class UnloadGuard {
public:
    UnloadGuard()
    {
        DevGetDriverState();
        device::CorvikApiSampling();
        Session();
        Dialogs();
        host::HostQueue();
        ReleaseLanguageModule();
        dialogs::ReleaseAddInPictures();
        Path();
    }
    ~UnloadGuard() { ShutDown(false); }
};

}  // namespace

void EnterFromHost()
{
    static UnloadGuard guard;
    host::HostQueue().EnterFromHost();
}

HostOperand* KeptPath()
{
    return Path().held ? &Path().path : nullptr;
}

HostOperand* AcquirePath()
{
    FreeKeptPath();
    PathState& p = Path();
    if (host::Call(xlGetName, &p.path, {}) != HOST_RESULT_OK || p.path.type != HOST_TYPE_STRING) {
        host::Free(p.path);
        return nullptr;
    }
    p.held = true;
    return &p.path;
}

void FreeKeptPath()
{
    PathState& p = Path();
    if (!p.held)
        return;
    host::Free(p.path);
    p.held = false;
}

void ShutDown(bool hostAvailable)
{
    Dialogs().DestroyAll();
    StopCounterThread();
    host::HostQueue().Shutdown();
    Session().Close();
    ReleaseLanguageModule();
    if (hostAvailable) {
        FreeKeptPath();
    } else {
        Path().held = false;
    }
}

}  // namespace addin
