// xlhost: a stand-in spreadsheet host for trying the add-in. It loads VRDExcelAddInApp, runs a
// script of host actions and calls (Script.h), prints the alerts and status texts as they come
// and the cells at the end, and checks that the add-in handed back every host allocation.
#include "tools/xlhost/Host.h"
#include "tools/xlhost/Script.h"

#include "platform/Text.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

namespace {

constexpr int kScriptFailed = 1;
constexpr int kUsage = 2;
constexpr int kLeaked = 3;

void Usage()
{
    std::cerr << "usage: xlhost --script FILE [--addin LIBRARY]\n"
                 "Loads the add-in (by default lib/libVRDExcelAddInApp.so beside the host's folder, else\n"
                 "the build's " CORVIK_XLHOST_DEFAULT_ADDIN ")\n"
                 "and runs the script; see tools/xlhost/Script.h for its commands.\n";
}

// An installed host loads the add-in installed beside it (bin/../lib), a built one the build's.
std::string DefaultAddIn()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path installed = self.parent_path() / ".." / "lib" / "libVRDExcelAddInApp.so";
        if (std::filesystem::is_regular_file(installed, error))
            return installed.lexically_normal().string();
    }
    return CORVIK_XLHOST_DEFAULT_ADDIN;
}

}  // namespace

int main(int argc, char** argv)
{
    // Without a display the host still runs: its window is never shown.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::string script;
    std::string addIn = DefaultAddIn();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--script") == 0 && i + 1 < argc) {
            script = argv[++i];
        } else if (std::strcmp(argv[i], "--addin") == 0 && i + 1 < argc) {
            addIn = argv[++i];
        } else {
            Usage();
            return kUsage;
        }
    }
    if (script.empty()) {
        Usage();
        return kUsage;
    }

    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("xlhost"));
    xlhost::Host host;
    host.SetMainWindow(int32_t(window.winId()));
    host.OnAlert([](const xlhost::AlertRecord& alert) {
        std::cout << "alert(" << alert.type << "): " << platform::Utf16ToUtf8(alert.text) << "\n";
    });
    host.OnStatus([](const std::u16string& text) { std::cout << "status: " << platform::Utf16ToUtf8(text) << "\n"; });

    xlhost::ScriptRunner runner(host, std::cout, std::cerr);
    runner.SetDefaultAddIn(addIn);
    runner.SetWaiter([](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    });
    const bool ran = runner.RunFile(script);
    if (runner.AddInOpen())
        runner.RunLine("call xlAutoClose", 0);
    host.UnloadAddIn();

    std::cout << "cells:\n" << host.Cells().Print();
    const size_t live = host.Ledger().Live();
    const size_t bad = host.Ledger().BadFrees();
    const uint64_t foreign = host.ForeignThreadCalls();
    if (live || bad || foreign) {
        std::cerr << "leak check: " << live << " host allocations not handed back, " << bad
                  << " frees of memory the host did not hold, " << foreign << " calls from other threads\n";
        return kLeaked;
    }
    return ran ? 0 : kScriptFailed;
}
