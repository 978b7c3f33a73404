#pragma once

#include "tools/xlhost/Host.h"

#include "platform/RegistryStore.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

// What the add-in's suites share: a registry of their own in a fresh folder, with the data
// folder pointing at the build's share directory (catalogue and language module), and a
// stand-in host.
namespace addintest {

inline std::filesystem::path BuildShare()
{
    return std::filesystem::path(CORVIK_BINARY_DIR) / "share";
}

// The registry the add-in reads: made once per process, before the add-in first looks.
inline platform::IniRegistryStore& TestRegistry()
{
    static const std::filesystem::path dir = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "addin-registry-XXXXXX").string();
        const char* made = mkdtemp(pattern.data());
        setenv("CORVIK_REGISTRY_DIR", made ? made : pattern.c_str(), 1);
        return std::filesystem::path(made ? made : pattern.c_str());
    }();
    static platform::IniRegistryStore store(dir);
    return store;
}

inline void SetDataFolder(const std::filesystem::path& folder)
{
    TestRegistry().WriteString(platform::RegistryRoot::CurrentUser, "Software\\Trevasco", "CORVIKWORKPATH",
                               platform::Utf8ToUtf16(folder.string()));
}

inline void ForgetDataFolder()
{
    TestRegistry().DeleteValue(platform::RegistryRoot::CurrentUser, "Software\\Trevasco", "CORVIKWORKPATH");
}

inline std::string Utf8(const std::u16string& text)
{
    return platform::Utf16ToUtf8(text);
}

inline std::vector<std::string> AlertTexts(const xlhost::Host& host)
{
    std::vector<std::string> texts;
    for (const xlhost::AlertRecord& alert : host.Alerts())
        texts.push_back(Utf8(alert.text));
    return texts;
}

inline std::string CellText(const xlhost::Host& host, int32_t row, int32_t column)
{
    return Utf8(host.Cells().TextAt(row, column));
}

}  // namespace addintest
