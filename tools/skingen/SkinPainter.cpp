#include "tools/skingen/SkinPainter.h"

#include "tools/skingen/Glyphs.h"
#include "uikit/resources/FontMap.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace skingen {

namespace {

// One calm palette for every screen: deep blue surfaces with white text, light surfaces where the
// screens draw dark text, an amber accent for focus and progress.
const QColor kNavy(0x1D, 0x2D, 0x4A);
const QColor kBar(0x27, 0x44, 0x6E);
const QColor kBarDark(0x1A, 0x30, 0x52);
const QColor kAccent(0xF2, 0xA9, 0x3B);
const QColor kFace(0x2F, 0x5C, 0x96);
const QColor kFacePressed(0x1C, 0x3C, 0x68);
const QColor kFaceHot(0x3C, 0x70, 0xB4);
const QColor kFaceBorder(0x12, 0x26, 0x45);
const QColor kDisabledFace(0x8B, 0x95, 0xA5);
const QColor kDisabledGlyph(0xD3, 0xD8, 0xE0);
const QColor kLight(0xF3, 0xF5, 0xF9);
const QColor kLightLine(0xC5, 0xCE, 0xDC);
const QColor kPlate(0xE6, 0xEC, 0xF5);
const QColor kLightFace(0xE9, 0xEE, 0xF6);
const QColor kLightFacePressed(0xC4, 0xD1, 0xE4);
const QColor kMuted(0x5A, 0x6B, 0x85);
const QColor kFalling(0xC8, 0x3C, 0x3C);
const QColor kRising(0x1E, 0x8E, 0x50);
const QColor kWhite(Qt::white);

QFont Font(int px, bool bold = false)
{
    return uikit::MakeFont(QStringLiteral("Malgun Gothic"), px, bold);
}

QColor Mix(const QColor& a, const QColor& b, qreal t)
{
    return QColor::fromRgbF(a.redF() * (1 - t) + b.redF() * t, a.greenF() * (1 - t) + b.greenF() * t,
                            a.blueF() * (1 - t) + b.blueF() * t);
}

// Turns a transparent-background drawing into an opaque picture with the key colour behind it.
QImage FlattenToKey(const QImage& layer)
{
    QImage src = layer.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_RGB32);
    for (int y = 0; y < src.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            QRgb px = qAlpha(in[x]) >= 128 ? (in[x] | 0xFF000000u) : kKey;
            // A drawn pixel that happens to equal the key would vanish; nudge it.
            if (px == kKey && qAlpha(in[x]) >= 128)
                px = qRgb(0xFE, 0x00, 0xFE);
            o[x] = px;
        }
    }
    return out;
}

QImage Layer(const SkinRow& row)
{
    QImage layer(row.width, row.height, QImage::Format_ARGB32);
    layer.fill(Qt::transparent);
    return layer;
}

