#include "uikit/chart/ChartFonts.h"

#include <QFontMetrics>
#include <QStringList>

#include <algorithm>

namespace uikit {
namespace {

QStringList FamiliesFor(const QString& face)
{
    QStringList families;
    const QString lower = face.trimmed().toLower();
    if (lower == QLatin1String("malgun gothic") || lower == QString::fromUtf8("맑은 고딕") ||
        lower == QLatin1String("gulim") || lower == QLatin1String("dotum")) {
        families << QStringLiteral("NanumGothic") << QStringLiteral("DejaVu Sans");
    } else if (lower == QLatin1String("tahoma") || lower == QLatin1String("arial") ||
               lower == QLatin1String("verdana") || lower.isEmpty()) {
        families << QStringLiteral("DejaVu Sans") << QStringLiteral("NanumGothic");
    } else {
        families << face << QStringLiteral("DejaVu Sans") << QStringLiteral("NanumGothic");
    }
    return families;
}

}  // namespace

QFont ChartFont(const QString& face, int pixelHeight, bool bold)
{
    pixelHeight = std::clamp(pixelHeight, 4, 200);
    QFont font;
    font.setFamilies(FamiliesFor(face));
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setPixelSize(pixelHeight);
    // Qt's pixel size is the em height; the heights the program gives are line heights, so
    // shrink the em until a line fits.
    const int lineHeight = QFontMetrics(font).height();
    if (lineHeight > pixelHeight) {
        const int em = std::max(1, pixelHeight * pixelHeight / lineHeight);
        font.setPixelSize(em);
    }
    return font;
}

}  // namespace uikit
