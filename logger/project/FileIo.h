#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Whole-buffer positioned file I/O for the project file. Every call reports failure; short reads
// at the end of a file are reported as the count actually read.
namespace project::fileio {

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

// A failing disk, for trying what the program does about one: while `errorNumber` is not 0 (say
// ENOSPC), every write of this file layer to a file under `folder` (to any file when it is empty)
// fails with it. `room` bytes are written first, as on a nearly full disk: the write that passes
// them writes what still fits and then fails. 0, the default, writes normally. Any thread may set
// it.
void SetWriteFault(int errorNumber, const std::string& folder = {}, int64_t room = 0);

// A file that replaces `target` whole or not at all: it is written as a temporary file in the
// target's folder, synced and renamed over the target only by Commit. Until then the target is
// untouched; a replacement not committed is removed when the object goes.
class ReplacingFile {
public:
    ReplacingFile() = default;
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    ReplacingFile(ReplacingFile&& other) noexcept;
    ReplacingFile& operator=(ReplacingFile&& other) noexcept;

    // Creates the temporary file beside `target`, open for writing.
    bool Begin(const std::string& target);
    // Appends; false once any write has failed.
    bool Write(const void* data, size_t size);
    // Closes the temporary file, so that another writer can fill it by its path (TempPath).
    bool Close();
    // The temporary file is complete: its permissions as the target's, synced, closed. Reopens
    // it when another writer filled it; false when it is missing or empty of what was written.
    bool Finish();
    // Finish (when not done yet), then the rename over the target.
    bool Commit();
    // Removes the temporary file; the target stays as it was.
    void Discard();

    const std::string& Target() const { return target_; }
    const std::string& TempPath() const { return temp_; }
    bool Failed() const { return failed_; }

private:
    File file_;
    std::string target_;
    std::string temp_;
    int64_t written_ = 0;
    bool failed_ = false;
    bool finished_ = false;
};

// Copies `source` to `target` through a temporary file in the target's folder that is synced and
// then renamed over the target, so the target is either the old file or a complete copy. The new
// file is readable and writable by its owner.
bool CopyFileReplacing(const std::string& source, const std::string& target);

}  // namespace project::fileio
