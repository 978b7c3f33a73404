#include "logger/project/WorkingCopySession.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "logger/project/FileIo.h"

namespace project {

namespace {

namespace fs = std::filesystem;

enum class LockOutcome { Locked, Busy, Unusable };

int OpenLockFile(const std::string& path)
{
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool SameFile(int fd, const std::string& path)
{
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

// A folder holds the working copy when it can be written (the working copy is made, replaced by
// a rename when a project is opened, and put aside by one) and the lock file can be had in it.
LockOutcome LockFolder(const std::string& folder, int& fd)
{
    fd = -1;
    if (folder.empty() || ::access(folder.c_str(), W_OK | X_OK) != 0)
        return LockOutcome::Unusable;
    const std::string working = (fs::path(folder) / ProjectFile::kWorkingName).string();
    if (fileio::FileExists(working) && ::access(working.c_str(), R_OK | W_OK) != 0)
        return LockOutcome::Unusable;
    const std::string lockPath = (fs::path(folder) / WorkingCopySession::kLockName).string();
    // The holder removes the lock file when it ends: a lock taken on a file that was removed
    // meanwhile guards nothing, so it is taken again on the file now there.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int lock = OpenLockFile(lockPath);
        if (lock < 0)
            return LockOutcome::Unusable;
        int result;
        do {
            result = ::flock(lock, LOCK_EX | LOCK_NB);
        } while (result != 0 && errno == EINTR);
        if (result != 0) {
            const int error = errno;
            ::close(lock);
            return error == EWOULDBLOCK ? LockOutcome::Busy : LockOutcome::Unusable;
        }
        if (SameFile(lock, lockPath)) {
            fd = lock;
            return LockOutcome::Locked;
        }
        ::close(lock);
    }
    return LockOutcome::Unusable;
}

std::string TwoDigits(int value)
{
    return std::string(1, char('0' + value / 10 % 10)) + char('0' + value % 10);
}

// "temp_project-20261209-054000.vrd" beside the working copy; "-2", "-3" ... when that is taken.
std::string FreeBackupPath(const std::string& folder, const ProjectTime& now)
{
    std::string stem = "temp_project-";
    if (now.year > 0 && now.month > 0 && now.day > 0 && now.hour < 24 && now.minute < 60 && now.second < 60) {
        stem += std::to_string(now.year) + TwoDigits(now.month) + TwoDigits(now.day) + "-" + TwoDigits(now.hour) +
                TwoDigits(now.minute) + TwoDigits(now.second);
    } else {
        stem += "backup";
    }
    for (int n = 1; n < 1000; ++n) {
        const std::string name = stem + (n == 1 ? "" : "-" + std::to_string(n)) + ".vrd";
        const std::string path = (fs::path(folder) / name).string();
        std::error_code error;
        if (!fs::exists(fs::symlink_status(path, error)))
            return path;
    }
    return {};
}

bool AllDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Removes the oldest backups in `folder` beyond the newest kKeptBackups, `kept` (the one just
// made) always among those that stay; how many went. Only regular files under our backup names
// are ever touched.
int RemoveOldBackups(const std::string& folder, const std::string& kept)
{
    struct Backup {
        fs::file_time_type written;
        std::string name;
        fs::path path;
    };
    std::vector<Backup> others;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code statError;
        if (!IsBackupName(name) || !fs::is_regular_file(it->symlink_status(statError)) ||
            it->path() == fs::path(kept))
            continue;
        const fs::file_time_type written = fs::last_write_time(it->path(), statError);
        if (!statError)
            others.push_back({written, name, it->path()});
    }
    const size_t stay = WorkingCopySession::kKeptBackups - 1;
    if (others.size() <= stay)
        return 0;
    std::sort(others.begin(), others.end(), [](const Backup& a, const Backup& b) {
        return a.written != b.written ? a.written > b.written : a.name > b.name;
    });
    int removed = 0;
    for (size_t i = stay; i < others.size(); ++i) {
        std::error_code removeError;
        removed += fs::remove(others[i].path, removeError) ? 1 : 0;
    }
    return removed;
}

}  // namespace

bool IsBackupName(const std::string& name)
{
    constexpr std::string_view kStem = "temp_project-";
    constexpr std::string_view kExtension = ".vrd";
    std::string_view rest = name;
    if (rest.size() <= kStem.size() + kExtension.size() || !rest.starts_with(kStem) || !rest.ends_with(kExtension))
        return false;
    rest = rest.substr(kStem.size(), rest.size() - kStem.size() - kExtension.size());
    constexpr std::string_view kNoClock = "backup";
    size_t stamp;
    if (rest.starts_with(kNoClock))
        stamp = kNoClock.size();
    else if (rest.size() >= 15 && AllDigits(rest.substr(0, 8)) && rest[8] == '-' && AllDigits(rest.substr(9, 6)))
        stamp = 15;
    else
        return false;
    rest = rest.substr(stamp);
    return rest.empty() || (rest[0] == '-' && AllDigits(rest.substr(1)));
}

WorkingCopySession::~WorkingCopySession()
{
    End();
}

void WorkingCopySession::End()
{
    // Removed while still held, so that no other program can take it in between; nothing of a
    // run is left in the data folder but the working copy.
    if (lockFd_ >= 0) {
        ::unlink((fs::path(folder_) / kLockName).c_str());
        ::close(lockFd_);
    }
    lockFd_ = -1;
    folder_.clear();
}

WorkingCopyStart WorkingCopySession::Begin(const std::string& dataFolder, const std::string& userFolder,
                                           const ProjectTime& now)
{
    End();
    WorkingCopyStart start;
    int fd = -1;
    LockOutcome outcome = LockFolder(dataFolder, fd);
    start.folder = dataFolder;
    if (outcome == LockOutcome::Unusable && !userFolder.empty()) {
        std::error_code ignored;
        fs::create_directories(userFolder, ignored);
        outcome = LockFolder(userFolder, fd);
        start.folder = userFolder;
        start.inUserFolder = true;
    }
    if (outcome != LockOutcome::Locked) {
        start.status = outcome == LockOutcome::Busy ? WorkingCopyStatus::InUse : WorkingCopyStatus::NoFolder;
        return start;
    }
    start.workingPath = (fs::path(start.folder) / ProjectFile::kWorkingName).string();

    // Only now, with the lock held, is the working copy this program's to replace.
    if (WorkingCopyHoldsData(start.workingPath)) {
        const std::string backup = FreeBackupPath(start.folder, now);
        if (backup.empty() || std::rename(start.workingPath.c_str(), backup.c_str()) != 0) {
            ::close(fd);
            start.status = WorkingCopyStatus::BackupFailed;
            return start;
        }
        start.backupPath = backup;
        start.removedBackups = RemoveOldBackups(start.folder, backup);
    }
    lockFd_ = fd;
    folder_ = start.folder;
    start.status = WorkingCopyStatus::Ready;
    return start;
}

std::string DatedProjectPath(const std::string& folder, const ProjectTime& now)
{
    return FreeBackupPath(folder, now);
}

std::string UserDataFolder()
{
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/')
        return (fs::path(xdg) / "corvik").string();
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
        return (fs::path(home) / ".local" / "share" / "corvik").string();
    return {};
}

bool WorkingCopyHoldsData(const std::string& path)
{
    fileio::File file;
    if (!file.OpenRead(path))
        return fileio::FileExists(path);
    const int64_t length = file.Length();
    if (length == 0)
        return false;
    ProjectFileHeader header{};
    auto head = std::make_unique<ProjectRecord>();
    if (length < kDataAreaOffset || !file.ReadExactAt(0, &header, sizeof header) ||
        header.magic != kProjectMagic || header.version <= kOldestRefusedVersion ||
        !file.ReadExactAt(kProjectRecordOffset, head.get(), sizeof *head))
        return true;
    return AnyRunInUse(head->block) || !NoteText(head->note).empty();
}

WorkingCopySession& ProcessWorkingCopy()
{
    static WorkingCopySession session;
    return session;
}

std::string WorkingCopyFolder(const std::string& fallback)
{
    const WorkingCopySession& session = ProcessWorkingCopy();
    return session.Active() ? session.Folder() : fallback;
}

}  // namespace project
