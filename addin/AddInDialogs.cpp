#include "addin/AddInDialogs.h"

namespace addin {

namespace {

std::unique_ptr<AddInDialogs>& Installed()
{
    static std::unique_ptr<AddInDialogs> dialogs = std::make_unique<AddInDialogs>();
    return dialogs;
}

}  // namespace

AddInDialogs& Dialogs()
{
    return *Installed();
}

void InstallDialogs(std::unique_ptr<AddInDialogs> dialogs)
{
    if (!dialogs)
        dialogs = std::make_unique<AddInDialogs>();
    Installed()->DestroyAll();
    Installed() = std::move(dialogs);
}

}  // namespace addin
