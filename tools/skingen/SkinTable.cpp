#include "tools/skingen/SkinTable.h"

#include <QFile>

namespace skingen {

bool ReadSkinTable(const QString& path, QVector<SkinRow>& rows, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot open %1").arg(path);
        return false;
    }
    int lineNumber = 0;
    while (!file.atEnd()) {
        ++lineNumber;
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList f = line.split(u'\t');
        bool okId = false, okW = false, okH = false;
        SkinRow row;
        if (f.size() == 11) {
            row.module = f[0];
            row.id = f[1].toInt(&okId);
            row.width = f[2].toInt(&okW);
            row.height = f[3].toInt(&okH);
        }
        if (!okId || !okW || !okH || row.width <= 0 || row.height <= 0 || f[5].size() != 1) {
            error = QStringLiteral("%1:%2: malformed row").arg(path).arg(lineNumber);
            return false;
        }
        row.kind = f[4];
        row.state = f[5][0];
        row.glyph = f[6];
        row.label = f[7] == u"-" ? QString() : f[7];
        if (f[8] != u"-")
            row.colour = QColor(f[8]);
        row.sheet = f[9];
        row.role = f[10];
        rows.push_back(row);
    }
    return true;
}

}  // namespace skingen
