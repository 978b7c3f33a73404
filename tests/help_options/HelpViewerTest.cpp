// The help viewer offscreen on the program's own help pages.

#include "HelpOptionsTestSupport.h"

#include "logger/shell/CHtmlCtrl.h"
#include "logger/shell/CHtmlViewDlg.h"
#include "logger/shell/core/HelpFolderRule.h"
#include "logger/shell/HelpOptionsTexts.h"
#include "logger/shell/HelpPages.h"
#include "uikit/button/CButtonST.h"
#include "uikit/events/ScreenMessages.h"

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>

#include <memory>

namespace {

using helptest::SpinUntil;
using shell::CHtmlCtrl;
using shell::CHtmlViewDlg;

// The colour style.css gives headings.
const QColor kHeadingColour(0x27, 0x44, 0x6e);

QString WithBackslashes(QString path)
{
    return path.replace(u'/', u'\\');
}

class HelpViewerTest : public helptest::WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        shell::ScreenServices services;
        services.help = {[this] { ++beeps_; }, [this] { ++minimised_; },
                         [this](const QString& command) { unexpected_.push_back(command); },
                         [this](const QUrl& url) { outside_.push_back(url); },
                         [this](int textId, const QString& link) { told_.push_back({textId, link}); }};
        OpenViewer(services);
    }
    void TearDown() override
    {
        viewer_.reset();
        QDir::setCurrent(QStringLiteral(CORVIK_DATA_DIR));
        WidgetTest::TearDown();
    }

    // A viewer of its own in place of the one there was.
    void OpenViewer(const shell::ScreenServices& services)
    {
        viewer_.reset();
        viewer_ = std::make_unique<CHtmlViewDlg>(&root_, services);
        root_.show();
        viewer_->show();
    }
    CHtmlCtrl& Browser() { return viewer_->Browser(); }
    QString Page(const char* name) { return DataPath(QStringLiteral("Sensors/") + QString::fromUtf8(name)); }

    // Posts the request as the root window forwards it, and waits for the page's title.
    void Show(const QString& address)
    {
        uikit::PostScreenMessage(viewer_.get(), uikit::WM_SCREEN_SHOW, 0, 0, address);
        ASSERT_TRUE(SpinUntil([&] { return !viewer_->History().Current().title.empty(); }));
    }
    void WaitForTitle(const std::u16string& title)
    {
        EXPECT_TRUE(SpinUntil([&] { return viewer_->History().Current().title == title; }))
            << QString::fromStdU16String(viewer_->History().Current().title).toStdString();
    }

    // Clicks the link to `href` as a user would.
    void ClickLink(const QString& href)
    {
        QTextDocument* document = Browser().document();
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                if (fragment.charFormat().anchorHref() != href)
                    continue;
                QTextCursor cursor(document);
                cursor.setPosition(fragment.position() + fragment.length() / 2);
                Browser().setTextCursor(cursor);
                Browser().ensureCursorVisible();
                const QPoint at = Browser().cursorRect().center();
                QTest::mouseClick(Browser().viewport(), Qt::LeftButton, {}, at);
                return;
            }
        }
        ADD_FAILURE() << "no link to " << href.toStdString();
    }

    uikit::CommonServices StartServices() override
    {
        uikit::CommonServices services;
        services.makeMainMenu = [this](QWidget*) { return menu_ = new QWidget; };
        return services;
    }

    std::unique_ptr<CHtmlViewDlg> viewer_;
    QWidget* menu_ = nullptr;  // the main menu, once made
    int beeps_ = 0;
    int minimised_ = 0;
    std::vector<QString> unexpected_;
    std::vector<QUrl> outside_;
    std::vector<std::pair<int, QString>> told_;
};

