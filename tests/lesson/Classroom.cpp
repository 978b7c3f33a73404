#include "tests/lesson/Classroom.h"

#include "logger/measure/CMeasurmentDlg.h"
#include "logger/measure/CMeasurSetup1Dlg.h"
#include "logger/projectmgr/CProjectMgrDlg.h"
#include "logger/shell/CVRDMainAppApp.h"
#include "logger/shell/CVRDMainAppDlg.h"
#include "uikit/common/CVRDCommonBase.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QTest>
#include <QWindow>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <utility>
#include <sstream>
#include <unistd.h>

namespace lesson {

namespace {

constexpr int kLookEveryMs = 40;
constexpr int kDoubleTapMs = 250;
constexpr int kGlanceMs = 200;
constexpr int kAnswerTakenMs = 8000;

QWidget* Named(QWidget* where, int id)
{
    if (!where)
        return nullptr;
    const QList<QWidget*> found = where->findChildren<QWidget*>(QString::number(id));
    for (QWidget* widget : found) {
        if (widget->isVisible())
            return widget;
    }
    return found.isEmpty() ? nullptr : found.first();
}

}  // namespace

bool LookUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        Spin(kLookEveryMs);
    }
    return true;
}

void Classroom::SetUp()
{
    static int lessons = 0;
    folder = fs::temp_directory_path() /
             ("corvik-lesson-" + std::to_string(::getpid()) + "-" + std::to_string(++lessons));
    data = folder / "data";
    documents = folder / "documents";
    fs::create_directories(data);
    fs::create_directories(documents);
    for (const fs::directory_entry& entry : fs::directory_iterator(CORVIK_DATA_DIR)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("temp_project", 0) != 0)
            fs::create_symlink(entry.path(), data / name);
    }
    // The program's settings and its fallback folder are the test's own.
    ::setenv("CORVIK_REGISTRY_DIR", (folder / "settings").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (folder / "user").c_str(), 1);

    std::string error;
    sim = devsim::testing::ScenarioDevsim("classroom.ini", error);
    ASSERT_TRUE(sim) << error;
    ASSERT_TRUE(sim->Start(error)) << error;
    sim->PointDriverHere();
}

