#include "addin/dialogs/CVRDWindowBase.h"

#include "addin/Language.h"
#include "uikit/paint/SkinPaint.h"
#include "uikit/resources/FontMap.h"

#include <QPainter>

namespace addin::dialogs {

namespace {

constexpr int kBaseFontHeight = 14;
constexpr int kQuality = 4;

}  // namespace

CVRDWindowBase::CVRDWindowBase()
{
    CreateFont(&font_, kBaseFontHeight, QStringLiteral("Malgun Gothic"), 0, kQuality);
}

CVRDWindowBase::~CVRDWindowBase() = default;

QString CVRDWindowBase::LanguageString(int id, int maxChars)
{
    if (maxChars < 2)
        return {};
    const std::u16string text = LanguageText(id);
    QString result = QString::fromUtf16(text.data(), qsizetype(text.size()));
    if (result.size() > maxChars - 1) {
        qsizetype cut = maxChars - 1;
        if (result.at(cut - 1).isHighSurrogate())
            --cut;
        result.truncate(cut);
    }
    return result;
}

void CVRDWindowBase::DrawBitmapNatural(QPainter& painter, const QPixmap& bitmap, int x, int y, int right, int bottom)
{
    if (!bitmap.isNull())
        right = x + bitmap.width();
    DrawBitmapTransparent(painter, bitmap, x, y, right, bottom, kKeyColour);
}

void CVRDWindowBase::DrawBitmapTransparent(QPainter& painter, const QPixmap& bitmap, int x, int y, int right,
                                           int bottom, uint32_t key)
{
    if (bitmap.isNull() || right <= x || bottom <= y)
        return;
    painter.drawPixmap(x, y, uikit::KeyedPixmap(bitmap, key), 0, 0, right - x, bottom - y);
}

void CVRDWindowBase::DrawTextInRect(QPainter& painter, const QString& text, const QRect& rect, const QFont* font,
                                    uint32_t colour, int format)
{
    painter.save();
    if (font)
        painter.setFont(*font);
    painter.setPen(uikit::ColorFromRef(colour));
    uikit::DrawFormattedText(painter, rect, text, format);
    painter.restore();
}

int CVRDWindowBase::CreateFont(QFont* font, int height, const QString& face, int bold, int /*quality*/)
{
    if (!font)
        return 0;
    *font = uikit::MakeFont(face, height, bold == 1);
    return 1;
}

}  // namespace addin::dialogs
