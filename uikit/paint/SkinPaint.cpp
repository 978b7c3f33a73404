#include "uikit/paint/SkinPaint.h"

#include "uikit/resources/ResourceModule.h"

#include <QPainter>
#include <QPixmapCache>
#include <QString>

namespace uikit {

int QtTextFlags(int format)
{
    int flags = Qt::AlignLeft | Qt::AlignTop;
    if (format & kTextCentre)
        flags = (flags & ~Qt::AlignHorizontal_Mask) | Qt::AlignHCenter;
    else if (format & kTextRight)
        flags = (flags & ~Qt::AlignHorizontal_Mask) | Qt::AlignRight;
    if (format & kTextVCentre)
        flags = (flags & ~Qt::AlignVertical_Mask) | Qt::AlignVCenter;
    else if (format & kTextBottom)
        flags = (flags & ~Qt::AlignVertical_Mask) | Qt::AlignBottom;
    if (format & kTextSingleLine)
        flags |= Qt::TextSingleLine;
    else if (format & kTextWordBreak)
        flags |= Qt::TextWordWrap;
    return flags;
}

void DrawFormattedText(QPainter& painter, const QRect& rect, const QString& text, int format)
{
    if (text.isEmpty() || rect.isEmpty())
        return;
    painter.drawText(rect, QtTextFlags(format), text);
}

QPixmap KeyedPixmap(const QPixmap& picture, uint32_t key)
{
    if (picture.isNull())
        return {};
    const QString cacheKey = QStringLiteral("corvik-keyed-%1-%2").arg(picture.cacheKey()).arg(key & 0xFFFFFF);
    QPixmap keyed;
    if (QPixmapCache::find(cacheKey, &keyed))
        return keyed;
    const QRgb rgb = ColorFromRef(key).rgb();
    keyed = QPixmap::fromImage(MaskKeyColour(picture.toImage(), rgb));
    QPixmapCache::insert(cacheKey, keyed);
    return keyed;
}

}  // namespace uikit
