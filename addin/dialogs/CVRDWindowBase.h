#pragma once

#include <cstdint>

#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QString>

class QPainter;

// The add-in's own, reduced skin-drawing base beside its windows' dialog class (the measurement
// program's is uikit::CVRDWindowBase): texts from the language module, pictures drawn at their
// size with the key colour left out, text in a rectangle, and fonts. Colours are 0x00BBGGRR and
// text formats those of uikit/paint/SkinPaint.h.
namespace addin::dialogs {

inline constexpr uint32_t kKeyColour = 0xFF00FF;

class CVRDWindowBase {
public:
    CVRDWindowBase();
    virtual ~CVRDWindowBase();
    CVRDWindowBase(const CVRDWindowBase&) = delete;
    CVRDWindowBase& operator=(const CVRDWindowBase&) = delete;

    // The text of a language-module id, cut to maxChars - 1 characters; empty when missing.
    static QString LanguageString(int id, int maxChars = 256);

    // At the picture's own size from (x, y), the key colour left out.
    void DrawBitmapNatural(QPainter& painter, const QPixmap& bitmap, int x, int y, int right, int bottom);
    // (x, y)-(right, bottom) from the picture's origin, the key colour left out.
    void DrawBitmapTransparent(QPainter& painter, const QPixmap& bitmap, int x, int y, int right, int bottom,
                               uint32_t key);
    // The text with the font (the painter's when null), colour and format; the painter's font
    // and pen are restored afterwards.
    void DrawTextInRect(QPainter& painter, const QString& text, const QRect& rect, const QFont* font, uint32_t colour,
                        int format);
    // A font of the mapped family at a pixel height; weight 700 when bold is 1. 0 without a font.
    static int CreateFont(QFont* font, int height, const QString& face, int bold, int quality);

    int Mode() const { return mode_; }
    // "Malgun Gothic" 14, regular: the windows' own controls.
    const QFont& BaseFont() const { return font_; }

private:
    static constexpr int kMode = 3;

    int mode_ = kMode;
    QFont font_;
};

}  // namespace addin::dialogs
