#pragma once

#include "platform/RegistryStore.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// The registry helpers of the programs' common services, over the process's registry store.
// Free of Qt: the add-in uses them as well.
namespace uikit {

using platform::RegistryRoot;

inline constexpr char kPlovexKey[] = "SOFTWARE\\Trevasco\\Plovex";
inline constexpr char kFullScreenValue[] = "FullScreen";

// Reads a value into the caller's buffer of `bufferSize` bytes: a 32-bit value as 4 bytes, a
// text as UTF-16 with its terminator, binary data as it is stored. 1 on success; 0 when the value
// is absent, empty or larger than the buffer (the buffer is then left untouched).
int RegReadValue(RegistryRoot root, std::string_view subkey, std::string_view name, void* buffer,
                 size_t bufferSize);
// 1 on success, 0 otherwise.
int RegWriteDword(RegistryRoot root, std::string_view subkey, std::string_view name, uint32_t value);

}  // namespace uikit
