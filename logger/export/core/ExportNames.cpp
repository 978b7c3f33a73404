#include "logger/export/core/ExportNames.h"

#include <filesystem>

namespace exporting {

ExportName SplitExportName(const std::string& chosenPath)
{
    const std::filesystem::path path(chosenPath);
    ExportName name;
    name.folder = path.parent_path().string();
    name.fileName = path.filename().string();
    name.stem = path.stem().string();
    return name;
}

std::string NumberedName(const std::string& stem, std::string_view suffix, std::string_view extension)
{
    std::string name = stem;
    name += '_';
    name += suffix;
    name += extension;
    return name;
}

std::string NumberedPath(const std::string& folder, const std::string& stem, std::string_view suffix,
                         std::string_view extension)
{
    return (std::filesystem::path(folder) / NumberedName(stem, suffix, extension)).string();
}

std::string DataSetSuffix(int k)
{
    return std::to_string(k + 1);
}

std::string AnalysisSuffix(int k, int s)
{
    return std::to_string(k + 1) + std::to_string(s + 1);
}

}  // namespace exporting
