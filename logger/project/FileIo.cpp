#include "logger/project/FileIo.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace project::fileio {

namespace {

constexpr mode_t kNewFileMode = S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH;
constexpr size_t kCopyChunk = 1 << 20;

struct WriteFault {
    std::atomic<bool> set{false};
    std::mutex mutex;
    int error = 0;
    std::string folder;   // ends with '/'; empty: every file
    int64_t room = 0;     // bytes still written before the fault strikes
};

WriteFault& Fault()
{
    static WriteFault fault;
    return fault;
}

// How many of `size` bytes a write to `path` may write before a write fault stops it (all of them
// when no fault covers the path); errno takes the fault's error when fewer are allowed.
size_t WriteAllowance(const std::string& path, size_t size)
{
    WriteFault& fault = Fault();
    if (!fault.set.load(std::memory_order_acquire))
        return size;
    std::lock_guard lock(fault.mutex);
    if (fault.error == 0 || path.compare(0, fault.folder.size(), fault.folder) != 0)
        return size;
    const size_t allowed = size_t(std::min<int64_t>(fault.room, int64_t(size)));
    fault.room -= int64_t(allowed);
    if (allowed < size)
        errno = fault.error;
    return allowed;
}

int OpenRetrying(const char* path, int flags, mode_t mode = 0)
{
    int fd;
    do {
        fd = ::open(path, flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Best effort: makes a rename inside the folder durable.
void SyncFolderOf(const std::string& path)
{
    std::string folder = std::filesystem::path(path).parent_path().string();
    if (folder.empty())
        folder = ".";
    const int fd = OpenRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A replaced file keeps its permissions, plus read and write for its owner; a new one gets the
// usual permissions of a new file.
mode_t ModeForReplacing(const std::string& target)
{
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0)
        return (st.st_mode & 07777) | S_IRUSR | S_IWUSR;
    return kNewFileMode;
}

}  // namespace

File::~File()
{
    Close();
}

File::File(File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_))
{
}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

bool File::OpenRead(const std::string& path)
{
    Close();
    fd_ = OpenRetrying(path.c_str(), O_RDONLY);
    path_ = path;
    return fd_ >= 0;
}

bool File::OpenReadWrite(const std::string& path)
{
    Close();
    fd_ = OpenRetrying(path.c_str(), O_RDWR);
    path_ = path;
    return fd_ >= 0;
}

bool File::CreateNew(const std::string& path)
{
    Close();
    fd_ = OpenRetrying(path.c_str(), O_RDWR | O_CREAT | O_EXCL, kNewFileMode);
    path_ = path;
    return fd_ >= 0;
}

bool File::CreateTempBeside(const std::string& path)
{
    Close();
    std::vector<char> name(path.begin(), path.end());
    for (char c : std::string_view(".tmp-XXXXXX"))
        name.push_back(c);
    name.push_back('\0');
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0)
        return false;
    path_ = name.data();
    return true;
}

int64_t File::Length() const
{
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return -1;
    return int64_t(st.st_size);
}

int64_t File::ReadAt(int64_t offset, void* buffer, size_t size) const
{
    if (fd_ < 0 || offset < 0)
        return -1;
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd_, out + done, size - done, off_t(offset + int64_t(done)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += size_t(n);
    }
    return int64_t(done);
}

bool File::ReadExactAt(int64_t offset, void* buffer, size_t size) const
{
    return ReadAt(offset, buffer, size) == int64_t(size);
}

bool File::WriteAt(int64_t offset, const void* buffer, size_t size)
{
    if (fd_ < 0 || offset < 0)
        return false;
    const size_t allowed = WriteAllowance(path_, size);
    const auto* in = static_cast<const uint8_t*>(buffer);
    size_t done = 0;
    while (done < allowed) {
        const ssize_t n = ::pwrite(fd_, in + done, allowed - done, off_t(offset + int64_t(done)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return false;
        done += size_t(n);
    }
    return allowed == size;
}

bool File::Truncate(int64_t length)
{
    return fd_ >= 0 && ::ftruncate(fd_, off_t(length)) == 0;
}

bool File::Sync()
{
    return fd_ >= 0 && ::fsync(fd_) == 0;
}

bool File::SetMode(unsigned mode)
{
    return fd_ >= 0 && ::fchmod(fd_, mode_t(mode)) == 0;
}

bool File::Close()
{
    if (fd_ < 0)
        return true;
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0;
}

void SetWriteFault(int errorNumber, const std::string& folder, int64_t room)
{
    WriteFault& fault = Fault();
    std::lock_guard lock(fault.mutex);
    fault.error = errorNumber;
    fault.room = std::max<int64_t>(room, 0);
    fault.folder = folder.empty() || folder.back() == '/' ? folder : folder + '/';
    fault.set.store(errorNumber != 0, std::memory_order_release);
}

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

ReplacingFile::~ReplacingFile()
{
    Discard();
}

ReplacingFile::ReplacingFile(ReplacingFile&& other) noexcept
    : file_(std::move(other.file_)),
      target_(std::move(other.target_)),
      temp_(std::exchange(other.temp_, {})),
      written_(other.written_),
      failed_(other.failed_),
      finished_(other.finished_)
{
}

ReplacingFile& ReplacingFile::operator=(ReplacingFile&& other) noexcept
{
    if (this != &other) {
        Discard();
        file_ = std::move(other.file_);
        target_ = std::move(other.target_);
        temp_ = std::exchange(other.temp_, {});
        written_ = other.written_;
        failed_ = other.failed_;
        finished_ = other.finished_;
    }
    return *this;
}

bool ReplacingFile::Begin(const std::string& target)
{
    Discard();
    target_ = target;
    written_ = 0;
    finished_ = false;
    failed_ = !file_.CreateTempBeside(target);
    if (!failed_)
        temp_ = file_.Path();
    return !failed_;
}

bool ReplacingFile::Write(const void* data, size_t size)
{
    if (failed_ || finished_ || !file_.IsOpen() || !file_.WriteAt(written_, data, size)) {
        failed_ = true;
        return false;
    }
    written_ += int64_t(size);
    return true;
}

bool ReplacingFile::Close()
{
    if (!file_.Close())
        failed_ = true;
    return !failed_;
}

bool ReplacingFile::Finish()
{
    if (finished_)
        return !failed_;
    if (failed_ || temp_.empty())
        return false;
    // Another writer may have filled it by its path: it must still be there.
    if (!file_.IsOpen() && !file_.OpenReadWrite(temp_))
        failed_ = true;
    failed_ = failed_ || file_.Length() < written_ || !file_.SetMode(ModeForReplacing(target_)) || !file_.Sync();
    failed_ = !file_.Close() || failed_;
    finished_ = true;
    return !failed_;
}

bool ReplacingFile::Commit()
{
    if (!Finish())
        return false;
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
        failed_ = true;
        return false;
    }
    temp_.clear();
    SyncFolderOf(target_);
    return true;
}

void ReplacingFile::Discard()
{
    file_.Close();
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

bool CopyFileReplacing(const std::string& source, const std::string& target)
{
    File in;
    if (!in.OpenRead(source))
        return false;
    ReplacingFile out;
    if (!out.Begin(target))
        return false;
    std::vector<uint8_t> buffer(kCopyChunk);
    int64_t offset = 0;
    for (;;) {
        const int64_t n = in.ReadAt(offset, buffer.data(), buffer.size());
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (!out.Write(buffer.data(), size_t(n)))
            return false;
        offset += n;
    }
    return out.Commit();
}

}  // namespace project::fileio