// A data folder of the test's own: the help folder "Sensors" with the pages written into it, and
// the program's common services started there.
class OwnHelpFolder : public HelpViewerTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("Sensors")));
        HelpViewerTest::SetUp();
        uikit::CVRDCommonBase::Shutdown();
        QDir::setCurrent(dir_.path());
        ASSERT_EQ(uikit::CVRDCommonBase::InitGlobals(StartServices()), 1);
    }
    QString Write(const QString& name, const QByteArray& html)
    {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(html);
        return path;
    }
    QString Help(const char* name) { return dir_.filePath(QStringLiteral("Sensors/") + QString::fromUtf8(name)); }

    QTemporaryDir dir_;
};

TEST_F(HelpViewerTest, APageOpenedByABackslashPathShowsWithItsTitleAsTheOnlyEntry)
{
    const QString n11 = WithBackslashes(Page("N11.html"));
    Show(n11);
    WaitForTitle(u"Barometer");
    EXPECT_EQ(Browser().documentTitle(), QStringLiteral("Barometer"));
    EXPECT_EQ(viewer_->History().Count(), 1);
    EXPECT_EQ(viewer_->History().Position(), 0);
    EXPECT_EQ(Browser().Address(), Page("N11.html"));
    EXPECT_TRUE(Browser().toPlainText().contains(QStringLiteral("Air pressure")));
    // Back on the page just opened stays on it.
    viewer_->Back();
    EXPECT_EQ(Browser().Address(), Page("N11.html"));
}

TEST_F(HelpViewerTest, BackAfterALinkReturnsToThePagesAddressWithoutAddingAnEntry)
{
    Show(WithBackslashes(Page("N11.html")));
    ClickLink(QStringLiteral("Quick Start Guide.html"));
    WaitForTitle(u"Quick Start Guide");
    EXPECT_EQ(viewer_->History().Count(), 2);
    EXPECT_EQ(Browser().Address(), Page("Quick Start Guide.html"));

    viewer_->Button(CHtmlViewDlg::kBackButtonId)->click();
    WaitForTitle(u"Barometer");
    EXPECT_EQ(Browser().Address(), Page("N11.html"));
    EXPECT_TRUE(Browser().toPlainText().contains(QStringLiteral("Air pressure"))) << "a page, not a blank one";
    EXPECT_EQ(viewer_->History().Count(), 2);
    EXPECT_EQ(viewer_->History().Position(), 0);

    viewer_->Button(CHtmlViewDlg::kForwardButtonId)->click();
    WaitForTitle(u"Quick Start Guide");
    EXPECT_EQ(Browser().Address(), Page("Quick Start Guide.html"));
    EXPECT_EQ(viewer_->History().Count(), 2);
    EXPECT_EQ(viewer_->History().At(0).title, u"Barometer");
}

TEST_F(HelpViewerTest, SeventyLinksLeaveSixtyFourEntriesAtTheLast)
{
    Show(Page("N11.html"));
    const QUrl pages[2] = {QUrl::fromLocalFile(Page("N45.html")), QUrl::fromLocalFile(Page("R58.html"))};
    for (int i = 0; i < 70; ++i)
        Browser().setSource(pages[i % 2]);  // what a link click does
    EXPECT_EQ(viewer_->History().Count(), 64);
    EXPECT_EQ(viewer_->History().Position(), 63);
    EXPECT_EQ(Browser().Address(), Page("R58.html"));  // the 70th
}

TEST_F(HelpViewerTest, AppCommandsRunWhateverTheirCaseAndThePageStays)
{
    Show(Page("N11.html"));
    const qint64 loads = Browser().LoadSerial();
    Browser().setSource(QUrl(QStringLiteral("app:Beep")));
    EXPECT_EQ(beeps_, 1);
    Browser().setSource(QUrl(QStringLiteral("APP:Minimise")));
    EXPECT_EQ(minimised_, 1);
    Browser().setSource(QUrl(QStringLiteral("App:Other")));
    ASSERT_EQ(unexpected_.size(), 1u);
    EXPECT_EQ(unexpected_[0], QStringLiteral("Other"));
    EXPECT_EQ(beeps_, 1);
    EXPECT_EQ(Browser().LoadSerial(), loads) << "no command loads a page";
    EXPECT_EQ(Browser().Address(), Page("N11.html"));
    EXPECT_EQ(Browser().documentTitle(), QStringLiteral("Barometer"));
    EXPECT_EQ(viewer_->History().Count(), 1);
}

