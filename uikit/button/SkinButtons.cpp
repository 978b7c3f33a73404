#include "uikit/button/SkinButtons.h"

#include "uikit/button/CButtonST.h"
#include "uikit/common/CVRDCommonBase.h"
#include "uikit/paint/SkinPaint.h"
#include "uikit/resources/ResourceModule.h"
#include "uikit/window/CVRDWindowBase.h"

#include <algorithm>

namespace uikit {

namespace {

QPixmap Picture(uikit::ResourceModule* bitmaps, int id)
{
    return bitmaps && id > 0 ? bitmaps->Bitmap(id) : QPixmap();
}

}  // namespace

void SetUpSkinButton(uikit::CButtonST& button, const SkinButtonPictures& pictures, const QRect& place)
{
    uikit::ResourceModule* bitmaps = uikit::CVRDCommonBase::GetBitmapModule();
    const uint32_t key = uikit::kSkinKey;
    button.SetBitmaps(Picture(bitmaps, pictures.pressed), key, Picture(bitmaps, pictures.normal), key,
                      Picture(bitmaps, pictures.focus), key, Picture(bitmaps, pictures.disabled), key);
    const QColor face = button.palette().color(QPalette::Button);
    const QColor lighter(std::min(255, face.red() + 0x1E), std::min(255, face.green() + 0x1E),
                         std::min(255, face.blue() + 0x1E));
    button.SetColor(uikit::CButtonST::kColourPressedBackground, uikit::RefFromColor(lighter));
    button.SetFlatFocus(true);
    button.SetShowFocusRect(false);
    button.setGeometry(place);
}

}  // namespace uikit
