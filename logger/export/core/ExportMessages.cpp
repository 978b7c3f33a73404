#include "logger/export/core/ExportMessages.h"

namespace exporting {

int CsvResultTextId(CsvResult result)
{
    switch (result) {
    case CsvResult::Written:
    case CsvResult::Pending:
        return 0;
    case CsvResult::OpenFailed:
    case CsvResult::WriteFailed:
        return 2992;
    case CsvResult::LoadFailed:
        return 2993;
    case CsvResult::Cancelled:
        return 2994;
    case CsvResult::SaveFailed:
        return 2996;
    case CsvResult::Suppressed:
        return 3001;
    }
    return 2992;
}

int ReportResultTextId(ReportResultCode code)
{
    switch (code) {
    case ReportResultCode::Written:
        return 0;
    case ReportResultCode::TemplateMissing:
        return 2997;
    case ReportResultCode::TemplateDamaged:
        return 2998;
    case ReportResultCode::SaveFailed:
        return 2996;
    case ReportResultCode::FolderFailed:
        return 3000;
    case ReportResultCode::LoadFailed:
        return 3002;
    case ReportResultCode::PictureFailed:
    case ReportResultCode::CsvFailed:
    case ReportResultCode::WriteFailed:
        return 2999;
    }
    return 2999;
}

}  // namespace exporting
