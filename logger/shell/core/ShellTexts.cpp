#include "logger/shell/core/ShellTexts.h"

#include "devicelink/catalogue/SensorCatalogue.h"

namespace shell {

int CatalogueFailureTextId(int xmlLoaded, int32_t catalogueResult)
{
    if (xmlLoaded != 1)
        return kTextCatalogueUnreadable;
    switch (catalogueResult) {
    case devicelink::kCatalogueDeviceNotOpen:
        return kTextNoLogger;
    case devicelink::kCatalogueVersionTooOld:
        return kTextCatalogueTooOld;
    case devicelink::kCatalogueFirmwareTooOld:
        return kTextFirmwareTooOld;
    default:
        return kTextCatalogueDamaged;
    }
}

}  // namespace shell
