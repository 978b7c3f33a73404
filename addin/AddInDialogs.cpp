#include "addin/AddInDialogs.h"

#include "addin/dialogs/WindowDialogs.h"

namespace addin {

namespace {

std::unique_ptr<AddInDialogs>& Installed()
{
    static std::unique_ptr<AddInDialogs> dialogs = std::make_unique<::addin::dialogs::WindowDialogs>();
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
        dialogs = std::make_unique<::addin::dialogs::WindowDialogs>();
    Installed()->DestroyAll();
    Installed() = std::move(dialogs);
}

}  // namespace addin
