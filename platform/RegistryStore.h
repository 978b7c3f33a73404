#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// The few registry values the suite keeps (window mode, back-light, power time-outs, the add-in's
// data folder), under a machine-wide or a per-user root, a subkey path and a value name. Key and
// value names compare without regard to ASCII case, as the registry's do.
namespace platform {

enum class RegistryRoot { LocalMachine, CurrentUser };

class RegistryStore {
public:
    struct Value {
        enum class Type { Dword, String, Binary };
        Type type = Type::Dword;
        uint32_t dword = 0;
        std::u16string text;
        std::vector<uint8_t> bytes;
    };

    virtual ~RegistryStore() = default;

    bool ReadDword(RegistryRoot root, std::string_view subkey, std::string_view name, uint32_t& out);
    bool WriteDword(RegistryRoot root, std::string_view subkey, std::string_view name, uint32_t value);
    // Fails when the value is absent, of another type, or needs more than `capacity` units
    // including its terminator.
    bool ReadString(RegistryRoot root, std::string_view subkey, std::string_view name,
                    std::u16string& out, size_t capacity);
    bool WriteString(RegistryRoot root, std::string_view subkey, std::string_view name,
                     std::u16string_view value);
    // Fails when the value is absent, of another type, or larger than `capacity` bytes.
    bool ReadBinary(RegistryRoot root, std::string_view subkey, std::string_view name,
                    std::vector<uint8_t>& out, size_t capacity);
    bool WriteBinary(RegistryRoot root, std::string_view subkey, std::string_view name,
                     const std::vector<uint8_t>& value);
    bool DeleteValue(RegistryRoot root, std::string_view subkey, std::string_view name);

protected:
    virtual bool Get(RegistryRoot root, const std::string& key, const std::string& name, Value& out) = 0;
    virtual bool Put(RegistryRoot root, const std::string& key, const std::string& name, const Value* value) = 0;
};

// Values in memory only; for tests.
class MemoryRegistryStore : public RegistryStore {
protected:
    bool Get(RegistryRoot root, const std::string& key, const std::string& name, Value& out) override;
    bool Put(RegistryRoot root, const std::string& key, const std::string& name, const Value* value) override;

private:
    std::mutex mutex_;
    std::map<std::string, Value> values_;
};

// Values in two INI files (hklm.ini, hkcu.ini) in one folder. Every read looks at the file, so
// another process's writes are seen; every write goes to a temporary file that is renamed into
// place under a lock file, so a crash never leaves a half-written store.
class IniRegistryStore : public RegistryStore {
public:
    explicit IniRegistryStore(std::filesystem::path directory);

    // $CORVIK_REGISTRY_DIR, else $XDG_CONFIG_HOME/trevasco, else ~/.config/trevasco.
    static std::filesystem::path DefaultDirectory();
    std::filesystem::path FileFor(RegistryRoot root) const;

    // Makes the next write stop after the temporary file is written and before the rename, as a
    // crash there would; for tests.
    void FailNextWriteBeforeRename() { failBeforeRename_ = true; }

protected:
    bool Get(RegistryRoot root, const std::string& key, const std::string& name, Value& out) override;
    bool Put(RegistryRoot root, const std::string& key, const std::string& name, const Value* value) override;

private:
    std::filesystem::path directory_;
    bool failBeforeRename_ = false;
};

// The store the program uses: an IniRegistryStore at DefaultDirectory() unless a test set another.
RegistryStore& ProcessRegistry();
void SetProcessRegistry(RegistryStore* store);

}  // namespace platform
