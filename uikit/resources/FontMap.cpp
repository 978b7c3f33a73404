#include "uikit/resources/FontMap.h"

#include <QStringList>

namespace uikit {

namespace {

const QString kKoreanFamily = QStringLiteral("NanumGothic");
const QString kLatinFamily = QStringLiteral("DejaVu Sans");

}  // namespace

QString MapFontFamily(const QString& face)
{
    const QString key = face.trimmed().toLower();
    if (key == u"malgun gothic" || key == u"맑은 고딕" || key.isEmpty())
        return kKoreanFamily;
    if (key == u"tahoma" || key == u"arial")
        return kLatinFamily;
    return face.trimmed();
}

QFont MakeFont(const QString& face, int pixelHeight, bool bold)
{
    QFont font;
    // The fallbacks keep Korean literals and Greek symbols visible whatever family was asked for.
    font.setFamilies({MapFontFamily(face), kKoreanFamily, kLatinFamily});
    font.setPixelSize(pixelHeight > 0 ? pixelHeight : 12);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

}  // namespace uikit
