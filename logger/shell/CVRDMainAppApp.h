#pragma once

#include <memory>

// The measurement program as an application: it runs the root window until the program ends and
// gives the root window's exit code. The QApplication is the caller's (main).
namespace shell {

class CVRDMainAppDlg;

class CVRDMainAppApp {
public:
    // Makes the root window, shows it and has the event loop start it. The window emits
    // `finished(exitCode)` once the program has ended; until then whoever runs the event loop
    // runs the program.
    std::unique_ptr<CVRDMainAppDlg> Launch();
    // Launch, then the event loop until the program has ended; its exit code.
    int Run();
};

}  // namespace shell
