#include <QImage>
#include <QMenu>
#include <QPainter>

#include <filesystem>

#include "logger/export/core/CsvExportJob.h"
#include "logger/export/core/ExportMessages.h"
#include "ProjectScreenTestSupport.h"
#include "uikit/tree/CTreeCtrlEx.h"

using namespace projectscreentest;
using namespace projectmgr;

namespace {

namespace fs = std::filesystem;

std::vector<std::string> FilesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        names.push_back(fs::relative(entry.path(), folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(ProjectScreenTest, CsvExportWritesAFilePerDataSetOnItsWorker)
{
    RecordLessonAndShow();
    const auto before = Working();
    Block().currentIndex = 2;
    chosen = QString::fromStdString(elsewhere.File("lesson.csv"));
    screen->RunCommand(Dlg::kExportCsv);
    ASSERT_NE(screen->CsvJob(), nullptr);
    EXPECT_TRUE(screen->CsvJob()->Done());
    EXPECT_EQ(FilesIn(elsewhere.Path()), (std::vector<std::string>{"lesson_1.csv", "lesson_3.csv"}));
    EXPECT_TRUE(shown.empty());
    // The current set is back, and the export wrote no samples into the working copy.
    EXPECT_EQ(Block().currentIndex, 2);
    projecttest::ExpectSamples(*measurement->samples, 2, {900});
    EXPECT_EQ(Working().size(), before.size());
    const std::string csv = [&] {
        const auto bytes = projecttest::ReadBytes(elsewhere.File("lesson_3.csv"));
        return std::string(bytes.begin(), bytes.end());
    }();
    EXPECT_NE(csv.find("Voltage(V)"), std::string::npos);
    EXPECT_GT(std::count(csv.begin(), csv.end(), '\n'), 900);
}

TEST_F(ProjectScreenTest, AFailedCsvFileIsToldWithItsName)
{
    RecordLessonAndShow();
    chosen = QString::fromStdString(elsewhere.File("missing-folder/lesson.csv"));
    screen->RunCommand(Dlg::kExportCsv);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0].first, Text(exporting::CsvResultTextId(exporting::CsvResult::OpenFailed)));
    EXPECT_TRUE(shown[0].second.endsWith("lesson_1.csv"));
}

TEST_F(ProjectScreenTest, TheReportIsWrittenThroughItsCore)
{
    RecordLessonAndShow();
    screen->AuthorEdit().setText(QStringLiteral("Ms Kim"));
    screen->SchoolEdit().setText(QStringLiteral("Hanbit Middle School"));
    chosen = QString::fromStdString(elsewhere.File("lesson.html"));
    screen->RunCommand(Dlg::kReport);
    EXPECT_TRUE(shown.empty()) << (shown.empty() ? "" : shown[0].first.toStdString());
    const auto files = FilesIn(elsewhere.Path());
    EXPECT_NE(std::find(files.begin(), files.end(), "lesson/lesson.html"), files.end());
    EXPECT_NE(std::find(files.begin(), files.end(), "lesson/lesson_1.bmp"), files.end());
    EXPECT_NE(std::find(files.begin(), files.end(), "lesson/lesson_3.csv"), files.end());
    EXPECT_NE(std::find(files.begin(), files.end(), "lesson/lesson_11.bmp"), files.end());
    const auto page = projecttest::ReadBytes(elsewhere.File("lesson/lesson.html"));
    const std::string html(page.begin(), page.end());
    EXPECT_NE(html.find("Hanbit Middle School"), std::string::npos);
    EXPECT_NE(html.find("Cooling water"), std::string::npos);
}

// The picture of the screen reviewed for docs/images: a project of two data sets with graphs,
// analysis sets and notes.
TEST_F(ProjectScreenTest, PictureOfTheProjectTree)
{
    devicelink::CNI2CSensor& sensor = *uikit::CVRDCommonBase::GetSensor();
    ASSERT_EQ(sensor.LoadSensorXml(std::string(CORVIK_DATA_DIR) + "/sensor_korean.xml"), 1);
    ASSERT_EQ(sensor.LoadCatalogue(), 1);
    RecordLessonAndShow();
    uikit::PostScreenMessage(screen.get(), uikit::WM_TREE_LABEL_EDITED, ItemKey{ItemKind::Project}.Pack(), 0,
                             QStringLiteral("물의 냉각과 진자 실험"));
    Settle();
    screen->AuthorEdit().setText(QStringLiteral("Ms Kim"));
    screen->SchoolEdit().setText(QStringLiteral("Hanbit Middle School"));
    ASSERT_TRUE(screen->SelectItem({ItemKind::Analysis, 0, 0, 0}));
    screen->show();
    Settle();
    const QImage picture = screen->grab().toImage();
    EXPECT_EQ(picture.size(), QSize(800, 600));
    const fs::path out = fs::path(CORVIK_PICTURE_DIR);
    fs::create_directories(out);
    EXPECT_TRUE(picture.save(QString::fromStdString((out / "project_manager.png").string())));
    // Popup menu 152 as button 1052 opens it.
    screen->Click(Dlg::kFileMenu);
    Settle();
    EXPECT_TRUE(screen->PopupMenu().isVisible());
    EXPECT_TRUE(screen->PopupMenu().grab().save(QString::fromStdString((out / "project_manager_menu.png").string())));
    screen->PopupMenu().hide();
}

}  // namespace
