#include "tools/skingen/ContactSheet.h"

#include "tools/skingen/SkinPainter.h"
#include "uikit/resources/FontMap.h"
#include "uikit/resources/ResourceModule.h"

#include <QDir>
#include <QMap>
#include <QPainter>

namespace skingen {

namespace {

constexpr int kSheetWidth = 1400;
constexpr int kGap = 12;
constexpr int kCaption = 18;
constexpr int kMaxCell = 420;

QImage Checker(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    for (int y = 0; y < size.height(); y += 8)
        for (int x = 0; x < size.width(); x += 8)
            p.fillRect(x, y, 8, 8, ((x + y) / 8) % 2 ? QColor(0xCC, 0xCC, 0xCC) : QColor(0xF4, 0xF4, 0xF4));
    return image;
}

QImage RenderSheet(const QString& title, const QVector<int>& indexes, const QVector<SkinRow>& rows,
                   const QVector<QImage>& images)
{
    struct Cell {
        QRect rect;
        int index;
    };
    QVector<Cell> cells;
    int x = kGap, y = 40, lineHeight = 0;
    for (int i : indexes) {
        QSize size = images[i].size();
        if (size.width() > kMaxCell || size.height() > kMaxCell)
            size.scale(kMaxCell, kMaxCell, Qt::KeepAspectRatio);
        const int cellWidth = std::max(size.width(), 44);
        if (x + cellWidth + kGap > kSheetWidth) {
            x = kGap;
            y += lineHeight + kCaption + kGap;
            lineHeight = 0;
        }
        cells.push_back({QRect(QPoint(x, y), size), i});
        x += cellWidth + kGap;
        lineHeight = std::max(lineHeight, size.height());
    }
    const int height = y + lineHeight + kCaption + kGap;
    QImage sheet(kSheetWidth, height, QImage::Format_RGB32);
    sheet.fill(QColor(0x9A, 0xA3, 0xB0));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.setPen(Qt::black);
    p.setFont(uikit::MakeFont(QStringLiteral("Malgun Gothic"), 20, true));
    p.drawText(QRect(kGap, 6, kSheetWidth, 28), Qt::AlignLeft | Qt::AlignVCenter, title);
    p.setFont(uikit::MakeFont(QStringLiteral("tahoma"), 12, false));
    for (const Cell& cell : cells) {
        const QImage masked = uikit::MaskKeyColour(images[cell.index], kKey);
        p.drawImage(cell.rect, Checker(cell.rect.size()));
        p.drawImage(cell.rect, masked);
        p.drawText(QRect(cell.rect.left(), cell.rect.bottom() + 2, std::max(cell.rect.width(), 44), kCaption),
                   Qt::AlignLeft | Qt::AlignTop, QString::number(rows[cell.index].id));
    }
    return sheet;
}

}  // namespace

bool WriteContactSheets(const QVector<SkinRow>& rows, const QVector<QImage>& images, const QString& dir,
                        QString& error)
{
    QMap<QString, QVector<int>> sheets;
    for (int i = 0; i < rows.size(); ++i)
        sheets[rows[i].sheet].push_back(i);
    if (!QDir().mkpath(dir)) {
        error = QStringLiteral("cannot create %1").arg(dir);
        return false;
    }
    for (auto it = sheets.cbegin(); it != sheets.cend(); ++it) {
        const QString path = QDir(dir).filePath(QStringLiteral("skins_%1.png").arg(it.key()));
        const QImage sheet = RenderSheet(QStringLiteral("Skin set: %1").arg(it.key()), it.value(), rows, images);
        if (!sheet.save(path)) {
            error = QStringLiteral("cannot write %1").arg(path);
            return false;
        }
    }
    return true;
}

}  // namespace skingen
