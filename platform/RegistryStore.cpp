#include "platform/RegistryStore.h"

#include "platform/Text.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace platform {
namespace {

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

// Subkeys are written with '\' like registry paths; '/' is taken as the same separator.
std::string NormaliseKey(std::string_view subkey)
{
    std::string key = Lower(subkey);
    for (char& c : key)
        if (c == '/')
            c = '\\';
    while (!key.empty() && key.back() == '\\')
        key.pop_back();
    return key;
}

// %XX-escapes everything an INI line could misread, including the comment marks that would hide
// a name written at the start of a line.
std::string Escape(std::string_view s)
{
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (c < 0x20 || c == '%' || c == '=' || c == '[' || c == ']' || c == ';' || c == '#' || c == 0x7F) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += char(c);
        }
    }
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Unescape(std::string_view s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            const int hi = HexDigit(s[i + 1]);
            const int lo = HexDigit(s[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += char(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

std::string EncodeValue(const RegistryStore::Value& v)
{
    char buffer[16];
    switch (v.type) {
    case RegistryStore::Value::Type::Dword:
        std::snprintf(buffer, sizeof buffer, "%08x", v.dword);
        return std::string("dword:") + buffer;
    case RegistryStore::Value::Type::String:
        return "sz:" + Escape(Utf16ToUtf8(v.text));
    case RegistryStore::Value::Type::Binary: {
        std::string out = "hex:";
        for (uint8_t b : v.bytes) {
            std::snprintf(buffer, sizeof buffer, "%02x", b);
            out += buffer;
        }
        return out;
    }
    }
    return {};
}

bool DecodeValue(std::string_view text, RegistryStore::Value& v)
{
    if (text.starts_with("dword:")) {
        v.type = RegistryStore::Value::Type::Dword;
        v.dword = uint32_t(std::strtoul(std::string(text.substr(6)).c_str(), nullptr, 16));
        return true;
    }
    if (text.starts_with("sz:")) {
        v.type = RegistryStore::Value::Type::String;
        v.text = Utf8ToUtf16(Unescape(text.substr(3)));
        return true;
    }
    if (text.starts_with("hex:")) {
        v.type = RegistryStore::Value::Type::Binary;
        v.bytes.clear();
        const std::string_view digits = text.substr(4);
        for (size_t i = 0; i + 1 < digits.size(); i += 2) {
            const int hi = HexDigit(digits[i]);
            const int lo = HexDigit(digits[i + 1]);
            if (hi < 0 || lo < 0)
                return false;
            v.bytes.push_back(uint8_t(hi * 16 + lo));
        }
        return true;
    }
    return false;
}

// One INI file in memory: section -> name -> encoded value, all keys lower case.
using IniImage = std::map<std::string, std::map<std::string, std::string>>;

// A missing file is an empty store; false when the file is there but cannot be read whole, so that
// a write never replaces values it could not see.
bool ReadIni(const std::filesystem::path& file, IniImage& image)
{
    image.clear();
    std::ifstream in(file);
    if (!in) {
        std::error_code ec;
        const bool missing = !std::filesystem::exists(file, ec) && !ec;
        return missing;
    }
    std::string line;
    std::string section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            section = Unescape(std::string_view(line).substr(1, line.size() - 2));
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        image[section][Unescape(std::string_view(line).substr(0, eq))] = line.substr(eq + 1);
    }
    return !in.bad();
}

std::string FormatIni(const IniImage& image)
{
    std::ostringstream out;
    out << "; Corvik suite settings. Values: dword:<hex>, sz:<text>, hex:<bytes>.\n";
    for (const auto& [section, values] : image) {
        if (values.empty())
            continue;
        out << '[' << Escape(section) << "]\n";
        for (const auto& [name, value] : values)
            out << Escape(name) << '=' << value << '\n';
        out << '\n';
    }
    return out.str();
}

bool WriteAll(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

std::atomic<RegistryStore*> g_processRegistry{nullptr};

}  // namespace

bool RegistryStore::ReadDword(RegistryRoot root, std::string_view subkey, std::string_view name, uint32_t& out)
{
    Value v;
    if (!Get(root, NormaliseKey(subkey), Lower(name), v) || v.type != Value::Type::Dword)
        return false;
    out = v.dword;
    return true;
}

bool RegistryStore::WriteDword(RegistryRoot root, std::string_view subkey, std::string_view name, uint32_t value)
{
    Value v;
    v.type = Value::Type::Dword;
    v.dword = value;
    return Put(root, NormaliseKey(subkey), Lower(name), &v);
}

bool RegistryStore::ReadString(RegistryRoot root, std::string_view subkey, std::string_view name,
                               std::u16string& out, size_t capacity)
{
    Value v;
    if (!Get(root, NormaliseKey(subkey), Lower(name), v) || v.type != Value::Type::String)
        return false;
    if (v.text.size() + 1 > capacity)
        return false;
    out = v.text;
    return true;
}

bool RegistryStore::WriteString(RegistryRoot root, std::string_view subkey, std::string_view name,
                                std::u16string_view value)
{
    Value v;
    v.type = Value::Type::String;
    v.text = value;
    return Put(root, NormaliseKey(subkey), Lower(name), &v);
}

bool RegistryStore::ReadBinary(RegistryRoot root, std::string_view subkey, std::string_view name,
                               std::vector<uint8_t>& out, size_t capacity)
{
    Value v;
    if (!Get(root, NormaliseKey(subkey), Lower(name), v) || v.type != Value::Type::Binary)
        return false;
    if (v.bytes.size() > capacity)
        return false;
    out = v.bytes;
    return true;
}

bool RegistryStore::WriteBinary(RegistryRoot root, std::string_view subkey, std::string_view name,
                                const std::vector<uint8_t>& value)
{
    Value v;
    v.type = Value::Type::Binary;
    v.bytes = value;
    return Put(root, NormaliseKey(subkey), Lower(name), &v);
}

bool RegistryStore::DeleteValue(RegistryRoot root, std::string_view subkey, std::string_view name)
{
    return Put(root, NormaliseKey(subkey), Lower(name), nullptr);
}

// --- MemoryRegistryStore ---------------------------------------------------------------------

namespace {
std::string MemoryKey(RegistryRoot root, const std::string& key, const std::string& name)
{
    return (root == RegistryRoot::LocalMachine ? "hklm\\" : "hkcu\\") + key + '\x01' + name;
}
}  // namespace

bool MemoryRegistryStore::Get(RegistryRoot root, const std::string& key, const std::string& name, Value& out)
{
    std::lock_guard lock(mutex_);
    auto it = values_.find(MemoryKey(root, key, name));
    if (it == values_.end())
        return false;
    out = it->second;
    return true;
}

bool MemoryRegistryStore::Put(RegistryRoot root, const std::string& key, const std::string& name, const Value* value)
{
    std::lock_guard lock(mutex_);
    if (value)
        values_[MemoryKey(root, key, name)] = *value;
    else
        values_.erase(MemoryKey(root, key, name));
    return true;
}

// --- IniRegistryStore ------------------------------------------------------------------------

IniRegistryStore::IniRegistryStore(std::filesystem::path directory) : directory_(std::move(directory)) {}

std::filesystem::path IniRegistryStore::DefaultDirectory()
{
    if (const char* dir = std::getenv("CORVIK_REGISTRY_DIR"); dir && *dir)
        return dir;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        return std::filesystem::path(xdg) / "trevasco";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / ".config" / "trevasco";
}

std::filesystem::path IniRegistryStore::FileFor(RegistryRoot root) const
{
    return directory_ / (root == RegistryRoot::LocalMachine ? "hklm.ini" : "hkcu.ini");
}

bool IniRegistryStore::Get(RegistryRoot root, const std::string& key, const std::string& name, Value& out)
{
    IniImage image;
    if (!ReadIni(FileFor(root), image))
        return false;
    auto section = image.find(key);
    if (section == image.end())
        return false;
    auto value = section->second.find(name);
    if (value == section->second.end())
        return false;
    return DecodeValue(value->second, out);
}

bool IniRegistryStore::Put(RegistryRoot root, const std::string& key, const std::string& name, const Value* value)
{
    std::error_code ec;
    std::filesystem::create_directories(directory_, ec);
    const std::filesystem::path file = FileFor(root);

    // Serialise read-modify-write across processes.
    const std::string lockPath = file.string() + ".lock";
    const int lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lockFd < 0)
        return false;
    int locked;
    do {
        locked = ::flock(lockFd, LOCK_EX);
    } while (locked != 0 && errno == EINTR);
    IniImage image;
    if (locked != 0 || !ReadIni(file, image)) {
        ::close(lockFd);
        return false;
    }

    bool ok = false;
    if (value)
        image[key][name] = EncodeValue(*value);
    else if (auto it = image.find(key); it != image.end())
        it->second.erase(name);

    const std::string temp = file.string() + ".tmp." + std::to_string(::getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
        const bool written = WriteAll(fd, FormatIni(image)) && ::fsync(fd) == 0;
        ::close(fd);
        if (written && failBeforeRename_) {
            failBeforeRename_ = false;  // the "crash": the temporary file stays, the store is untouched
        } else if (written && ::rename(temp.c_str(), file.c_str()) == 0) {
            ok = true;
        } else {
            ::unlink(temp.c_str());
        }
    }
    ::flock(lockFd, LOCK_UN);
    ::close(lockFd);
    return ok;
}

RegistryStore& ProcessRegistry()
{
    if (RegistryStore* store = g_processRegistry.load(std::memory_order_acquire))
        return *store;
    static IniRegistryStore defaultStore(IniRegistryStore::DefaultDirectory());
    return defaultStore;
}

void SetProcessRegistry(RegistryStore* store)
{
    g_processRegistry.store(store, std::memory_order_release);
}

}  // namespace platform
