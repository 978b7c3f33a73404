#pragma once

#include <string>
#include <string_view>

// Where the files of an export go. A chosen name gives one stem, its file name without the last
// extension, and every file is named from it: folder + stem + "_k.csv" for CSV export, and for a
// report the folder folder/stem holding stem.html (the chosen file name), stem_k.bmp,
// stem_k.csv and stem_ks.bmp.
namespace exporting {

struct ExportName {
    std::string folder;   // empty for the current folder
    std::string stem;
    std::string fileName; // the chosen file name itself
};

// "F/run.csv" -> F, run, run.csv; "F/csv.data.csv" -> F, csv.data; "F/lab" -> F, lab.
ExportName SplitExportName(const std::string& chosenPath);

// folder + "/" + stem + "_" + suffix + extension (extension with its dot).
std::string NumberedPath(const std::string& folder, const std::string& stem, std::string_view suffix,
                         std::string_view extension);
std::string NumberedName(const std::string& stem, std::string_view suffix, std::string_view extension);

// The files of data set k (0..3) and of its analysis set s (0..3).
std::string DataSetSuffix(int k);
std::string AnalysisSuffix(int k, int s);

}  // namespace exporting
