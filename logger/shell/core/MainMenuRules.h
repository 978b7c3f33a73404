#pragma once

namespace project {
struct ExperimentBlock;
}

// The main menu's rules without its widget: its keys, the hidden setting that six Escapes in a row
// flip, whether the analysis button may be used, and where the strip goes over the front screen.
namespace shell {

enum class MenuKey { Enter, Escape, Left, Up, Down, Right, Other };

struct MenuKeyOutcome {
    int post = 0;             // the navigation code posted to the root window, 0 for none
    bool hide = false;        // the menu goes (and, after a navigation, the front screen is told)
    bool toggled = false;     // the hidden setting flipped: store ToggleValue()
};

class MainMenuKeys {
public:
    static constexpr int kEscapesToToggle = 6;

    explicit MainMenuKeys(int toggle = 0) : toggle_(toggle != 0 ? 1 : 0) {}

    // `runExists`: the measurement screen's current data set holds a recorded run.
    MenuKeyOutcome OnKey(MenuKey key, bool runExists);
    int ToggleValue() const { return toggle_; }

private:
    int escapes_ = 0;
    int toggle_ = 0;
};

// Whether the block's current data set is in use; false without a block and for an index outside
// the four data sets (none chosen yet, or a damaged value).
bool CurrentRunExists(const project::ExperimentBlock* block);

struct MenuRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

inline constexpr int kMenuWidth = 760;
inline constexpr int kMenuHeight = 130;
// The strip over a front screen at (x, y) of width x height, in the same coordinates: centred
// when that leaves more than 21 pixels a side, else 22 from the left; 140 up from the bottom, or
// 100 down from the top on a screen lower than 240.
MenuRect PlaceMainMenu(int x, int y, int width, int height);

}  // namespace shell
