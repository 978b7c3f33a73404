#pragma once

#include <QPixmap>

// The add-in's picture set (its window backgrounds and button states), read from the data folder
// on first use and let go at close, before the library may be unloaded.
namespace addin::dialogs {

// The picture of an id as stored, magenta included; a null picture when it is missing.
QPixmap AddInBitmap(int id);
void ReleaseAddInPictures();

}  // namespace addin::dialogs
