#pragma once

// The measurement program as an application: it runs the root window until the program ends and
// gives the root window's exit code. The QApplication is the caller's (main).
namespace shell {

class CVRDMainAppApp {
public:
    // Shows the root window, starts it from the event loop and runs the loop until it finishes.
    int Run();
};

}  // namespace shell