TEST_F(OwnHelpFolder, ClickedCommandAndOutsideLinksLeaveThePage)
{
    const QString page = Write(QStringLiteral("Sensors/links.html"),
                               "<html><head><title>Links</title></head><body><p><a href=\"app:Beep\">Beep</a></p>"
                               "<p><a href=\"https://example.org/kit\">Outside</a></p></body></html>");
    Show(page);
    ClickLink(QStringLiteral("app:Beep"));
    EXPECT_EQ(beeps_, 1);
    ClickLink(QStringLiteral("https://example.org/kit"));
    ASSERT_EQ(outside_.size(), 1u);
    EXPECT_EQ(outside_[0], QUrl(QStringLiteral("https://example.org/kit")));
    ASSERT_TRUE(SpinUntil([&] { return !told_.empty(); })) << "the user is told where it went";
    EXPECT_EQ(told_[0], std::make_pair(shell::kTextLinkOutside, QStringLiteral("https://example.org/kit")));
    EXPECT_EQ(Browser().Address(), page);
    EXPECT_EQ(Browser().documentTitle(), QStringLiteral("Links"));
    EXPECT_EQ(viewer_->History().Count(), 1);
}

// Nothing on the machine outside the help folder is shown, however the link is written; what is
// inside it is, by any way that stays inside.
TEST_F(OwnHelpFolder, LinksThatLeaveTheHelpFolderAreRefused)
{
    Write(QStringLiteral("report.html"), "<html><head><title>Report</title></head><body>marks</body></html>");
    Write(QStringLiteral("Sensors/N11.html"), "<html><head><title>Barometer</title></head><body>p</body></html>");
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("Sensors-old")));
    Write(QStringLiteral("Sensors-old/old.html"), "<html><head><title>Old</title></head><body>o</body></html>");
    ASSERT_TRUE(QFile::link(dir_.filePath(QStringLiteral("report.html")), Help("escape.html")));
    ASSERT_TRUE(QFile::link(dir_.path(), Help("up")));
    const QString report = dir_.filePath(QStringLiteral("report.html"));
    const QString links[] = {
        QStringLiteral("file:///etc/hostname"),
        QStringLiteral("../../../../../../etc/passwd"),
        QStringLiteral("../report.html"),
        report,
        QUrl::fromLocalFile(report).toString(),
        QStringLiteral("escape.html"),
        QStringLiteral("up/report.html"),
        QStringLiteral("../Sensors-old/old.html"),
        QStringLiteral("sub/../../report.html"),
    };
    QByteArray body = "<html><head><title>Start</title></head><body>";
    for (const QString& link : links)
        body += "<p><a href=\"" + link.toHtmlEscaped().toUtf8() + "\">" + link.toHtmlEscaped().toUtf8() + "</a></p>";
    body += "<p><a href=\"sub/../N11.html\">inside</a></p></body></html>";
    const QString start = Write(QStringLiteral("Sensors/start.html"), body);
    Show(start);
    for (const QString& link : links) {
        SCOPED_TRACE(link.toStdString());
        told_.clear();
        ClickLink(link);
        ASSERT_TRUE(SpinUntil([&] { return !told_.empty(); }));
        EXPECT_EQ(told_[0].first, shell::kTextLinkRefused);
        EXPECT_EQ(Browser().Address(), start);
        EXPECT_EQ(Browser().documentTitle(), QStringLiteral("Start"));
        EXPECT_EQ(viewer_->History().Count(), 1);
    }
    // Opened as a page rather than followed, the same holds.
    told_.clear();
    Browser().Navigate(QStringLiteral("/etc/passwd"));
    EXPECT_TRUE(SpinUntil([&] { return !told_.empty(); }));
    EXPECT_EQ(Browser().Address(), start);
    EXPECT_FALSE(Browser().loadResource(QTextDocument::ImageResource, QUrl::fromLocalFile(report)).isValid());

    told_.clear();
    ClickLink(QStringLiteral("sub/../N11.html"));
    WaitForTitle(u"Barometer");
    EXPECT_TRUE(told_.empty());
}

