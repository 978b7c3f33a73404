#pragma once

#include "logger/export/core/CsvExport.h"
#include "logger/export/core/HtmlReport.h"

// The message-box texts (language-module ids) of CSV export and the report. The first text of a
// box comes from here; the second names the file or data set concerned.
namespace exporting {

inline constexpr int kCsvProgressTitleId = 2990;
inline constexpr int kReportProgressTitleId = 2991;
// Putting the current data set back failed: no set is current.
inline constexpr int kCurrentSetLostTextId = 2995;

// 0 for a file written (nothing to tell).
int CsvResultTextId(CsvResult result);
int ReportResultTextId(ReportResultCode code);

}  // namespace exporting
