#pragma once

// Contact sheets: every picture of one screen's set on one PNG, captioned with its id, with the
// key colour shown as a checkerboard so that the transparent parts can be judged.

#include "tools/skingen/SkinTable.h"

#include <QImage>
#include <QVector>

namespace skingen {

bool WriteContactSheets(const QVector<SkinRow>& rows, const QVector<QImage>& images, const QString& dir,
                        QString& error);

}  // namespace skingen
