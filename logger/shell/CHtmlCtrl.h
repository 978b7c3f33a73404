#pragma once

#include "logger/shell/ScreenServices.h"

#include <QString>
#include <QTextBrowser>
#include <QUrl>
#include <QtGlobal>

// The help viewer's browser: our local help pages (headings, tables, lists, pictures, relative
// links, style sheets, UTF-8) and nothing else. It runs no scripts and fetches nothing remote:
// http(s) links go to the desktop's browser, which the user is told. It shows nothing from
// outside the help folder (HelpFolderRule.h): such a link is refused, and the user told so. Links to "app:<command>" (any letter case) are
// commands to the program and are never navigated. Every page it loads reports its title to the
// parent widget as WM_HTML_TITLE (the title travels as a copy in the event's text, wParam is the
// load's serial); a link the user follows is also announced with LinkFollowed, so that the
// viewer's history grows only by links and never by its own Back and Forward.
namespace shell {

class CHtmlCtrl : public QTextBrowser {
    Q_OBJECT

public:
    static constexpr int kControlId = 1116;

    // `links`: what the commands and outside links do (the program's own where empty).
    explicit CHtmlCtrl(QWidget* parent = nullptr, HelpLinkServices links = {});
    ~CHtmlCtrl() override;

    // Shows a page by its address as the program names pages: a path in either slash
    // ("<dir>\Sensors\N11.html", relative ones under the data directory, "#name" allowed after
    // the file), an http(s) address, or an app: command. Not a link: nothing is announced.
    void Navigate(const QString& address);

    // The address of the page in front ("" before the first), in the form Navigate takes.
    QString Address() const { return address_; }
    // Counts every page load; the serial of the last one.
    qint64 LoadSerial() const { return loadSerial_; }

    // "Minimise", "Beep", or anything else (a question box naming it).
    void OnAppCommand(const QString& command);

    // "<data directory>/Sensors": the only folder pages, pictures and style sheets come from.
    static QString HelpFolder();
    static bool InHelpFolder(const QUrl& url);

    // The local file an address names, "" when it names none (an outside or app: address).
    static QString LocalFileOf(const QString& address);
    // The page shown in place of one that is missing.
    static QString NotFoundPage(const QString& path);

    // Local files only, a missing page as NotFoundPage; nothing remote.
    QVariant loadResource(int type, const QUrl& name) override;

signals:
    void LinkFollowed(const QString& address);

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

private:
    // Where an address or URL leads.
    enum class Target { Local, Outside, Command, Refused };
    static Target Classify(const QUrl& url);
    void Load(const QUrl& url, QTextDocument::ResourceType type);
    // Told once the link's handling has returned (never inside the click that followed it).
    void Tell(int textId, const QString& link);

    HelpLinkServices links_;
    QString address_;
    qint64 loadSerial_ = 0;
    bool navigating_ = false;
};

}  // namespace shell
