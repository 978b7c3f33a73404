#pragma once

#include <QString>
#include <QStringList>

// Where a program of the suite finds its data folder (the catalogue, the language and picture
// modules, the help pages, the report template, the firmware tool's texts). The programs read
// everything from their current directory, which a shortcut sets on a desktop; started from
// anywhere else, they look beside their executable: the data folder of an installed copy
// (bin/../share/corvik), then that of a build (<build>/<program folder>/../share).
namespace uikit {

// The language texts that tell the user the data folder was not found.
inline constexpr int kTextDataFolderMissing = 3200;  // text 1 of the box
inline constexpr int kTextDataFileMissing = 3201;    // "<this> <file>" opens text 2
inline constexpr int kTextDataFolderLooked = 3202;   // then "<this>" and the folders tried

// The file that marks the data folder of each program.
inline constexpr char kProgramDataMarker[] = "sensor_korean.xml";
inline constexpr char kFirmwareDataMarker[] = "CorvikUpgradeString.xml";

struct DataFolderSearch {
    QString marker;      // the file looked for
    QString folder;      // the folder that holds it; empty when none does
    QStringList tried;   // every folder looked in, in order, as absolute clean paths
    bool Found() const { return !folder.isEmpty(); }
};

// The folders to look in, in order: the current directory, then the installed and the build
// layouts beside the executable's folder. Duplicates are dropped.
QStringList DataFolderCandidates(const QString& currentDir, const QString& executableDir);

// The first candidate that holds `marker` as a file.
DataFolderSearch FindDataFolder(const QString& marker, const QStringList& candidates);

// Finds the data folder of the running program (current directory, then beside
// QCoreApplication::applicationDirPath()) and makes it the current directory, so that every part
// that reads "the current directory" reads the data folder. Leaves the current directory as it
// was when none is found.
DataFolderSearch EnterDataFolder(const QString& marker);

// The second text of the "not found" notice: what is missing and where it was looked for.
QString DataFolderSearchReport(const DataFolderSearch& search, const QString& missingLabel,
                               const QString& lookedLabel);

}  // namespace uikit
