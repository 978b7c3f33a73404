#include "uikit/chart/ChartFonts.h"

#include "uikit/resources/FontMap.h"

#include <QFontMetrics>

#include <algorithm>

namespace uikit {

QFont ChartFont(const QString& face, int pixelHeight, bool bold)
{
    pixelHeight = std::clamp(pixelHeight, 4, 200);
    QFont font = MakeFont(face, pixelHeight, bold);
    // Qt's pixel size is the em height; the heights the chart is given are line heights, so
    // shrink the em until a line fits.
    const int lineHeight = QFontMetrics(font).height();
    if (lineHeight > pixelHeight) {
        const int em = std::max(1, pixelHeight * pixelHeight / lineHeight);
        font.setPixelSize(em);
    }
    return font;
}

}  // namespace uikit
