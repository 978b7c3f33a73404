#pragma once

// The picture table the skin generator paints from: one row per (module, id).

#include <QColor>
#include <QString>
#include <QVector>

namespace skingen {

struct SkinRow {
    QString module;   // skin, program, addin, firmware
    int id = 0;
    int width = 0;
    int height = 0;
    QString kind;     // what is painted: button, screen, panel, sensor, ...
    QChar state;      // P, N, F, D, H or '-'
    QString glyph;    // pictogram name or '-'
    QString label;    // text, layout name, frame index or trend; '-' for none
    QColor colour;    // accent colour; invalid when '-'
    QString sheet;    // contact sheet the picture is shown on
    QString role;
};

// Reads the table; on a malformed row returns false and names the line in error.
bool ReadSkinTable(const QString& path, QVector<SkinRow>& rows, QString& error);

}  // namespace skingen
