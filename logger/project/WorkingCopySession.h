#pragma once

#include <cstdint>
#include <string>

#include "logger/project/ProjectFile.h"

// The working copy's life with the program: before the screens start a new project over it, the
// start-up chooses its folder (the data folder, or the user's own data folder when the data folder
// cannot be written), takes an exclusive lock that lasts until the program ends (a second
// instance is refused instead of truncating the first one's recording), and puts a working copy
// still holding data aside under a dated name (what a session that was killed left behind). Only
// the newest backups stay, so that a year of crashes does not fill the folder.
namespace project {

enum class WorkingCopyStatus : int32_t {
    Ready = 0,          // the folder is chosen and locked; NewProject may start over the working copy
    InUse = 1,          // another instance of the program holds this working copy
    NoFolder = 2,       // neither the data folder nor the user's data folder can be written
    BackupFailed = 3,   // the data left in the working copy could not be put aside; nothing changed
};

struct WorkingCopyStart {
    WorkingCopyStatus status = WorkingCopyStatus::NoFolder;
    std::string folder;          // where the working copy lives for this run
    std::string workingPath;     // folder/temp_project.vrd
    bool inUserFolder = false;   // the data folder cannot be written: the user's data folder is used
    std::string backupPath;      // the previous working copy with data, now under this name; empty if none
    int removedBackups = 0;      // older backups removed to keep the newest kKeptBackups
};

class WorkingCopySession {
public:
    static constexpr const char* kLockName = "temp_project.vrd.lock";
    // Backups kept beside the working copy, the one just made among them; older ones go.
    static constexpr int kKeptBackups = 10;

    WorkingCopySession() = default;
    ~WorkingCopySession();
    WorkingCopySession(const WorkingCopySession&) = delete;
    WorkingCopySession& operator=(const WorkingCopySession&) = delete;

    // Chooses, locks and clears the way for the working copy. `now` names a backup. A session
    // begun again lets its earlier lock go first.
    WorkingCopyStart Begin(const std::string& dataFolder, const std::string& userFolder, const ProjectTime& now);
    // Lets the lock go (the program ends).
    void End();
    bool Active() const { return lockFd_ >= 0; }
    const std::string& Folder() const { return folder_; }

private:
    int lockFd_ = -1;
    std::string folder_;
};

// The user's own data folder for the program: $XDG_DATA_HOME/corvik, else ~/.local/share/corvik.
std::string UserDataFolder();

// A free name for a project put aside in `folder`: "temp_project-YYYYMMDD-HHMMSS.vrd" of `now`,
// "-2", "-3" ... when that is taken; empty when none is free.
std::string DatedProjectPath(const std::string& folder, const ProjectTime& now);
// True for the names the start-up gives backups: "temp_project-<yyyymmdd>-<hhmmss>[-n].vrd", or
// "temp_project-backup[-n].vrd" when the clock was not known.
bool IsBackupName(const std::string& name);

// True when the file at `path` holds something a user made: a data set in use or a project note,
// or content that cannot be told for an empty project (it is kept rather than judged).
bool WorkingCopyHoldsData(const std::string& path);

// The session of this process, begun by the program's start-up and ended at its exit.
WorkingCopySession& ProcessWorkingCopy();
// The folder of the process's session, or `fallback` while none is active.
std::string WorkingCopyFolder(const std::string& fallback);

}  // namespace project