QImage Opaque(const SkinRow& row, const QColor& fill)
{
    QImage image(row.width, row.height, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

void Begin(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
}

void Text(QPainter& p, const QRectF& r, const QString& s, const QFont& f, const QColor& c,
          int flags = Qt::AlignCenter)
{
    p.setFont(f);
    p.setPen(c);
    p.drawText(r, flags, s);
}

// The clock plate every screen shares: a light rounded field where the clock is drawn in dark blue.
void ClockPlate(QPainter& p, int width)
{
    p.setPen(QPen(kLightLine, 1));
    p.setBrush(kPlate);
    p.drawRoundedRect(QRectF(0.5, 4.5, std::min(118, width - 8), 44), 8, 8);
}

void TopBar(QPainter& p, int width, int height)
{
    p.fillRect(0, 0, width, height, kBar);
    p.fillRect(0, height - 3, width, 3, kAccent);
}

// ---- buttons ----

struct FaceColours {
    QColor face;
    QColor glyph;
    QColor border;
};

FaceColours ButtonColours(QChar state, bool light)
{
    if (state == u'D')
        return {kDisabledFace, kDisabledGlyph, Mix(kDisabledFace, Qt::black, 0.25)};
    if (light) {
        const QColor face = state == u'P' ? kLightFacePressed : kLightFace;
        return {face, kNavy, QColor(0x8C, 0xA0, 0xBF)};
    }
    if (state == u'P')
        return {kFacePressed, kWhite, kFaceBorder};
    if (state == u'H')
        return {kFaceHot, kWhite, kFaceBorder};
    return {kFace, kWhite, kFaceBorder};
}

void FaceAndFrame(QPainter& p, const QRectF& r, QChar state, const FaceColours& c)
{
    p.fillRect(r, c.face);
    if (state == u'N' || state == u'H' || state == u'F') {
        // A lighter top edge lifts a raised button from the band it sits on.
        p.fillRect(QRectF(r.left() + 1, r.top() + 1, r.width() - 2, 2), Mix(c.face, Qt::white, 0.25));
    }
    p.setPen(QPen(c.border, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
    if (state == u'F' || state == u'H') {
        p.setPen(QPen(kAccent, 2));
        p.drawRect(r.adjusted(2, 2, -2, -2));
    }
}

QImage PaintButton(const SkinRow& row)
{
    const bool light = row.glyph == u"-" && row.label.isEmpty();
    QImage image = Opaque(row, kFace);
    QPainter p(&image);
    Begin(p);
    const FaceColours c = ButtonColours(row.state, light);
    const QRectF r(0, 0, row.width, row.height);
    FaceAndFrame(p, r, row.state, c);
    const qreal offset = row.state == u'P' ? 1 : 0;
    const qreal side = std::min(row.width, row.height) * 0.72;
    const QRectF box(offset + (row.width - side) / 2, offset + (row.height - side) / 2, side, side);
    if (!row.label.isEmpty())
        Text(p, r.translated(offset, offset), row.label, Font(int(row.height * 0.55), true), c.glyph);
    else if (row.glyph != u"-")
        DrawGlyph(p, row.glyph, box, c.glyph);
    return image;
}

QImage PaintChannelButton(const SkinRow& row)
{
    QImage image = Opaque(row, kLight);
    QPainter p(&image);
    Begin(p);
    const QRectF r(0, 0, row.width, row.height);
    QColor text;
    if (row.state == u'P') {
        p.fillRect(r, row.colour);
        text = kWhite;
    } else if (row.state == u'D') {
        p.fillRect(r, kDisabledFace);
        text = kDisabledGlyph;
    } else {
        p.fillRect(r, kLight);
        p.fillRect(QRectF(0, 0, std::max(4, row.width / 12), row.height), row.colour);
        text = row.colour.darker(115);
    }
    p.setPen(QPen(row.state == u'D' ? kMuted : row.colour.darker(140), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
    if (row.state == u'F') {
        p.setPen(QPen(kAccent, 2));
        p.drawRect(r.adjusted(2, 2, -2, -2));
    }
    const qreal off = row.state == u'P' ? 1 : 0;
    Text(p, r.translated(off, off), row.label, Font(int(row.height * 0.56), true), text);
    return image;
}

QImage PaintMenuButton(const SkinRow& row)
{
    QImage image = Opaque(row, kNavy);
    QPainter p(&image);
    Begin(p);
    const FaceColours c = ButtonColours(row.state, false);
    const QRectF tile(6, 6, row.width - 12, row.height - 8);
    p.setPen(Qt::NoPen);
    p.setBrush(c.face);
    p.drawRoundedRect(tile, 12, 12);
    if (row.state == u'N') {
        p.setPen(QPen(Mix(c.face, Qt::white, 0.3), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(tile.adjusted(1, 1, -1, -1), 11, 11);
    }
    const qreal off = row.state == u'P' ? 2 : 0;
    DrawGlyph(p, row.glyph, QRectF(33 + off, 18 + off, 60, 60), c.glyph);
    return image;
}

// ---- backgrounds ----

void Watermark(QPainter& p, const QString& glyph, const QRectF& box, const QColor& base)
{
    DrawGlyph(p, glyph, box, Mix(base, Qt::white, 0.12));
}

constexpr int kTallDialog = 200;
constexpr int kChoiceRowBand = 46;

QImage PaintDialog(const SkinRow& row)
{
    QImage image = Opaque(row, kNavy);
    QPainter p(&image);
    Begin(p);
    // The small choice dialogs put their first label and list at 15..40: their band holds that row,
    // so that its edge line never runs through a control.
    const int band = row.height < kTallDialog ? kChoiceRowBand : std::min(38, row.height / 5);
    p.fillRect(0, 0, row.width, band, kBar);
    p.fillRect(0, band, row.width, 2, kAccent);
    p.setPen(QPen(kBarDark, 2));
    p.drawRect(QRectF(1, 1, row.width - 2, row.height - 2));
    // The sensor set-up dialog's lower right is full of fields and buttons, and the small choice
    // dialogs have their texts there: no art behind them.
    if (row.height >= kTallDialog && row.glyph != u"setup" && row.glyph != u"calibrate") {
        const qreal side = std::min(row.height * 0.5, 90.0);
        Watermark(p, row.glyph, QRectF(row.width - side - 10, row.height - side - 10, side, side), kNavy);
    }
    return image;
}

QImage PaintPage(const SkinRow& row)
{
    QImage image = Opaque(row, kBar);
    QPainter p(&image);
    Begin(p);
    p.setPen(QPen(kBarDark, 2));
    p.drawRect(QRectF(1, 1, row.width - 2, row.height - 2));
    Watermark(p, row.glyph, QRectF(row.width - 76, row.height - 76, 66, 66), kBar);
    return image;
}

QImage PaintNote(const SkinRow& row)
{
    QImage image = Opaque(row, kNavy);
    QPainter p(&image);
    Begin(p);
    p.fillRect(0, 0, row.width, 48, kBar);
    p.fillRect(0, 48, row.width, 3, kAccent);
    DrawGlyph(p, QStringLiteral("note"), QRectF(12, 8, 32, 32), kWhite);
    return image;
}

QImage PaintCalibration(const SkinRow& row)
{
    QImage image = Opaque(row, kNavy);
    QPainter p(&image);
    Begin(p);
    const bool ok = row.glyph == u"calibrated";
    p.setPen(Qt::NoPen);
    p.setBrush(ok ? kRising : kFalling);
    p.drawRoundedRect(QRectF(3, 2, row.width - 6, row.height - 4), 8, 8);
    DrawGlyph(p, ok ? QStringLiteral("ok") : QStringLiteral("close"), QRectF(10, 5, 30, 30), kWhite);
    return image;
}

QImage PaintScreen(const SkinRow& row)
{
    if (row.label == u"monitor") {
        QImage image = Opaque(row, kLight);
        QPainter p(&image);
        Begin(p);
        TopBar(p, row.width, 55);
        const QRect panelSlots[] = {{4, 58, 392, 266}, {404, 58, 392, 266}, {4, 332, 392, 266}, {404, 332, 392, 266}};
        p.setPen(QPen(kLightLine, 2, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        for (const QRect& s : panelSlots)
            p.drawRoundedRect(QRectF(s).adjusted(2, 2, -2, -2), 14, 14);
        return image;
    }
    QImage image = Opaque(row, kNavy);
    QPainter p(&image);
    Begin(p);
    // Soft waves in the lower half give the plain field some depth without competing with the text.
    for (int i = 0; i < 4; ++i) {
        QPen pen(Mix(kNavy, kBar, 0.6 + 0.1 * i), 3);
        p.setPen(pen);
        QPainterPath path;
        for (int x = 0; x <= row.width; x += 8) {
            const qreal y = 420 + i * 30 + 26 * std::sin(x / 90.0 + i);
            if (x == 0)
                path.moveTo(x, y);
            else
                path.lineTo(x, y);
        }
        p.drawPath(path);
    }
    if (row.label == u"pcsync") {
        p.setPen(Qt::NoPen);
        p.setBrush(kBar);
        p.drawRoundedRect(QRectF(40, 36, 300, 160), 16, 16);
        p.setBrush(kLight);
        p.drawEllipse(QPointF(107.5, 97.5), 56, 56);
        Text(p, QRectF(176, 70, 150, 60), QStringLiteral("PC"), Font(40, true), kWhite);
        return image;
    }
    p.fillRect(0, 0, row.width, 6, kAccent);
    Text(p, QRectF(48, 60, 700, 80), QStringLiteral("Corvik"), Font(64, true), kWhite,
         Qt::AlignLeft | Qt::AlignVCenter);
    Text(p, QRectF(52, 140, 700, 40), QStringLiteral("Plovex Logger"), Font(26), kPlate,
         Qt::AlignLeft | Qt::AlignVCenter);
    p.setPen(Qt::NoPen);
    p.setBrush(kBar);
    p.drawEllipse(QPointF(682, 439), 58, 58);
    return image;
}

QImage PaintMenuBackground(const SkinRow& row)
{
    QImage image = Opaque(row, kNavy);
    QPainter p(&image);
    p.fillRect(0, row.height - 8, row.width, 8, kAccent);
    p.fillRect(0, 100, row.width, 22, kBarDark);
    return image;
}

QImage PaintStrip(const SkinRow& row)
{
    QImage image = Opaque(row, kBar);
    QPainter p(&image);
    TopBar(p, row.width, row.height);
    return image;
}

QImage PaintCorner(const SkinRow& row)
{
    QImage image = Opaque(row, kBar);
    QPainter p(&image);
    Begin(p);
    TopBar(p, row.width, row.height);
    ClockPlate(p, row.width);
    return image;
}

QImage PaintHeader(const SkinRow& row, const QString& title)
{
    QImage image = Opaque(row, kBar);
    QPainter p(&image);
    Begin(p);
    TopBar(p, row.width, row.height);
    DrawGlyph(p, QStringLiteral("logo"), QRectF(8, 6, 42, 42), kAccent);
    Text(p, QRectF(56, 4, row.width - 60, 46), title, Font(24, true), kWhite, Qt::AlignLeft | Qt::AlignVCenter);
    return image;
}

QImage PaintPlate(const SkinRow& row)
{
    QImage image = Opaque(row, kLight);
    QPainter p(&image);
    Begin(p);
    p.setPen(QPen(kLightLine, 1));
    p.setBrush(kWhite);
    p.drawRoundedRect(QRectF(0.5, 0.5, row.width - 1, row.height - 1), 10, 10);
    return image;
}

QImage PaintProjectBody(const SkinRow& row)
{
    QImage image = Opaque(row, kLight);
    QPainter p(&image);
    p.fillRect(0, 0, 400, row.height, kWhite);
    p.fillRect(400, 0, 2, row.height, kLightLine);
    return image;
}

QImage PaintChannelPanel(const SkinRow& row)
{
    QImage image = Opaque(row, kWhite);
    QPainter p(&image);
    Begin(p);
    p.fillRect(0, 0, 6, row.height, row.colour);
    p.setPen(QPen(kLightLine, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, row.width - 1, row.height - 1));
    Text(p, QRectF(row.width - 30, 2, 26, 22), row.label, Font(16, true), row.colour);
    return image;
}

QImage PaintWindowBase(const SkinRow& row)
{
    return Opaque(row, kNavy);
}

// ---- keyed pictures ----

// A rounded card over the whole picture; returns its outline for clipping and framing.
QPainterPath Card(QPainter& p, const SkinRow& row, qreal radius, const QColor& fill)
{
    QPainterPath shape;
    shape.addRoundedRect(QRectF(1, 1, row.width - 2, row.height - 2), radius, radius);
    p.fillPath(shape, fill);
    return shape;
}

QImage PaintPanel(const SkinRow& row)
{
    QImage layer = Layer(row);
    QPainter p(&layer);
    Begin(p);
    const QPainterPath shape = Card(p, row, 16, kWhite);
    p.save();
    p.setClipPath(shape);
    p.fillRect(QRectF(0, 0, row.width, 60), Mix(row.colour, Qt::white, 0.82));
    p.fillRect(QRectF(0, 0, 10, row.height), row.colour);
    p.fillRect(QRectF(0, 60, row.width, 2), Mix(row.colour, Qt::white, 0.5));
    p.restore();
    p.setPen(QPen(row.colour, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    // The channel letter in a disc, left of the full name that the screen writes from x 80.
    p.setPen(Qt::NoPen);
    p.setBrush(row.colour);
    p.drawEllipse(QPointF(44, 30), 20, 20);
    Text(p, QRectF(24, 10, 40, 40), row.label, Font(24, true), kWhite);
    p.end();
    return FlattenToKey(layer);
}

QImage PaintSensor(const SkinRow& row)
{
    QImage layer = Layer(row);
    QPainter p(&layer);
    Begin(p);
    const QRectF card(4, 4, row.width - 8, row.height - 8);
    p.setPen(QPen(kLightLine, 2));
    p.setBrush(kLight);
    p.drawRoundedRect(card, 14, 14);
    DrawGlyph(p, row.glyph, QRectF(18, 16, 81, 81), kNavy);
    const QRectF trendBox(28, 108, 61, 61);
    if (row.label == u"rising") {
        p.save();
        p.translate(trendBox.center());
        p.rotate(-90);
        DrawGlyph(p, QStringLiteral("forward"), QRectF(-30, -30, 60, 60), kRising);
        p.restore();
    } else if (row.label == u"falling") {
        p.save();
        p.translate(trendBox.center());
        p.rotate(90);
        DrawGlyph(p, QStringLiteral("forward"), QRectF(-30, -30, 60, 60), kFalling);
        p.restore();
    } else {
        p.setPen(QPen(kMuted, 8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(36, 130), QPointF(81, 130));
        p.drawLine(QPointF(36, 148), QPointF(81, 148));
    }
    p.end();
    return FlattenToKey(layer);
}

QImage PaintFrame(const SkinRow& row)
{
    QImage layer = Layer(row);
    QPainter p(&layer);
    Begin(p);
    const int n = row.label.toInt();
    const QPointF c(row.width / 2.0, row.height / 2.0);
    const qreal r = row.width / 2.0 - 2;
    p.setPen(Qt::NoPen);
    p.setBrush(kBar);
    p.drawEllipse(c, r, r);
    if (row.glyph == u"startup") {
        // Ten segments light up one by one around a wave; the last frame shows the full ring.
        for (int i = 0; i < 10; ++i) {
            p.setPen(QPen(i <= n ? kAccent : Mix(kBar, Qt::white, 0.25), 7, Qt::SolidLine, Qt::FlatCap));
            const int start = 90 * 16 - i * 36 * 16 - 4 * 16;
            p.drawArc(QRectF(c.x() - r + 7, c.y() - r + 7, 2 * r - 14, 2 * r - 14), start, -28 * 16);
        }
        DrawGlyph(p, QStringLiteral("logo"), QRectF(c.x() - 22, c.y() - 22, 44, 44), kWhite);
    } else {
        // Logger on the left, computer on the right, a packet travelling between them.
        p.setPen(QPen(kWhite, 3));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(14, 38, 20, 26), 3, 3);
        p.drawRect(QRectF(58, 34, 26, 20));
        p.drawLine(QPointF(71, 54), QPointF(71, 62));
        p.drawLine(QPointF(63, 62), QPointF(79, 62));
        if (n >= 8) {
            DrawGlyph(p, QStringLiteral("ok"), QRectF(32, 58, 30, 30), kAccent);
        } else {
            for (int i = 0; i < 4; ++i) {
                const qreal x = 38 + i * 5;
                p.setPen(Qt::NoPen);
                p.setBrush(Mix(kBar, Qt::white, 0.3));
                p.drawEllipse(QPointF(x, 48), 1.5, 1.5);
            }
            p.setBrush(kAccent);
            p.drawEllipse(QPointF(36 + (n % 8) * 3, 48), 4, 4);
        }
    }
    p.end();
    return FlattenToKey(layer);
}

QImage PaintMessageBackground(const SkinRow& row)
{
    QImage layer = Layer(row);
    QPainter p(&layer);
    Begin(p);
    const QPainterPath shape = Card(p, row, 18, kLight);
    p.save();
    p.setClipPath(shape);
    p.fillRect(QRectF(0, 0, row.width, 40), kBar);
    p.fillRect(QRectF(0, 40, row.width, 3), kAccent);
    p.restore();
    p.setPen(QPen(kBarDark, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    Text(p, QRectF(16, 0, 300, 40), QStringLiteral("Corvik"), Font(18, true), kWhite,
         Qt::AlignLeft | Qt::AlignVCenter);
    p.end();
    return FlattenToKey(layer);
}

QImage PaintMessagePicture(const SkinRow& row)
{
    QImage layer = Layer(row);
    QPainter p(&layer);
    Begin(p);
    const QPointF c(80, 75);
    QColor ring = kBar;
    if (row.glyph == u"attached")
        ring = kRising;
    else if (row.glyph == u"removed")
        ring = kFalling;
    p.setPen(Qt::NoPen);
    p.setBrush(ring);
    p.drawEllipse(c, 68, 68);
    p.setBrush(kWhite);
    p.drawEllipse(c, 58, 58);
    if (row.glyph == u"info" || row.glyph == u"question") {
        Text(p, QRectF(20, 15, 120, 120), row.glyph == u"info" ? QStringLiteral("i") : QStringLiteral("?"),
             Font(84, true), kBar);
    } else {
        DrawGlyph(p, QStringLiteral("sensors"), QRectF(36, 24, 76, 76), kNavy);
        DrawGlyph(p, row.glyph == u"attached" ? QStringLiteral("ok") : QStringLiteral("close"),
                  QRectF(74, 72, 44, 44), ring);
    }
    p.end();
    return FlattenToKey(layer);
}

// ---- the programs' own pictures ----

QImage PaintIcon(const SkinRow& row)
{
    QImage image = Opaque(row, kNavy);
    QPainter p(&image);
    Begin(p);
    p.setPen(Qt::NoPen);
    p.setBrush(kBar);
    p.drawRoundedRect(QRectF(2, 2, row.width - 4, row.height - 4), 12, 12);
    DrawGlyph(p, QStringLiteral("logo"), QRectF(6, 6, row.width - 12, row.height - 12), kAccent);
    return image;
}

QImage PaintImageList(const SkinRow& row)
{
    QImage layer = Layer(row);
    QPainter p(&layer);
    Begin(p);
    const char* glyphs[] = {"projects", "measure", "analyse", "note", "graphs"};
    const int count = row.width / 16;
    for (int i = 0; i < count && i < 5; ++i)
        DrawGlyph(p, QString::fromLatin1(glyphs[i]), QRectF(i * 16, 0, 16, 16), kNavy);
    p.end();
    return FlattenToKey(layer);
}

QImage PaintWindowBackground(const SkinRow& row, const QString& title)
{
    QImage image = Opaque(row, kNavy);
    QPainter p(&image);
    Begin(p);
    p.fillRect(0, 0, row.width, 48, kBar);
    p.fillRect(0, 48, row.width, 3, kAccent);
    if (!title.isEmpty())
        Text(p, QRectF(row.width - 320, 0, 300, 48), title, Font(20, true), kWhite,
             Qt::AlignRight | Qt::AlignVCenter);
    return image;
}

QImage PaintFirmwareBackground(const SkinRow& row)
{
    QImage image = PaintWindowBackground(row, QStringLiteral("Corvik Upgrade"));
    QPainter p(&image);
    Begin(p);
    // The tool writes its three text areas in the default (dark) text colour: one light field
    // holds them all, the progress bar sits at its foot.
    p.setPen(QPen(kLightLine, 1));
    p.setBrush(kLight);
    p.drawRoundedRect(QRectF(236.5, 60.5, 424, 338), 12, 12);
    return image;
}

// The add-in's windows: the elapsed time and the labels are white on the band; the channel values
// and titles are dark, on one light card per channel (160 px apart).
QImage PaintAddInBackground(const SkinRow& row)
{
    const bool measurement = row.height > 200;
    const int band = measurement ? 88 : 34;
    QImage image = PaintWindowBackground(row, QString());
    QPainter p(&image);
    Begin(p);
    p.fillRect(0, 0, row.width, band, kBar);
    p.fillRect(0, band, row.width, row.height - band, kLight);
    p.fillRect(0, band - 3, row.width, 3, kAccent);
    for (int ch = 0; ch < 4; ++ch) {
        p.setPen(QPen(kLightLine, 1));
        p.setBrush(kWhite);
        p.drawRoundedRect(QRectF(160 * ch + 4.5, band + 5.5, 151, row.height - band - 11), 8, 8);
    }
    Text(p, QRectF(row.width - 220, 0, 210, measurement ? 34 : band), row.label, Font(16, true), kWhite,
         Qt::AlignRight | Qt::AlignVCenter);
    return image;
}

}  // namespace

QImage PaintSkin(const SkinRow& row)
{
    const QString& k = row.kind;
    QImage image;
    if (k == u"button")
        image = PaintButton(row);
    else if (k == u"chanbutton")
        image = PaintChannelButton(row);
    else if (k == u"menubutton")
        image = PaintMenuButton(row);
    else if (k == u"dialog")
        image = PaintDialog(row);
    else if (k == u"page")
        image = PaintPage(row);
    else if (k == u"notebg")
        image = PaintNote(row);
    else if (k == u"calib")
        image = PaintCalibration(row);
    else if (k == u"screen")
        image = PaintScreen(row);
    else if (k == u"menubg")
        image = PaintMenuBackground(row);
    else if (k == u"strip" || k == u"band")
        image = PaintStrip(row);
    else if (k == u"corner")
        image = PaintCorner(row);
    else if (k == u"pmhead")
        image = PaintHeader(row, QStringLiteral("Projects"));
    else if (k == u"mhead")
        image = PaintHeader(row, QStringLiteral("Measure"));
    else if (k == u"plate")
        image = PaintPlate(row);
    else if (k == u"pmbody")
        image = PaintProjectBody(row);
    else if (k == u"chanpanel")
        image = PaintChannelPanel(row);
    else if (k == u"base")
        image = PaintWindowBase(row);
    else if (k == u"panel")
        image = PaintPanel(row);
    else if (k == u"sensor")
        image = PaintSensor(row);
    else if (k == u"frame")
        image = PaintFrame(row);
    else if (k == u"msgbg")
        image = PaintMessageBackground(row);
    else if (k == u"msgpic")
        image = PaintMessagePicture(row);
    else if (k == u"icon")
        image = PaintIcon(row);
    else if (k == u"imagelist")
        image = PaintImageList(row);
    else if (k == u"addinbg")
        image = PaintAddInBackground(row);
    else if (k == u"fwbg")
        image = PaintFirmwareBackground(row);
    if (image.isNull())
        return {};
    return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace skingen
