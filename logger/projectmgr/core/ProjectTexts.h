#pragma once

#include "logger/project/ProjectRecord.h"
#include "logger/project/WorkingCopySession.h"

// The language-module texts of the project manager: popup menu 152, the file dialogs, the
// questions asked before anything recorded is given up, and the failures of project operations
// (a first text saying what failed, a second saying why).
namespace projectmgr {

// Texts the screen shares with the rest of the program.
inline constexpr int kTextGraph = 2054;
inline constexpr int kTextNewProjectTitle = 2066;
inline constexpr int kTextCsvFile = 2203;
inline constexpr int kTextAllFiles = 2204;
inline constexpr int kTextAuthor = 2217;
inline constexpr int kTextSchool = 2218;

// Popup menu 152.
inline constexpr int kTextMenuNew = 2960;
inline constexpr int kTextMenuOpen = 2961;
inline constexpr int kTextMenuSave = 2962;
inline constexpr int kTextMenuSaveOther = 2963;
inline constexpr int kTextMenuCsv = 2964;
inline constexpr int kTextMenuHtml = 2965;
inline constexpr int kTextMenuOptions = 2966;
// File dialog titles.
inline constexpr int kTextOpenTitle = 2967;
inline constexpr int kTextSaveAsTitle = 2968;
inline constexpr int kTextCsvTitle = 2969;
inline constexpr int kTextReportTitle = 2970;
// Questions.
inline constexpr int kTextAskNewProject = 2971;
inline constexpr int kTextAskOpen = 2972;
inline constexpr int kTextAskReplaceFile = 2973;
inline constexpr int kTextAskDeleteDataSet = 2974;
inline constexpr int kTextAskDeleteNote = 2975;

// What failed.
enum class Operation { NewProject, Open, Save, Delete, Change };
int OperationTextId(Operation operation);
// Why: 0 for Ok.
int ReasonTextId(project::ProjectResult result);
// "There is no recorded data set yet": the commands that need data say it as their only text.
inline constexpr int kTextNothingRecorded = 2984;

// Start-up of the working copy: what the root window tells the user. The first text of a box;
// the second is the path (backup, folder) where there is one. 0 for Ready without a backup.
inline constexpr int kTextSecondInstance = 2986;
inline constexpr int kTextBackupKept = 2987;
// In place of kTextBackupKept when older backups were removed to make room.
inline constexpr int kTextBackupKeptOlderRemoved = 3240;
inline constexpr int kTextUserFolder = 2988;
inline constexpr int kTextNoWorkingCopy = 2989;
int WorkingCopyTextId(project::WorkingCopyStatus status);

}  // namespace projectmgr
