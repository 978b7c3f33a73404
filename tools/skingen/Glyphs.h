#pragma once

// Pictograms drawn in a square box with one colour: button faces, sensor pictures, menu tiles.

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <QString>

namespace skingen {

// Draws the named pictogram centred in box; returns false for an unknown name (nothing drawn).
bool DrawGlyph(QPainter& painter, const QString& name, const QRectF& box, const QColor& colour);

}  // namespace skingen