TEST(HelpFolderRule, KeepsToTheFolderOnceLinksAndClimbsAreResolved)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string data = dir.path().toStdString();
    const std::string help = shell::HelpFolderOf(data);
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Sensors/pictures")));
    EXPECT_TRUE(shell::IsInsideHelpFolder(help, help + "/N11.html"));
    EXPECT_TRUE(shell::IsInsideHelpFolder(help, help + "/pictures/../missing.html"));
    EXPECT_TRUE(shell::IsInsideHelpFolder(help + "/", help + "/N11.html"));
    EXPECT_FALSE(shell::IsInsideHelpFolder(help, help + "/../report.html"));
    EXPECT_FALSE(shell::IsInsideHelpFolder(help, data + "/Sensors-old/a.html"));
    EXPECT_FALSE(shell::IsInsideHelpFolder(help, "/etc/passwd"));
    EXPECT_FALSE(shell::IsInsideHelpFolder(help, ""));
    EXPECT_FALSE(shell::IsInsideHelpFolder("", help + "/N11.html"));
    // A help folder that is itself a link (an installed data folder of links) holds its pages.
    ASSERT_TRUE(QFile::link(QString::fromStdString(help), dir.filePath(QStringLiteral("linked"))));
    EXPECT_TRUE(shell::IsInsideHelpFolder(data + "/linked", help + "/N11.html"));
    EXPECT_TRUE(shell::IsInsideHelpFolder(help, data + "/linked/N11.html"));
}

TEST_F(HelpViewerTest, WithoutHooksMinimiseTakesTheRootWindowAndOtherAsksAQuestion)
{
    OpenViewer({});
    Show(Page("N11.html"));
    Browser().setSource(QUrl(QStringLiteral("app:Minimise")));
    EXPECT_TRUE(SpinUntil([&] { return root_.isMinimized(); })) << "the whole program, not the page";

    QString title, text;
    bool question = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        question = box->icon() == QMessageBox::Question;
        box->accept();
    });
    Browser().setSource(QUrl(QStringLiteral("app:Other")));
    EXPECT_EQ(title, QStringLiteral("Unexpected Command"));
    EXPECT_EQ(text, QStringLiteral("Other"));
    EXPECT_TRUE(question);
    EXPECT_EQ(Browser().Address(), Page("N11.html"));
}

TEST_F(HelpViewerTest, OutsideAddressesGoToTheDesktopAndNothingRemoteLoads)
{
    Show(Page("N11.html"));
    Browser().setSource(QUrl(QStringLiteral("https://example.org/guide")));
    ASSERT_EQ(outside_.size(), 1u);
    EXPECT_EQ(outside_[0], QUrl(QStringLiteral("https://example.org/guide")));
    EXPECT_EQ(Browser().Address(), Page("N11.html"));
    EXPECT_EQ(viewer_->History().Count(), 1);
    EXPECT_FALSE(Browser().loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("http://example.org/a.png")))
                     .isValid());
    Browser().setSource(QUrl(QStringLiteral("ftp://example.org/x")));
    EXPECT_EQ(outside_.size(), 1u) << "other schemes are refused";
}

