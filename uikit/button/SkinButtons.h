#pragma once

#include <QRect>

namespace uikit {
class CButtonST;
}

// How the help viewer and the options dialog set up their skinned buttons.
namespace uikit {

// Picture ids of a button's states; 0 for none.
struct SkinButtonPictures {
    int pressed = 0;
    int normal = 0;
    int focus = 0;
    int disabled = 0;
};

// The pictures from the bitmap module with the skin's key colour, colour slot 0 the system's
// button face lightened by 0x1E a channel, flat focus without a focus rectangle, at `place`.
void SetUpSkinButton(uikit::CButtonST& button, const SkinButtonPictures& pictures, const QRect& place);

}  // namespace uikit
