#include "uikit/resources/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace uikit {

QStringList DataFolderCandidates(const QString& currentDir, const QString& executableDir)
{
    QStringList candidates;
    const auto add = [&candidates](const QString& path) {
        if (path.isEmpty())
            return;
        const QString clean = QDir::cleanPath(QDir(path).absolutePath());
        if (!candidates.contains(clean))
            candidates.append(clean);
    };
    add(currentDir);
    if (!executableDir.isEmpty()) {
        const QDir exe(executableDir);
        add(exe.filePath(QStringLiteral("../share/corvik")));
        add(exe.filePath(QStringLiteral("../share")));
    }
    return candidates;
}

DataFolderSearch FindDataFolder(const QString& marker, const QStringList& candidates)
{
    DataFolderSearch search;
    search.marker = marker;
    for (const QString& folder : candidates) {
        search.tried.append(folder);
        if (QFileInfo(QDir(folder).filePath(marker)).isFile()) {
            search.folder = folder;
            break;
        }
    }
    return search;
}

DataFolderSearch EnterDataFolder(const QString& marker)
{
    const DataFolderSearch search =
        FindDataFolder(marker, DataFolderCandidates(QDir::currentPath(), QCoreApplication::applicationDirPath()));
    if (search.Found() && QDir::cleanPath(QDir::currentPath()) != search.folder && !QDir::setCurrent(search.folder)) {
        // Found but not enterable (no search permission): as good as not found.
        DataFolderSearch refused = search;
        refused.folder.clear();
        return refused;
    }
    return search;
}

QString DataFolderSearchReport(const DataFolderSearch& search, const QString& missingLabel,
                               const QString& lookedLabel)
{
    return missingLabel + QLatin1Char(' ') + search.marker + QStringLiteral(". ") + lookedLabel + QLatin1Char(' ') +
           search.tried.join(QStringLiteral("; "));
}

}  // namespace uikit
