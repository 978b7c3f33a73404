#include "addin/dialogs/AddInPictures.h"

#include "addin/device/CorvikApi.h"
#include "uikit/resources/ResourceModule.h"

#include <QCoreApplication>
#include <QString>

#include <memory>

namespace addin::dialogs {

namespace {

std::unique_ptr<uikit::ResourceModule>& Module()
{
    static std::unique_ptr<uikit::ResourceModule> module;
    return module;
}

}  // namespace

QPixmap AddInBitmap(int id)
{
    std::unique_ptr<uikit::ResourceModule>& module = Module();
    if (!module)
        module = std::make_unique<uikit::ResourceModule>(QString::fromStdString(device::DataFile(uikit::kAddInBitmapsName)));
    return module->Bitmap(id);
}

void ReleaseAddInPictures()
{
    // Pictures outliving the application are left alone: freeing them needs it.
    if (QCoreApplication::instance())
        Module().reset();
    else
        static_cast<void>(Module().release());
}

}  // namespace addin::dialogs
