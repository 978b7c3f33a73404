#include "uikit/registry/RegistryValues.h"

#include <cstring>
#include <string>
#include <vector>

namespace uikit {

int RegReadValue(RegistryRoot root, std::string_view subkey, std::string_view name, void* buffer,
                 size_t bufferSize)
{
    if (!buffer || bufferSize == 0)
        return 0;
    platform::RegistryStore& store = platform::ProcessRegistry();
    uint32_t dword = 0;
    if (store.ReadDword(root, subkey, name, dword)) {
        if (bufferSize < sizeof dword)
            return 0;
        std::memcpy(buffer, &dword, sizeof dword);
        return 1;
    }
    std::u16string text;
    if (store.ReadString(root, subkey, name, text, bufferSize / sizeof(char16_t))) {
        std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(char16_t));
        return 1;
    }
    std::vector<uint8_t> bytes;
    if (store.ReadBinary(root, subkey, name, bytes, bufferSize) && !bytes.empty()) {
        std::memcpy(buffer, bytes.data(), bytes.size());
        return 1;
    }
    return 0;
}

int RegWriteDword(RegistryRoot root, std::string_view subkey, std::string_view name, uint32_t value)
{
    return platform::ProcessRegistry().WriteDword(root, subkey, name, value) ? 1 : 0;
}

}  // namespace uikit
