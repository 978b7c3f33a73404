#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

#include "logger/project/ExperimentRecords.h"

class QWidget;

// What the program's screens ask of the program around them: the message box, the file dialog,
// the note and options dialogs, and what the help viewer does about commands and outside links.
// One value is made where the program makes its screens (CreateProgramScreens) and handed to each
// screen's constructor; a test builds its own, so nothing of one screen reaches another and
// nothing has to be put back afterwards.
//
// The screens live in libraries below the shell, so the services that are the shell's own
// dialogs come in here. An empty member is the screen's own default, said beside each.
namespace shell {

// How a screen asks and tells the user: message box type and two texts; 1 for OK.
// Empty: the program's message box.
using MessagePresenter = std::function<int(QWidget* owner, int type, const QString& first, const QString& second)>;

// A file to open or a name to save under.
struct FileRequest {
    bool save = false;
    QString title;
    QString folder;        // where the dialog starts: the user's documents folder
    QString fileName;      // the name it offers
    QStringList filters;   // "VRD FILE (*.vrd)" ...
    QString suffix;        // added to a name typed without one
};
// The chosen path, or empty when the user cancelled. Empty: a non-native file dialog over the
// whole program window.
using FileChooser = std::function<QString(QWidget* owner, const FileRequest& request)>;

// The note dialog on a note record; true when it ended with OK. Empty: the note button does
// nothing.
using NoteEditor = std::function<bool(QWidget* owner, project::NoteRecord& note)>;
// The note dialog on the analysis screen: a data set's memo (`note`), else a note on a chart
// (`chartNote`) standing at `at` in the owner; true for OK. Empty: nothing opens.
using ChartNoteEditor =
    std::function<bool(QWidget* owner, project::NoteRecord* note, project::GraphNote* chartNote, QPoint at)>;

// The options dialog. Empty: the menu item does nothing.
using OptionsDialog = std::function<void(QWidget* owner)>;

// What the help viewer does about "app:" commands and outside links; each empty member does the
// program's own thing: a beep, the root window minimised, a question box naming the command, the
// desktop's browser, the message box.
struct HelpLinkServices {
    std::function<void()> beep;
    std::function<void()> minimise;
    std::function<void(const QString& command)> unexpectedCommand;
    std::function<void(const QUrl& url)> openOutside;
    // A notice to the user: a language text and the link it is about.
    std::function<void(int textId, const QString& link)> tell;
};

struct ScreenServices {
    MessagePresenter present;        // measurement, analysis, project manager
    FileChooser chooseFile;          // project manager
    NoteEditor editNote;             // measurement, project manager
    ChartNoteEditor editChartNote;   // analysis
    OptionsDialog runOptions;        // project manager
    HelpLinkServices help;           // help viewer
};

}  // namespace shell
