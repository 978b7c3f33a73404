#pragma once

// The wait cursor while the analysis screen computes: shown for the life of the object, and
// taken down early, all at once, before a message box opens, so that a box is never answered
// under an hourglass. UI thread only.
namespace analysis {

class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    // Restores the cursor of every wait cursor still up; their destructors then do nothing.
    static void RestoreAll();
    // Whether one is up now.
    static bool Shown();

private:
    void Restore();

    bool shown_ = false;
    WaitCursor* outer_;
};

}  // namespace analysis
