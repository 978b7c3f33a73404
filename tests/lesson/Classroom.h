#pragma once

// The program as a pupil meets it: started the way main() starts it, offscreen, against the
// simulated logger with the classroom's sensors, and used only through what its windows show:
// buttons and keys, dialogs answered while they run, texts read off the screen, files.

#include "logger/shell/CVRDMainAppDlg.h"
#include "tests/lesson/ShownText.h"
#include "tests/support/DevsimFixture.h"
#include "tests/support/WidgetApp.h"

#include <QApplication>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>


// Texts in test messages as text.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << text.toStdString();
}

namespace lesson {

namespace fs = std::filesystem;

// Main menu buttons.
inline constexpr int kMenuProjects = 1000;
inline constexpr int kMenuSensors = 1001;
inline constexpr int kMenuMeasurement = 1002;
inline constexpr int kMenuAnalysis = 1003;
inline constexpr int kMenuQuit = 1005;
// The measurement set-up dialog's modes.
inline constexpr int kTextTimed = 2209;
inline constexpr int kTextManual = 2208;
// What the monitor shows once the classroom's sensors are found.
inline const QString kClassroomReady = QStringLiteral("Photogate");
// Every dialog's OK and Cancel.
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;

// Runs the event loop until `done` holds, looking now and then; false on time-out.
bool LookUntil(const std::function<bool()>& done, int timeoutMs);

// The program as a pupil uses it: started in a data folder as main() starts it, and every step
// taken through what its windows show. Checks fail the running test.
class Pupil {
public:
    // The program started in `data`, up to its sensor monitor, and until the monitor shows
    // `ready` (when given: the sensors found). Boxes it shows at start (a kept backup, say) are
    // answered with OK and their texts kept in `startNotices`.
    void StartProgram(const QString& ready = {});
    // The main menu's quit, and the program's end; its exit code.
    int QuitProgram();
    // Waits for the program to end by itself; its exit code, or -1.
    int WaitForEnd(int timeoutMs);
    bool Running() const;
    shell::CVRDMainAppDlg& Program() const { return *program; }

    // The screen in front, and the program's screens by the menu button that shows them.
    QWidget* Front() const;
    QWidget* Screen(int menuButton) const;
    // Enter, then the main menu's button; waits for the screen it shows.
    void GoTo(int menuButton);

    // A tap on the control named `id` inside `where` (the front screen when null).
    void Click(int id, QWidget* where = nullptr);
    // A finger put down at `from` on `where`, held `heldMs`, moved to `to` and lifted.
    void Drag(QWidget* where, QPoint from, QPoint to, int heldMs = 300);
    // A key pressed and let go on `where` (the widget with the focus when null).
    void Key(int key, QWidget* where = nullptr);
    // The line or text edit named `id` inside `where` emptied and `text` typed into it.
    void Type(int id, QWidget* where, const QString& text);
    // Picks the combo entry that reads `text` (exactly) on the combo named `id`, as a tap would.
    void Choose(int id, QWidget* where, const QString& text);

    // Waits until `where` shows a text containing `text` (where a text breaks into lines, and
    // between texts, blanks are not told apart).
    bool WaitForText(QWidget* where, const QString& text, int timeoutMs = 5000);
    bool Shows(QWidget* where, const QString& text) const;

    // Runs `open` and answers the modal dialog of class `className` it opens with `answer`,
    // which ends it. False when no such dialog came within the time.
    bool Answer(const char* className, const std::function<void()>& open,
                const std::function<void(QWidget& dialog)>& answer, int timeoutMs = 8000);
    // The program's message box that shows `text`, opened by `open` (or by itself when `open`
    // is null), read and ended with button `button`; all its texts, empty when none came.
    QString AnswerBox(const QString& text, const std::function<void()>& open = {}, int button = kOk,
                      int timeoutMs = 8000);
    // A file dialog answered with `path`.
    static void ChooseFile(QWidget& dialog, const QString& path);
    // The popup menu's entry `item` (inside `submenu` when given), chosen with the pointer.
    static void ChooseMenuItem(const QString& item, const QString& submenu = {});

    // On the measurement screen: the channels' toggles tapped; the set-up dialog's mode (a
    // language text), and for a timed run its rate (Hz) and length (s).
    void SwitchOn(std::initializer_list<int> channels);
    void SetUpRun(int modeText, const QString& rate = {}, const QString& seconds = {});
    // On the project manager: a command of the file menu that asks for a file, answered with
    // `path`.
    void FileCommand(int itemText, const fs::path& path, int submenuText = 0);

    // The text without its blanks and line breaks.
    static QString Flat(const QString& text);
    // The language text `id`, as the program shows it.
    static QString Text(int id);
    // A file's bytes, and a CSV file's lines.
    static std::string Bytes(const fs::path& path);
    static QStringList CsvLines(const fs::path& file);

    fs::path data;          // the program's data folder
    std::unique_ptr<shell::CVRDMainAppDlg> program;
    QStringList startNotices;
    int exitCode = -1;
};

// A test's classroom: a data folder of its own (the built data files linked, so that the working
// copy, its lock and the settings are the test's), a folder for the pupil's files, and the
// simulated logger with the classroom's sensors.
class Classroom : public ::testing::Test, public Pupil {
protected:
    static void SetUpTestSuite() { EnsureWidgetApp(); }
    void SetUp() override;
    void TearDown() override;

    // The simulated logger's console.
    void Console(const std::string& line) { sim->Command(line); }

    fs::path folder;        // the test's own: data/, documents/, settings/, user/
    fs::path documents;     // where the pupil keeps files
    std::unique_ptr<devsim::testing::InProcessDevsim> sim;
};

}  // namespace lesson
