#pragma once

#include <string>

// The help viewer keeps to the help pages: a page, picture or style sheet is shown only when it
// lies inside the help folder once every "..", "." and symbolic link on its way is resolved. A
// link to a file elsewhere on the machine (a "file:" address, a climb out with "..", an absolute
// path, a link inside the folder that points out of it) is refused.
namespace shell {

// "<data folder>/Sensors", where the program's help pages are.
std::string HelpFolderOf(const std::string& dataFolder);

// True when `path` (absolute, or relative to the current directory) names something inside
// `helpFolder` or the folder itself; a path that does not exist is judged by where it would be.
bool IsInsideHelpFolder(const std::string& helpFolder, const std::string& path);

}  // namespace shell
