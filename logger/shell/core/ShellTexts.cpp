#include "logger/shell/core/ShellTexts.h"

#include "devicelink/catalogue/SensorCatalogue.h"
#include "devicelink/link/LinkOpenFailure.h"

namespace shell {

int CatalogueFailureTextId(int xmlLoaded, int32_t catalogueResult, int openFailure)
{
    if (xmlLoaded != 1)
        return kTextCatalogueUnreadable;
    switch (catalogueResult) {
    case devicelink::kCatalogueDeviceNotOpen:
        switch (devicelink::LinkOpenFailure(openFailure)) {
        case devicelink::LinkOpenFailure::InUse:
            return kTextLoggerInUse;
        case devicelink::LinkOpenFailure::NoPermission:
            return kTextLoggerNoPermission;
        default:
            return kTextNoLogger;
        }
    case devicelink::kCatalogueVersionTooOld:
        return kTextCatalogueTooOld;
    case devicelink::kCatalogueFirmwareTooOld:
        return kTextFirmwareTooOld;
    default:
        return kTextCatalogueDamaged;
    }
}

}  // namespace shell
