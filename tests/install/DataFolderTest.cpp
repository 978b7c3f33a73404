// Where a program finds its data folder: the current directory first, then an installed copy's
// folder beside the executable, then a build's; and what it says when none holds the data.
#include "uikit/resources/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using uikit::DataFolderCandidates;
using uikit::FindDataFolder;

class DataFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        for (const char* folder : {"cwd", "prefix/bin", "prefix/share/corvik", "build/logger", "build/share"})
            ASSERT_TRUE(QDir(root.path()).mkpath(QString::fromLatin1(folder)));
    }
    QString Path(const char* relative) const { return QDir::cleanPath(root.filePath(QString::fromLatin1(relative))); }
    void Put(const char* relative) const
    {
        QFile file(Path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QTemporaryDir root;
};

TEST_F(DataFolder, CandidatesAreTheCurrentDirectoryThenTheInstallThenTheBuild)
{
    EXPECT_EQ(DataFolderCandidates(Path("cwd"), Path("prefix/bin")),
              (QStringList{Path("cwd"), Path("prefix/share/corvik"), Path("prefix/share")}));
    // Started from its own folder's parent share: no folder twice.
    EXPECT_EQ(DataFolderCandidates(Path("build/share"), Path("build/logger")),
              (QStringList{Path("build/share"), Path("build/share/corvik")}));
    EXPECT_EQ(DataFolderCandidates(Path("cwd"), QString()), QStringList{Path("cwd")});
}

TEST_F(DataFolder, TheFirstFolderHoldingTheMarkerWins)
{
    Put("prefix/share/corvik/sensor_korean.xml");
    Put("build/share/sensor_korean.xml");
    const QStringList fromInstall = DataFolderCandidates(Path("cwd"), Path("prefix/bin"));
    const uikit::DataFolderSearch installed = FindDataFolder(QStringLiteral("sensor_korean.xml"), fromInstall);
    EXPECT_EQ(installed.folder, Path("prefix/share/corvik"));
    EXPECT_EQ(installed.tried, (QStringList{Path("cwd"), Path("prefix/share/corvik")}));

    const QStringList fromBuild = DataFolderCandidates(Path("cwd"), Path("build/logger"));
    EXPECT_EQ(FindDataFolder(QStringLiteral("sensor_korean.xml"), fromBuild).folder, Path("build/share"));

    // The current directory comes first when it holds the data; a folder of that name is no file.
    Put("cwd/sensor_korean.xml");
    EXPECT_EQ(FindDataFolder(QStringLiteral("sensor_korean.xml"), fromInstall).folder, Path("cwd"));
    ASSERT_TRUE(QDir(Path("cwd")).mkpath(QStringLiteral("CorvikUpgradeString.xml")));
    EXPECT_FALSE(FindDataFolder(QStringLiteral("CorvikUpgradeString.xml"), fromInstall).Found());
}

TEST_F(DataFolder, NowhereNamesTheFileAndEveryFolderTried)
{
    const uikit::DataFolderSearch search =
        FindDataFolder(QStringLiteral("sensor_korean.xml"), DataFolderCandidates(Path("cwd"), Path("prefix/bin")));
    EXPECT_FALSE(search.Found());
    EXPECT_EQ(search.tried.size(), 3);
    EXPECT_EQ(uikit::DataFolderSearchReport(search, QStringLiteral("Missing:"), QStringLiteral("Looked in:")),
              QStringLiteral("Missing: sensor_korean.xml. Looked in: ") + Path("cwd") + QStringLiteral("; ") +
                  Path("prefix/share/corvik") + QStringLiteral("; ") + Path("prefix/share"));
}

TEST_F(DataFolder, EnteringTheFolderMakesItTheCurrentDirectoryOnlyWhenFound)
{
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Path("cwd")));
    // The test program's own folder has no data beside it: nothing changes.
    EXPECT_FALSE(uikit::EnterDataFolder(QStringLiteral("no-such-marker.xml")).Found());
    EXPECT_EQ(QDir::cleanPath(QDir::currentPath()), Path("cwd"));
    Put("cwd/marker.xml");
    EXPECT_EQ(uikit::EnterDataFolder(QStringLiteral("marker.xml")).folder, Path("cwd"));
    QDir::setCurrent(before);
}

}  // namespace