void Classroom::TearDown()
{
    if (Running())
        QuitProgram();
    program.reset();
    if (sim)
        sim->Stop();
    QDir::setCurrent(QStringLiteral(CORVIK_DATA_DIR));
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

void Pupil::StartProgram(const QString& ready)
{
    exitCode = -1;
    startNotices.clear();
    QDir::setCurrent(QString::fromStdString(data.string()));
    program = shell::CVRDMainAppApp().Launch();
    QObject::connect(program.get(), &shell::CVRDMainAppDlg::finished, [this](int code) { exitCode = code; });
    // What the program tells at start is read and answered.
    QTimer notices;
    QObject::connect(&notices, &QTimer::timeout, [this] {
        QWidget* box = QApplication::activeModalWidget();
        if (box && box->inherits("uikit::CMessageBoxDlg") && Named(box, kOk) && Named(box, kOk)->isVisible()) {
            startNotices.push_back(ShownText(box));
            Click(kOk, box);
        }
    });
    notices.start(50);
    ASSERT_TRUE(LookUntil([&] { return !Running() || (Screen(kMenuSensors) && Screen(kMenuSensors)->isVisible()); },
                          15000));
    if (!ready.isEmpty() && Running()) {
        ASSERT_TRUE(WaitForText(Screen(kMenuSensors), ready, 10000)) << "the sensors are on the monitor";
    }
}

int Pupil::QuitProgram()
{
    GoTo(kMenuQuit);
    return WaitForEnd(10000);
}

int Pupil::WaitForEnd(int timeoutMs)
{
    LookUntil([&] { return !Running(); }, timeoutMs);
    return exitCode;
}

bool Pupil::Running() const
{
    return program && !program->IsFinished();
}

QWidget* Pupil::Front() const
{
    return uikit::CVRDCommonBase::GetFrontScreen();
}

QWidget* Pupil::Screen(int menuButton) const
{
    if (!program)
        return nullptr;
    const shell::ProgramScreens& s = program->Screens();
    switch (menuButton) {
    case kMenuProjects: return s.projects;
    case kMenuSensors: return s.sensors;
    case kMenuMeasurement: return s.measurement;
    case kMenuAnalysis: return s.analysis;
    default: return nullptr;
    }
}

void Pupil::GoTo(int menuButton)
{
    Key(Qt::Key_Return, Front());
    QWidget* menu = nullptr;
    ASSERT_TRUE(LookUntil([&] {
        menu = uikit::CVRDCommonBase::GetMainMenu();
        return menu && menu->isVisible();
    }, 3000)) << "Enter shows the main menu";
    // The menu says which screens can be reached once it has been told it is shown.
    LookUntil([&] { return Named(menu, menuButton) && Named(menu, menuButton)->isEnabled(); }, 1000);
    Click(menuButton, menu);
    // The screen is shown, and told so, from the event loop: a glance before the next tap.
    Spin(kGlanceMs);
    if (QWidget* target = Screen(menuButton)) {
        ASSERT_TRUE(LookUntil([&] { return Front() == target && target->isVisible(); }, 5000)) << menuButton;
    }
}

void Pupil::Click(int id, QWidget* where)
{
    QWidget* widget = Named(where ? where : Front(), id);
    ASSERT_NE(widget, nullptr) << "no control " << id;
    ASSERT_TRUE(widget->isVisible() && widget->isEnabled()) << "control " << id << " cannot be tapped";
    // Two taps on one place as quick as a double tap are one double tap, which the program
    // ignores on its screens (whatever was tapped elsewhere between them): a pupil's finger is
    // never that quick between two commands.
    static std::map<std::pair<int, int>, QElapsedTimer> tapped;
    const QPoint at = widget->mapToGlobal(widget->rect().center());
    QElapsedTimer& since = tapped[{at.x(), at.y()}];
    if (since.isValid() && since.elapsed() < kDoubleTapMs)
        Spin(int(kDoubleTapMs - since.elapsed()));
    since.start();
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

void Pupil::Drag(QWidget* where, QPoint from, QPoint to, int heldMs)
{
    // Through the window, as the pointer arrives: the screens follow a drag by its moves.
    QWindow* window = where->window()->windowHandle();
    ASSERT_NE(window, nullptr);
    const QPoint a = where->mapTo(where->window(), from);
    const QPoint b = where->mapTo(where->window(), to);
    QTest::mousePress(window, Qt::LeftButton, {}, a);
    Spin(heldMs);
    QTest::mouseMove(window, (a + b) / 2);
    QTest::mouseMove(window, b);
    QTest::mouseRelease(window, Qt::LeftButton, {}, b);
}

void Pupil::Key(int key, QWidget* where)
{
    QWidget* target = where ? where : QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, Qt::Key(key));
}

void Pupil::Type(int id, QWidget* where, const QString& text)
{
    QWidget* widget = Named(where ? where : Front(), id);
    ASSERT_NE(widget, nullptr) << "no edit " << id;
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(widget, Qt::Key_Delete);
    QTest::keyClicks(widget, text);
}

void Pupil::Choose(int id, QWidget* where, const QString& text)
{
    auto* combo = qobject_cast<QComboBox*>(Named(where ? where : Front(), id));
    ASSERT_NE(combo, nullptr) << "no list " << id;
    const int index = combo->findText(text);
    ASSERT_GE(index, 0) << "the list " << id << " has no entry " << text.toStdString();
    QTest::mouseClick(combo, Qt::LeftButton, {}, combo->rect().center());
    QAbstractItemView* view = combo->view();
    ASSERT_TRUE(LookUntil([&] { return view->isVisible(); }, 2000)) << "the list opens";
    // The open list takes no release right after it opened (as a double click would be).
    Spin(QApplication::doubleClickInterval() + 50);
    const QRect item = view->visualRect(view->model()->index(index, combo->modelColumn()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    ASSERT_TRUE(LookUntil([&] { return !view->isVisible(); }, 2000));
    ASSERT_EQ(combo->currentIndex(), index);
}

bool Pupil::Shows(QWidget* where, const QString& text) const
{
    return Flat(ShownText(where)).contains(Flat(text));
}

QString Pupil::Flat(const QString& text)
{
    QString flat = text;
    flat.remove(QRegularExpression(QStringLiteral("\\s")));
    return flat;
}

bool Pupil::WaitForText(QWidget* where, const QString& text, int timeoutMs)
{
    return LookUntil([&] { return Shows(where, text); }, timeoutMs);
}

bool Pupil::Answer(const char* className, const std::function<void()>& open,
                       const std::function<void(QWidget& dialog)>& answer, int timeoutMs)
{
    bool answered = false;
    QPointer<QWidget> before = QApplication::activeModalWidget();
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (answered || !dialog || dialog == before || !dialog->inherits(className) || !dialog->isVisible())
            return;
        answered = true;
        look.stop();
        QPointer<QWidget> opened = dialog;
        answer(*dialog);
        // An answer cut short by a failed check, or one the dialog did not take, leaves the
        // dialog to the test's end, not open.
        if (::testing::Test::HasFatalFailure() && opened && opened->isVisible())
            opened->close();
        QTimer::singleShot(kAnswerTakenMs, [opened, className] {
            if (opened && opened->isVisible()) {
                ADD_FAILURE() << className << " did not end on its answer";
                opened->close();
            }
        });
    });
    look.start(10);
    if (open)
        open();
    LookUntil([&] { return answered; }, timeoutMs);
    look.stop();
    // The dialog has ended and its caller has gone on.
    if (!LookUntil([&] { return QApplication::activeModalWidget() == before.data(); }, timeoutMs)) {
        ADD_FAILURE() << className << " stayed open";
        if (QWidget* left = QApplication::activeModalWidget())
            left->close();
    }
    return answered;
}

QString Pupil::AnswerBox(const QString& text, const std::function<void()>& open, int button, int timeoutMs)
{
    QString shown;
    bool answered = false;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (answered || !box || !box->inherits("uikit::CMessageBoxDlg") || !box->isVisible())
            return;
        const QString texts = ShownText(box);
        if (!Flat(texts).contains(Flat(text)))
            return;
        answered = true;
        look.stop();
        shown = texts;
        // A box without that button goes by itself.
        if (QWidget* end = Named(box, button); end && end->isVisible())
            Click(button, box);
    });
    look.start(10);
    if (open)
        open();
    LookUntil([&] { return answered; }, timeoutMs);
    look.stop();
    return shown;
}