TEST_F(HelpViewerTest, AMissingPageShowsTheNotFoundPage)
{
    const QString missing = Page("NOPE.html");
    Show(WithBackslashes(missing));
    const QString title = uikit::CVRDCommonBase::LoadText(shell::kTextPageNotFound);
    ASSERT_FALSE(title.isEmpty());
    WaitForTitle(title.toStdU16String());
    EXPECT_TRUE(Browser().toPlainText().contains(uikit::CVRDCommonBase::LoadText(shell::kTextPageMissing)));
    EXPECT_TRUE(Browser().toPlainText().contains(missing));
    EXPECT_EQ(Browser().Address(), missing);

    // The page that was missing is shown once it is asked for again and is there.
    Show(Page("N11.html"));
    WaitForTitle(u"Barometer");
}

TEST_F(HelpViewerTest, HeadingsAreDrawnInTheStyleSheetsColour)
{
    Show(Page("N11.html"));
    const QImage picture = Browser().grab().toImage();
    int headingPixels = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < picture.width(); ++x)
            headingPixels += picture.pixelColor(x, y) == kHeadingColour ? 1 : 0;
    EXPECT_GT(headingPixels, 100) << "the h1 is not drawn in the colour of style.css";
}

TEST_F(HelpViewerTest, EveryHelpPageTakesTheStyleSheet)
{
    int pages = 0;
    for (QDirIterator it(DataPath(QStringLiteral("Sensors")), {QStringLiteral("*.html")}); it.hasNext();) {
        const QString path = it.next();
        Browser().Navigate(path);
        bool styled = false;
        for (QTextBlock block = Browser().document()->begin(); block.isValid() && !styled; block = block.next()) {
            if (block.blockFormat().headingLevel() == 1)
                styled = block.charFormat().foreground().color() == kHeadingColour ||
                         block.begin().fragment().charFormat().foreground().color() == kHeadingColour;
        }
        EXPECT_TRUE(styled) << path.toStdString();
        ++pages;
    }
    EXPECT_GE(pages, 45);
}

TEST_F(HelpViewerTest, EachTitleTravelsAsItsOwnCopyAndAStaleOneIsIgnored)
{
    struct TitleTap : QObject {
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (const uikit::ScreenEvent* m = uikit::AsScreenEvent(e); m && m->code() == uikit::WM_HTML_TITLE)
                titles.push_back(m->text());
            return false;
        }
        std::vector<QString> titles;
    } tap;
    viewer_->installEventFilter(&tap);
    Show(Page("N11.html"));
    tap.titles.clear();
    // Two pages before the loop turns: each title event keeps its own text.
    Browser().Navigate(Page("N45.html"));
    Browser().setSource(QUrl::fromLocalFile(Page("R58.html")));
    ASSERT_TRUE(SpinUntil([&] { return tap.titles.size() == 2; }));
    EXPECT_NE(tap.titles[0], tap.titles[1]);
    EXPECT_FALSE(tap.titles[0].isEmpty());
    // The entry in front has the title of the page in front, not the one before.
    EXPECT_EQ(QString::fromStdU16String(viewer_->History().Current().title), tap.titles[1]);
    viewer_->removeEventFilter(&tap);
}

TEST_F(HelpViewerTest, ThePageRequestIsKeptAsACopy)
{
    auto request = std::make_unique<QString>(Page("N11.html"));
    uikit::PostScreenMessage(viewer_.get(), uikit::WM_SCREEN_SHOW, 0, 0, *request);
    request->fill(u'x');
    request.reset();
    WaitForTitle(u"Barometer");
    EXPECT_EQ(viewer_->History().At(0).address, Page("N11.html").toStdU16String());

    // A request without a page (coming back to the viewer) keeps the page in front.
    uikit::PostScreenMessage(viewer_.get(), uikit::WM_SCREEN_SHOW);
    helptest::Spin(20);
    EXPECT_EQ(Browser().Address(), Page("N11.html"));
}

