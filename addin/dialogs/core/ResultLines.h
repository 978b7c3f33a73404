#pragma once

#include <string>
#include <vector>

// The analysis result lines as one text: every line followed by "\n", the last one too (as the
// workbook's output buffer and the clipboard take them).
namespace addin {

inline std::u16string JoinLines(const std::vector<std::u16string>& lines)
{
    std::u16string text;
    for (const std::u16string& line : lines)
        text += line + u"\n";
    return text;
}

}  // namespace addin