void Pupil::ChooseFile(QWidget& dialog, const QString& path)
{
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    // Typed at once: a name typed letter by letter opens the completion list, which would take
    // the Return.
    name->setFocus();
    name->setText(path);
    auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    ASSERT_NE(buttons, nullptr);
    for (QAbstractButton* button : buttons->buttons()) {
        if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole) {
            QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
            return;
        }
    }
    FAIL() << "the file dialog has no button to accept";
}

void Pupil::ChooseMenuItem(const QString& item, const QString& submenu)
{
    auto pick = [](const QString& text) {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr) << "no menu is open";
        for (QAction* action : menu->actions()) {
            if (action->text() == text) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
                return;
            }
        }
        FAIL() << "the menu has no " << text.toStdString();
    };
    ASSERT_TRUE(LookUntil([] { return QApplication::activePopupWidget() != nullptr; }, 2000));
    if (!submenu.isEmpty()) {
        QWidget* outer = QApplication::activePopupWidget();
        pick(submenu);
        ASSERT_TRUE(LookUntil([&] { return QApplication::activePopupWidget() != outer; }, 2000)) << "the submenu opens";
    }
    pick(item);
}

void Pupil::SwitchOn(std::initializer_list<int> channels)
{
    for (int c : channels)
        Click(measure::CMeasurmentDlg::kChannelA + c);
}

void Pupil::SetUpRun(int modeText, const QString& rate, const QString& seconds)
{
    using measure::CMeasurSetup1Dlg;
    ASSERT_TRUE(Answer("measure::CMeasurSetup1Dlg", [&] { Click(measure::CMeasurmentDlg::kMeasureSetup); },
                       [&](QWidget& d) {
        Choose(CMeasurSetup1Dlg::kMode, &d, Text(modeText));
        if (!rate.isEmpty())
            Type(CMeasurSetup1Dlg::kRate, &d, rate);
        if (!seconds.isEmpty())
            Type(CMeasurSetup1Dlg::kLength, &d, seconds);
        Click(kOk, &d);
    }));
}

void Pupil::FileCommand(int itemText, const fs::path& path, int submenuText)
{
    ASSERT_TRUE(Answer("QFileDialog", [&] {
        Click(projectmgr::CProjectMgrDlg::kFileMenu);
        ChooseMenuItem(Text(itemText), submenuText ? Text(submenuText) : QString());
    }, [&](QWidget& d) { ChooseFile(d, QString::fromStdString(path.string())); }));
}

QStringList Pupil::CsvLines(const fs::path& file)
{
    std::ifstream in(file);
    QStringList lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(QString::fromStdString(line).trimmed());
    return lines;
}

QString Pupil::Text(int id)
{
    return uikit::CVRDCommonBase::LoadText(id);
}

std::string Pupil::Bytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace lesson