TEST_F(HelpViewerTest, ShowingMakesItTheFrontScreenAndAPictureOfItDoesNot)
{
    QWidget other(&root_);
    uikit::CVRDCommonBase::SetFrontScreen(&other);
    viewer_->hide();
    (void)viewer_->grab();
    EXPECT_EQ(uikit::CVRDCommonBase::GetFrontScreen(), &other);
    viewer_->show();
    EXPECT_EQ(uikit::CVRDCommonBase::GetFrontScreen(), viewer_.get()) << "set on show, before any paint";
}

TEST_F(HelpViewerTest, TheClockAndTheBrowserFollowTheWidth)
{
    EXPECT_EQ(Browser().geometry(), QRect(0, 55, 800, 545));
    const int narrowClock = viewer_->ClockRect().left();
    viewer_->resize(1024, 700);
    EXPECT_EQ(Browser().geometry(), QRect(0, 55, 1024, 645));
    EXPECT_EQ(viewer_->ClockRect().left(), narrowClock + 1024 - 800);
    viewer_->resize(800, 600);
    EXPECT_EQ(viewer_->ClockRect().left(), narrowClock);
}

TEST_F(HelpViewerTest, TopBarButtonsAreLaidOutAndCloseAsksTheRootToGoBack)
{
    const int ids[] = {1051, 1078, 1079, 1077, 1080, 1081};
    for (int i = 0; i < 6; ++i) {
        uikit::CButtonST* button = viewer_->Button(ids[i]);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->geometry(), QRect(64 * i + 4, 4, 60, 44)) << ids[i];
        EXPECT_FALSE(button->SlotBitmap(uikit::CButtonST::kSlotNormal).isNull()) << ids[i];
    }
    EXPECT_TRUE(viewer_->Button(1078)->isVisible());
    EXPECT_TRUE(viewer_->Button(1079)->isVisible());
    EXPECT_FALSE(viewer_->Button(1077)->isVisible());
    EXPECT_FALSE(viewer_->Button(1081)->isVisible());
    EXPECT_FALSE(viewer_->Button(1081)->isEnabled());

    viewer_->Button(CHtmlViewDlg::kCloseButtonId)->click();
    ASSERT_TRUE(SpinUntil([&] { return root_.CodeCount(uikit::WM_HTML_BACK) == 1; }));
    viewer_->close();
    ASSERT_TRUE(SpinUntil([&] { return root_.CodeCount(uikit::WM_HTML_BACK) == 2; }));

    viewer_->show();
    viewer_->Button(CHtmlViewDlg::kMenuButtonId)->click();
    EXPECT_TRUE(uikit::CVRDCommonBase::IsMainMenuShown());
    EXPECT_NE(menu_, nullptr);
}

TEST_F(HelpViewerTest, OpenHelpPagePostsTheRequestToTheRootWindow)
{
    struct RequestTap : QObject {
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (const uikit::ScreenEvent* m = uikit::AsScreenEvent(e); m && m->code() == uikit::WM_SHOW_HTML)
                page = m->text();
            return false;
        }
        QString page;
    } tap;
    root_.installEventFilter(&tap);
    EXPECT_EQ(shell::OpenHelpPage(shell::HelpPagePath(QString::fromLatin1(shell::kQuickStartGuidePage))), 1);
    ASSERT_TRUE(SpinUntil([&] { return !tap.page.isEmpty(); }));
    EXPECT_EQ(tap.page, Page("Quick Start Guide.html"));
    root_.removeEventFilter(&tap);
}

TEST_F(HelpViewerTest, PictureOfAHelpPage)
{
    viewer_->SetClockSource([] { return QTime(10, 25); });
    Show(Page("N11.html"));
    WaitForTitle(u"Barometer");
    const QImage picture = viewer_->grab().toImage();
    ASSERT_TRUE(QDir().mkpath(QStringLiteral(CORVIK_PICTURE_DIR)));
    EXPECT_TRUE(picture.save(QStringLiteral(CORVIK_PICTURE_DIR "/screen_help.png")));
}

}  // namespace
