#pragma once

#include <QString>

// English for the few texts a program must be able to show when its language module is missing
// (an incomplete or moved installation): why it cannot start, and the message box's buttons.
namespace uikit {

// The built-in text of a language id, empty for ids without one.
QString FallbackText(int id);

}  // namespace uikit
