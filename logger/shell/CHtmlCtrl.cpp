#include "logger/shell/CHtmlCtrl.h"

#include "logger/shell/core/HelpFolderRule.h"
#include "logger/shell/HelpOptionsTexts.h"
#include "uikit/common/CVRDCommonBase.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <utility>

namespace shell {

namespace {

constexpr int kTitleChars = 64;
constexpr int kNotFoundChars = 256;
const QString kAppPrefix = QStringLiteral("app:");
// How much of the notice's text is read.
constexpr int kNoticeChars = 256;

QString DataDirectory()
{
    const QString dir = uikit::CVRDCommonBase::GetDataDirectory();
    return dir.isEmpty() ? QDir::currentPath() : dir;
}

// The local file of a file URL, and the address it stands for (its fragment kept).
QString AddressOfLocal(const QUrl& url)
{
    QString address = url.toLocalFile();
    if (url.hasFragment())
        address += u'#' + url.fragment(QUrl::FullyDecoded);
    return address;
}

}  // namespace

CHtmlCtrl::CHtmlCtrl(QWidget* parent, HelpLinkServices links) : QTextBrowser(parent), links_(std::move(links))
{
    setObjectName(QString::number(kControlId));
    setOpenLinks(true);
    // Outside links are ours to hand on (doSetSource), never Qt's.
    setOpenExternalLinks(false);
    setFrameShape(QFrame::NoFrame);
}

CHtmlCtrl::~CHtmlCtrl() = default;

QString CHtmlCtrl::HelpFolder()
{
    return QString::fromStdString(HelpFolderOf(DataDirectory().toStdString()));
}

bool CHtmlCtrl::InHelpFolder(const QUrl& url)
{
    return url.isLocalFile() && IsInsideHelpFolder(HelpFolder().toStdString(), url.toLocalFile().toStdString());
}

void CHtmlCtrl::Tell(int textId, const QString& link)
{
    QTimer::singleShot(0, this, [this, textId, link] {
        if (links_.tell) {
            links_.tell(textId, link);
            return;
        }
        uikit::CVRDCommonBase::RunMessageBox(window(), uikit::kBoxTypeNotice, uikit::CVRDCommonBase::LoadText(textId, kNoticeChars),
                                             link);
    });
}

CHtmlCtrl::Target CHtmlCtrl::Classify(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == u"app")
        return Target::Command;
    if (scheme == u"http" || scheme == u"https" || scheme == u"mailto")
        return Target::Outside;
    if (scheme.isEmpty() || scheme == u"file")
        return Target::Local;
    return Target::Refused;
}

QString CHtmlCtrl::LocalFileOf(const QString& address)
{
    QString path = address.trimmed();
    if (path.isEmpty() || path.startsWith(kAppPrefix, Qt::CaseInsensitive) ||
        path.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive) ||
        path.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive))
        return {};
    if (path.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive))
        return QUrl(path).toLocalFile();
    // The program names its pages with backslashes ("<dir>\Sensors\N11.html").
    path.replace(u'\\', u'/');
    if (QDir::isRelativePath(path))
        path = QDir(DataDirectory()).filePath(path);
    return QDir::cleanPath(path);
}

QString CHtmlCtrl::NotFoundPage(const QString& path)
{
    const QString title = uikit::CVRDCommonBase::LoadText(kTextPageNotFound, kTitleChars).toHtmlEscaped();
    const QString text = uikit::CVRDCommonBase::LoadText(kTextPageMissing, kNotFoundChars).toHtmlEscaped();
    return QStringLiteral("<html><head><meta charset=\"utf-8\"><title>%1</title></head><body>"
                          "<h1>%1</h1><p>%2</p><p><tt>%3</tt></p></body></html>")
        .arg(title, text, QDir::toNativeSeparators(path).toHtmlEscaped());
}

