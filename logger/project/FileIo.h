#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Whole-buffer positioned file I/O for the project file. Every call reports failure; short reads
// at the end of a file are reported as the count actually read.
namespace logger::fileio {

class File {
public:
    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;

    // Opens an existing file for reading only.
    bool OpenRead(const std::string& path);
    // Opens an existing file for reading and writing; never creates.
    bool OpenReadWrite(const std::string& path);
    // Creates a file that does not exist yet (read/write for its owner); fails if it exists.
    bool CreateNew(const std::string& path);
    // Creates a uniquely named file next to `path` for writing it in full before a rename.
    bool CreateTempBeside(const std::string& path);

    bool IsOpen() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }

    // -1 on failure.
    int64_t Length() const;
    // Bytes read (fewer only at the end of the file), or -1 on an error.
    int64_t ReadAt(int64_t offset, void* buffer, size_t size) const;
    bool ReadExactAt(int64_t offset, void* buffer, size_t size) const;
    bool WriteAt(int64_t offset, const void* buffer, size_t size);
    bool Truncate(int64_t length);
    bool Sync();
    bool SetMode(unsigned mode);
    // False when closing reports a delayed write error.
    bool Close();

private:
    int fd_ = -1;
    std::string path_;
};

bool FileExists(const std::string& path);

// Copies `source` to `target` through a temporary file in the target's folder that is synced and
// then renamed over the target, so the target is either the old file or a complete copy. The new
// file is readable and writable by its owner.
bool CopyFileReplacing(const std::string& source, const std::string& target);

}  // namespace logger::fileio
