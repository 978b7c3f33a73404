#include "uikit/resources/FallbackTexts.h"

#include "uikit/resources/DataFolder.h"

namespace uikit {

QString FallbackText(int id)
{
    switch (id) {
    case 2034: return QStringLiteral("OK");
    case 2035: return QStringLiteral("Cancel");
    case 2800: return QStringLiteral("Not enough memory to start the program.");
    case 3020: return QStringLiteral("The sensor catalogue could not be read. The program will close.");
    case 3021: return QStringLiteral("No Corvik logger was found. Connect the logger and start the program again.");
    case kTextDataFolderMissing:
        return QStringLiteral("The program's data folder was not found.");
    case kTextDataFileMissing: return QStringLiteral("Missing:");
    case kTextDataFolderLooked: return QStringLiteral("Looked in:");
    default: return {};
    }
}

}  // namespace uikit