void CHtmlCtrl::Navigate(const QString& address)
{
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty())
        return;
    QUrl url;
    if (trimmed.startsWith(kAppPrefix, Qt::CaseInsensitive)) {
        url = QUrl(kAppPrefix + trimmed.mid(kAppPrefix.size()));
    } else if (LocalFileOf(trimmed).isEmpty() || trimmed.startsWith(QStringLiteral("mailto:"), Qt::CaseInsensitive)) {
        url = QUrl(trimmed);
    } else {
        QString file = LocalFileOf(trimmed);
        QString fragment;
        // "page.html#part": the part after '#' names a place in the page unless the whole is a file.
        const qsizetype hash = file.lastIndexOf(u'#');
        if (hash > 0 && !QFileInfo(file).isFile()) {
            fragment = file.mid(hash + 1);
            file.truncate(hash);
        }
        url = QUrl::fromLocalFile(file);
        if (!fragment.isEmpty())
            url.setFragment(fragment);
    }
    navigating_ = true;
    // The same page asked for again is read again and shown from its top (or its place).
    if (Classify(url) == Target::Local && !url.hasFragment() &&
        url.adjusted(QUrl::RemoveFragment) == source().adjusted(QUrl::RemoveFragment))
        reload();
    else
        setSource(url);
    navigating_ = false;
}

void CHtmlCtrl::doSetSource(const QUrl& name, QTextDocument::ResourceType type)
{
    const bool followed = !navigating_;
    switch (Classify(name)) {
    case Target::Command: {
        const QString text = name.toString();
        OnAppCommand(QUrl::fromPercentEncoding(text.mid(text.indexOf(u':') + 1).toUtf8()));
        return;  // the page stays
    }
    case Target::Outside:
        if (links_.openOutside)
            links_.openOutside(name);
        else
            QDesktopServices::openUrl(name);
        Tell(kTextLinkOutside, name.toString());
        return;
    case Target::Refused:
        return;
    case Target::Local:
        break;
    }
    QUrl url = name;
    if (url.isRelative())
        url = source().isEmpty() ? QUrl::fromLocalFile(DataDirectory() + u'/').resolved(url) : source().resolved(url);
    if (!InHelpFolder(url)) {
        Tell(kTextLinkRefused, url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString());
        return;  // the page stays
    }
    if (followed)
        emit LinkFollowed(AddressOfLocal(url));
    Load(url, type);
}

void CHtmlCtrl::Load(const QUrl& url, QTextDocument::ResourceType type)
{
    ++loadSerial_;
    address_ = AddressOfLocal(url);
    QTextBrowser::doSetSource(url, type);
    // Back and Forward are the viewer's; Qt's own stack (and its Backspace) stays empty.
    clearHistory();
    uikit::PostScreenMessage(parentWidget(), uikit::WM_HTML_TITLE, loadSerial_, 0, documentTitle());
}

QVariant CHtmlCtrl::loadResource(int type, const QUrl& name)
{
    if (Classify(name) != Target::Local)
        return {};  // nothing remote is ever fetched
    const QUrl url = name.isRelative() ? source().resolved(name) : name;
    if (!InHelpFolder(url))
        return {};  // nor any picture or style sheet from elsewhere on the machine
    if (type == QTextDocument::HtmlResource) {
        const QFileInfo file(url.toLocalFile());
        if (!file.isFile() || !file.isReadable())
            return NotFoundPage(file.filePath());
    }
    return QTextBrowser::loadResource(type, name);
}

void CHtmlCtrl::OnAppCommand(const QString& command)
{
    if (command.compare(QStringLiteral("Minimise"), Qt::CaseInsensitive) == 0) {
        if (links_.minimise) {
            links_.minimise();
            return;
        }
        QWidget* root = uikit::CVRDCommonBase::GetScreen(uikit::kSlotRoot);
        (root ? root : window())->showMinimized();
    } else if (command.compare(QStringLiteral("Beep"), Qt::CaseInsensitive) == 0) {
        if (links_.beep)
            links_.beep();
        else
            QApplication::beep();
    } else if (links_.unexpectedCommand) {
        links_.unexpectedCommand(command);
    } else {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Unexpected Command"), command, QMessageBox::Ok, this);
        box.exec();
    }
}

}  // namespace shell
