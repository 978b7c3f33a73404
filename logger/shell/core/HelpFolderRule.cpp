#include "logger/shell/core/HelpFolderRule.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace shell {

namespace {

namespace fs = std::filesystem;

// The path with every symbolic link of its existing part followed and ".." resolved.
bool Resolved(const std::string& path, fs::path& out)
{
    std::error_code error;
    out = fs::weakly_canonical(fs::absolute(path, error), error);
    return !error && !out.empty();
}

}  // namespace

std::string HelpFolderOf(const std::string& dataFolder)
{
    return (fs::path(dataFolder) / "Sensors").string();
}

bool IsInsideHelpFolder(const std::string& helpFolder, const std::string& path)
{
    if (helpFolder.empty() || path.empty())
        return false;
    fs::path folder;
    fs::path target;
    if (!Resolved(helpFolder, folder) || !Resolved(path, target))
        return false;
    // Compared part by part, so that ".../Sensors-old" is not taken for ".../Sensors".
    auto folderEnd = folder.end();
    if (!folder.empty() && folder.filename().empty())
        --folderEnd;  // a trailing separator
    const auto mismatch = std::mismatch(folder.begin(), folderEnd, target.begin(), target.end());
    return mismatch.first == folderEnd;
}

}  // namespace shell
