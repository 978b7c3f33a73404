#include "logger/shell/core/MainMenuRules.h"

#include "logger/project/ExperimentRecords.h"
#include "uikit/events/ScreenMessages.h"

namespace shell {

MenuKeyOutcome MainMenuKeys::OnKey(MenuKey key, bool runExists)
{
    MenuKeyOutcome outcome;
    if (key != MenuKey::Escape)
        escapes_ = 0;
    switch (key) {
    case MenuKey::Enter:
        outcome.hide = true;
        break;
    case MenuKey::Escape:
        if (++escapes_ == kEscapesToToggle) {
            escapes_ = 0;
            toggle_ ^= 1;
            outcome.toggled = true;
        }
        break;
    case MenuKey::Left:
        outcome.post = uikit::WM_GOTO_SENSORS;
        break;
    case MenuKey::Up:
        outcome.post = uikit::WM_GOTO_PROJECTS;
        break;
    case MenuKey::Down:
        outcome.post = uikit::WM_GOTO_MEASUREMENT;
        break;
    case MenuKey::Right:
        if (runExists)
            outcome.post = uikit::WM_GOTO_ANALYSIS;
        break;
    case MenuKey::Other:
        break;
    }
    if (outcome.post != 0)
        outcome.hide = true;
    return outcome;
}

bool CurrentRunExists(const project::ExperimentBlock* block)
{
    if (!block)
        return false;
    const project::DataSetRecord* record = project::RecordAt(*block, block->currentIndex);
    return record && record->inUse == 1;
}

MenuRect PlaceMainMenu(int x, int y, int width, int height)
{
    const int centred = (width - kMenuWidth) / 2;
    const int dx = centred > 21 ? centred : 22;
    const int dy = height >= 240 ? height - 140 : 100;
    return {x + dx, y + dy, kMenuWidth, kMenuHeight};
}

}  // namespace shell
