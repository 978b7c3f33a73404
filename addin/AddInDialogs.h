#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The add-in's own windows, as the workbook functions see them: the snapshot window, the
// measurement dialog, the analysis result window and the three analysis option dialogs. This
// base answers as a host without windows would see it: every modal one "cancelled", the
// modeless ones not shown. The set installed from the start is the windows themselves
// (dialogs/WindowDialogs), which need a Qt application on the host's thread and answer as this
// base does without one; tests install their own.
namespace addin {

inline constexpr int kDialogOk = 1;
inline constexpr int kDialogCancel = 2;

// The curve dialog's answer: 0 polynomial, 1 logarithmic, 2 exponential, 3 power.
struct CurveChoice {
    int32_t curve = 0;
    int32_t orderIndex = 0;      // the polynomial's order is this + 3
    int32_t exponentialModel = 0;  // 1: with the added constant
};

class AddInDialogs {
public:
    virtual ~AddInDialogs() = default;

    // The modeless snapshot window.
    virtual bool SnapshotDialogExists() const { return false; }
    // Destroys its window and object, its display thread joined; true when there was one.
    virtual bool CloseSnapshotDialog() { return false; }
    // Shows the window: the one that is open, else a new one over the given host window (0: none).
    virtual void ShowSnapshotDialog(intptr_t /*parentWindow*/) {}

    // The modal measurement dialog: kDialogOk or kDialogCancel.
    virtual int RunMeasureDialog() { return kDialogCancel; }

    // The modeless result window; it keeps its own copy of the lines.
    virtual void ShowAnalysisDetail(const std::vector<std::u16string>& /*lines*/) {}

    virtual int RunCurveSelect(CurveChoice& /*choice*/) { return kDialogCancel; }
    virtual int RunIntegralModel(int32_t& /*method*/) { return kDialogCancel; }
    virtual int RunDerivativeModel(int32_t& /*method*/) { return kDialogCancel; }

    // At close and before unload: every window destroyed, every thread of theirs joined.
    virtual void DestroyAll() {}
};

// The installed set; installing null puts the windows back.
AddInDialogs& Dialogs();
void InstallDialogs(std::unique_ptr<AddInDialogs> dialogs);

}  // namespace addin
