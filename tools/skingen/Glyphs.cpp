#include "tools/skingen/Glyphs.h"

#include "uikit/resources/FontMap.h"

#include <QHash>
#include <QPainterPath>

#include <cmath>
#include <functional>

namespace skingen {

namespace {

// Every pictogram is drawn in a 100 x 100 design space with a stroke of 8 units.
struct Pen {
    QPainter& p;
    QColor c;

    void stroke(qreal width = 8)
    {
        QPen pen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
    }
    void fill()
    {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
    }
    void line(qreal x1, qreal y1, qreal x2, qreal y2) { p.drawLine(QPointF(x1, y1), QPointF(x2, y2)); }
    void poly(std::initializer_list<QPointF> points)
    {
        p.drawPolyline(points.begin(), int(points.size()));
    }
    void polygon(std::initializer_list<QPointF> points)
    {
        p.drawPolygon(points.begin(), int(points.size()));
    }
    void text(const QString& s, qreal px, QRectF r = QRectF(0, 0, 100, 100), bool bold = true)
    {
        p.setPen(c);
        p.setFont(uikit::MakeFont(QStringLiteral("Malgun Gothic"), int(px), bold));
        p.drawText(r, Qt::AlignCenter, s);
    }
    void arrowHead(qreal x, qreal y, qreal dx, qreal dy, qreal size = 16)
    {
        // A filled head pointing along (dx, dy) with its tip at (x, y).
        const qreal len = std::hypot(dx, dy);
        const qreal ux = dx / len, uy = dy / len;
        fill();
        polygon({QPointF(x, y), QPointF(x - ux * size - uy * size * 0.7, y - uy * size + ux * size * 0.7),
                 QPointF(x - ux * size + uy * size * 0.7, y - uy * size - ux * size * 0.7)});
    }
    void wave(qreal x0, qreal x1, qreal yc, qreal amp, qreal cycles, qreal damping = 0)
    {
        QPainterPath path;
        for (int i = 0; i <= 60; ++i) {
            const qreal t = i / 60.0;
            const qreal y = yc - amp * std::exp(-damping * t) * std::sin(t * cycles * 2 * M_PI);
            if (i == 0)
                path.moveTo(x0, y);
            else
                path.lineTo(x0 + (x1 - x0) * t, y);
        }
        p.drawPath(path);
    }
    void axes()
    {
        stroke(6);
        poly({QPointF(14, 10), QPointF(14, 86), QPointF(92, 86)});
    }
    void dots(std::initializer_list<QPointF> points, qreal r = 5)
    {
        fill();
        for (const QPointF& pt : points)
            p.drawEllipse(pt, r, r);
    }
};

using GlyphFn = std::function<void(Pen&)>;

void Folder(Pen& g)
{
    g.stroke();
    g.polygon({QPointF(10, 28), QPointF(38, 28), QPointF(46, 36), QPointF(90, 36), QPointF(90, 80),
               QPointF(10, 80)});
}

void Cross(Pen& g)
{
    g.stroke(11);
    g.line(26, 26, 74, 74);
    g.line(74, 26, 26, 74);
}

void Arrow(Pen& g, bool right)
{
    g.stroke(10);
    const qreal tip = right ? 84 : 16;
    g.line(right ? 16 : 84, 50, right ? 66 : 34, 50);
    g.arrowHead(tip, 50, right ? 1 : -1, 0, 28);
}

void Magnifier(Pen& g)
{
    g.stroke(9);
    g.p.drawEllipse(QPointF(42, 42), 24, 24);
    g.stroke(13);
    g.line(60, 60, 84, 84);
}

void Thermometer(Pen& g)
{
    g.stroke(7);
    QPainterPath tube;
    tube.addRoundedRect(QRectF(40, 8, 20, 66), 10, 10);
    g.p.drawPath(tube);
    g.fill();
    g.p.drawEllipse(QPointF(50, 78), 15, 15);
    g.p.drawRect(QRectF(46, 36, 8, 40));
    g.stroke(4);
    for (int y = 20; y <= 56; y += 12)
        g.line(64, y, 72, y);
}

void Dial(Pen& g, const QString& letter)
{
    g.stroke(7);
    g.p.drawArc(QRectF(12, 18, 76, 76), 0 * 16, 180 * 16);
    g.line(12, 56, 88, 56);
    g.stroke(6);
    g.line(50, 56, 72, 30);
    g.dots({QPointF(50, 56)}, 6);
    g.text(letter, 22, QRectF(0, 60, 100, 36));
}

void Sun(Pen& g, const QString& letter)
{
    g.stroke(6);
    g.p.drawEllipse(QPointF(50, 46), 18, 18);
    for (int i = 0; i < 8; ++i) {
        const qreal a = i * M_PI / 4;
        g.line(50 + 26 * std::cos(a), 46 + 26 * std::sin(a), 50 + 36 * std::cos(a), 46 + 36 * std::sin(a));
    }
    if (!letter.isEmpty())
        g.text(letter, 16, QRectF(30, 28, 40, 36));
}

const QHash<QString, GlyphFn>& Glyphs()
{
    static const QHash<QString, GlyphFn> table = {
        {"menu", [](Pen& g) {
             g.fill();
             for (int r = 0; r < 3; ++r)
                 for (int c = 0; c < 3; ++c)
                     g.p.drawRoundedRect(QRectF(14 + c * 26, 14 + r * 26, 20, 20), 4, 4);
         }},
        {"back", [](Pen& g) { Arrow(g, false); }},
        {"forward", [](Pen& g) { Arrow(g, true); }},
        {"close", Cross},
        {"cancel", Cross},
        {"ok", [](Pen& g) {
             g.stroke(12);
             g.poly({QPointF(20, 52), QPointF(42, 74), QPointF(82, 28)});
         }},
        {"start", [](Pen& g) {
             g.fill();
             g.polygon({QPointF(30, 18), QPointF(82, 50), QPointF(30, 82)});
         }},
        {"stop", [](Pen& g) {
             g.fill();
             g.p.drawRoundedRect(QRectF(24, 24, 52, 52), 6, 6);
         }},
        {"zoom", [](Pen& g) {
             Magnifier(g);
             g.stroke(6);
             g.line(30, 42, 54, 42);
             g.line(42, 30, 42, 54);
         }},
        {"pan", [](Pen& g) {
             g.stroke(7);
             g.line(50, 14, 50, 86);
             g.line(14, 50, 86, 50);
             g.arrowHead(50, 8, 0, -1);
             g.arrowHead(50, 92, 0, 1);
             g.arrowHead(8, 50, -1, 0);
             g.arrowHead(92, 50, 1, 0);
         }},
        {"note", [](Pen& g) {
             g.stroke(7);
             g.polygon({QPointF(20, 10), QPointF(64, 10), QPointF(82, 28), QPointF(82, 90), QPointF(20, 90)});
             g.stroke(5);
             for (int y = 40; y <= 72; y += 16)
                 g.line(32, y, 70, y);
         }},
        {"grid", [](Pen& g) {
             g.stroke(5);
             g.p.drawRect(QRectF(14, 14, 72, 72));
             for (int i = 1; i < 3; ++i) {
                 g.line(14 + i * 24, 14, 14 + i * 24, 86);
                 g.line(14, 14 + i * 24, 86, 14 + i * 24);
             }
         }},
        {"add", [](Pen& g) {
             g.stroke(13);
             g.line(50, 20, 50, 80);
             g.line(20, 50, 80, 50);
         }},
        {"remove", [](Pen& g) {
             g.stroke(13);
             g.line(20, 50, 80, 50);
         }},
        {"autoscale", [](Pen& g) {
             g.stroke(7);
             g.p.drawRect(QRectF(34, 34, 32, 32));
             g.line(28, 28, 12, 12);
             g.line(72, 28, 88, 12);
             g.line(28, 72, 12, 88);
             g.line(72, 72, 88, 88);
             g.arrowHead(8, 8, -1, -1, 13);
             g.arrowHead(92, 8, 1, -1, 13);
             g.arrowHead(8, 92, -1, 1, 13);
             g.arrowHead(92, 92, 1, 1, 13);
         }},
        {"details", [](Pen& g) {
             g.dots({QPointF(18, 26), QPointF(18, 50), QPointF(18, 74)}, 6);
             g.stroke(7);
             for (int y = 26; y <= 74; y += 24)
                 g.line(34, y, 86, y);
         }},
        {"linear", [](Pen& g) {
             g.axes();
             g.stroke(6);
             g.line(18, 78, 90, 20);
             g.dots({QPointF(30, 62), QPointF(48, 58), QPointF(62, 42), QPointF(80, 34)});
         }},
        {"quadratic", [](Pen& g) {
             g.axes();
             g.stroke(6);
             QPainterPath path;
             path.moveTo(20, 16);
             path.quadTo(52, 130, 88, 16);
             g.p.drawPath(path);
         }},
        {"stats", [](Pen& g) {
             g.axes();
             g.fill();
             const int heights[] = {30, 52, 66, 40};
             for (int i = 0; i < 4; ++i)
                 g.p.drawRect(QRectF(22 + i * 17, 82 - heights[i], 12, heights[i]));
         }},
        {"derivative", [](Pen& g) {
             g.axes();
             g.stroke(6);
             QPainterPath path;
             path.moveTo(18, 78);
             path.cubicTo(40, 76, 60, 50, 88, 18);
             g.p.drawPath(path);
             g.stroke(4);
             g.line(30, 70, 80, 36);
             g.dots({QPointF(55, 53)}, 6);
         }},
        {"integral", [](Pen& g) {
             g.axes();
             QPainterPath area;
             area.moveTo(30, 86);
             area.lineTo(30, 56);
             area.cubicTo(46, 36, 60, 60, 76, 36);
             area.lineTo(76, 86);
             area.closeSubpath();
             QColor soft = g.c;
             soft.setAlpha(110);
             g.p.setPen(Qt::NoPen);
             g.p.setBrush(soft);
             g.p.drawPath(area);
             g.stroke(6);
             QPainterPath curve;
             curve.moveTo(18, 66);
             curve.cubicTo(46, 30, 60, 64, 90, 28);
             g.p.drawPath(curve);
         }},
        {"curvefit", [](Pen& g) {
             g.axes();
             g.stroke(6);
             QPainterPath path;
             path.moveTo(18, 78);
             path.cubicTo(50, 78, 50, 20, 90, 20);
             g.p.drawPath(path);
             g.dots({QPointF(28, 70), QPointF(46, 66), QPointF(56, 40), QPointF(76, 28)});
         }},
        {"oscillation", [](Pen& g) {
             g.stroke(6);
             g.wave(10, 92, 50, 38, 3.5, 2.2);
         }},
        {"conductivity", [](Pen& g) {
             g.stroke(6);
             g.poly({QPointF(20, 20), QPointF(20, 88), QPointF(80, 88), QPointF(80, 20)});
             g.stroke(8);
             g.line(38, 10, 38, 70);
             g.line(62, 10, 62, 70);
             g.stroke(4);
             g.line(20, 46, 80, 46);
         }},
        {"graphsetup", [](Pen& g) {
             g.axes();
             g.stroke(5);
             for (int i = 0; i < 3; ++i)
                 g.line(30, 24 + i * 20, 86, 24 + i * 20);
             g.dots({QPointF(44, 24), QPointF(70, 44), QPointF(52, 64)}, 7);
         }},
        {"setup", [](Pen& g) {
             g.stroke(6);
             for (int i = 0; i < 3; ++i)
                 g.line(14, 24 + i * 26, 86, 24 + i * 26);
             g.dots({QPointF(34, 24), QPointF(66, 50), QPointF(46, 76)}, 9);
         }},
        {"calibrate", [](Pen& g) {
             g.stroke(6);
             g.p.drawEllipse(QPointF(50, 50), 34, 34);
             g.p.drawEllipse(QPointF(50, 50), 16, 16);
             g.line(50, 6, 50, 28);
             g.line(50, 72, 50, 94);
             g.line(6, 50, 28, 50);
             g.line(72, 50, 94, 50);
         }},
        {"home", [](Pen& g) {
             g.stroke(8);
             g.poly({QPointF(12, 50), QPointF(50, 16), QPointF(88, 50)});
             g.poly({QPointF(24, 44), QPointF(24, 86), QPointF(76, 86), QPointF(76, 44)});
         }},
        {"print", [](Pen& g) {
             g.stroke(6);
             g.p.drawRect(QRectF(30, 12, 40, 24));
             g.p.drawRoundedRect(QRectF(12, 36, 76, 34), 6, 6);
             g.p.drawRect(QRectF(30, 58, 40, 30));
         }},
        {"help", [](Pen& g) { g.text(QStringLiteral("?"), 78); }},
        {"info", [](Pen& g) { g.text(QStringLiteral("i"), 78); }},
        {"file", Folder},
        {"open", Folder},
        {"delete", [](Pen& g) {
             g.stroke(7);
             g.line(16, 24, 84, 24);
             g.line(40, 14, 60, 14);
             g.poly({QPointF(24, 24), QPointF(30, 88), QPointF(70, 88), QPointF(76, 24)});
             g.stroke(5);
             g.line(42, 38, 42, 76);
             g.line(58, 38, 58, 76);
         }},
        {"rename", [](Pen& g) {
             g.stroke(8);
             g.polygon({QPointF(20, 80), QPointF(24, 64), QPointF(66, 22), QPointF(78, 34), QPointF(36, 76)});
             g.stroke(5);
             g.line(14, 90, 86, 90);
         }},
        {"bold", [](Pen& g) { g.text(QStringLiteral("B"), 70); }},
        {"table", [](Pen& g) {
             g.stroke(6);
             g.p.drawRect(QRectF(12, 16, 76, 68));
             g.line(12, 38, 88, 38);
             g.line(12, 61, 88, 61);
             g.line(38, 16, 38, 84);
         }},
        {"camera", [](Pen& g) {
             g.stroke(7);
             g.p.drawRoundedRect(QRectF(10, 30, 80, 54), 8, 8);
             g.p.drawEllipse(QPointF(50, 57), 16, 16);
             g.poly({QPointF(34, 30), QPointF(40, 18), QPointF(60, 18), QPointF(66, 30)});
         }},
        {"download", [](Pen& g) {
             g.stroke(9);
             g.line(50, 10, 50, 56);
             g.arrowHead(50, 66, 0, 1, 24);
             g.stroke(8);
             g.poly({QPointF(14, 66), QPointF(14, 88), QPointF(86, 88), QPointF(86, 66)});
         }},
        {"upgrade", [](Pen& g) {
             g.stroke(6);
             g.p.drawRect(QRectF(24, 30, 52, 52));
             for (int i = 0; i < 3; ++i) {
                 g.line(12, 42 + i * 14, 24, 42 + i * 14);
                 g.line(76, 42 + i * 14, 88, 42 + i * 14);
             }
             g.stroke(7);
             g.line(50, 72, 50, 24);
             g.arrowHead(50, 10, 0, -1, 20);
         }},
        {"projects", [](Pen& g) {
             Folder(g);
             g.stroke(5);
             g.poly({QPointF(24, 70), QPointF(40, 56), QPointF(54, 64), QPointF(76, 46)});
         }},
        {"sensors", [](Pen& g) {
             g.stroke(7);
             g.p.drawRoundedRect(QRectF(30, 8, 40, 50), 8, 8);
             g.line(50, 58, 50, 92);
             g.stroke(4);
             g.line(40, 22, 60, 22);
             g.line(40, 34, 60, 34);
         }},
        {"measure", [](Pen& g) {
             g.axes();
             g.stroke(6);
             g.wave(16, 90, 48, 24, 1.5);
         }},
        {"analyse", [](Pen& g) {
             g.axes();
             g.stroke(5);
             g.poly({QPointF(18, 76), QPointF(36, 56), QPointF(50, 64), QPointF(70, 30)});
             g.stroke(6);
             g.p.drawEllipse(QPointF(70, 30), 14, 14);
         }},
        {"extras", [](Pen& g) {
             g.stroke(10);
             for (int i = 0; i < 8; ++i) {
                 const qreal a = i * M_PI / 4;
                 g.line(50 + 26 * std::cos(a), 50 + 26 * std::sin(a), 50 + 38 * std::cos(a), 50 + 38 * std::sin(a));
             }
             g.stroke(8);
             g.p.drawEllipse(QPointF(50, 50), 22, 22);
         }},
        {"quit", [](Pen& g) {
             g.stroke(9);
             g.p.drawArc(QRectF(16, 18, 68, 68), 120 * 16, -240 * 16);
             g.line(50, 10, 50, 46);
         }},
        {"measuresetup", [](Pen& g) {
             g.stroke(7);
             g.p.drawEllipse(QPointF(50, 56), 34, 34);
             g.line(50, 56, 50, 34);
             g.line(50, 56, 66, 64);
             g.line(42, 10, 58, 10);
         }},
        {"yaxis", [](Pen& g) {
             g.stroke(10);
             g.line(24, 86, 24, 20);
             g.arrowHead(24, 8, 0, -1, 16);
             g.text(QStringLiteral("Y"), 44, QRectF(36, 20, 60, 60));
         }},
        {"xaxis", [](Pen& g) {
             g.stroke(10);
             g.line(10, 76, 80, 76);
             g.arrowHead(92, 76, 1, 0, 16);
             g.text(QStringLiteral("X"), 44, QRectF(20, 6, 60, 60));
         }},
        {"graphs", [](Pen& g) {
             g.stroke(6);
             g.p.drawRect(QRectF(10, 12, 80, 34));
             g.p.drawRect(QRectF(10, 54, 80, 34));
             g.stroke(4);
             g.poly({QPointF(16, 38), QPointF(40, 22), QPointF(60, 34), QPointF(84, 18)});
             g.poly({QPointF(16, 80), QPointF(40, 70), QPointF(60, 76), QPointF(84, 60)});
         }},
        {"set", [](Pen& g) {
             g.stroke(6);
             g.p.drawRect(QRectF(28, 12, 60, 50));
             g.p.drawRect(QRectF(20, 24, 60, 50));
             g.p.drawRect(QRectF(12, 36, 60, 50));
         }},
        {"options", [](Pen& g) {
             Glyphs().value(QStringLiteral("extras"))(g);
         }},
        {"curvefit_dialog", [](Pen& g) { Glyphs().value(QStringLiteral("curvefit"))(g); }},
        // Sensor pictograms.
        {"thermometer", Thermometer},
        {"meter", [](Pen& g) { Dial(g, QStringLiteral("V")); }},
        {"current", [](Pen& g) { Dial(g, QStringLiteral("A")); }},
        {"barometer", [](Pen& g) { Dial(g, QStringLiteral("hPa")); }},
        {"adapter", [](Pen& g) {
             g.stroke(7);
             g.p.drawRoundedRect(QRectF(26, 30, 48, 36), 6, 6);
             g.line(40, 30, 40, 12);
             g.line(60, 30, 60, 12);
             g.line(50, 66, 50, 90);
         }},
        {"light", [](Pen& g) { Sun(g, QString()); }},
        {"uv", [](Pen& g) { Sun(g, QStringLiteral("UV")); }},
        {"sound", [](Pen& g) {
             g.fill();
             g.polygon({QPointF(12, 38), QPointF(28, 38), QPointF(48, 20), QPointF(48, 80), QPointF(28, 62),
                        QPointF(12, 62)});
             g.stroke(6);
             g.p.drawArc(QRectF(40, 32, 30, 36), -60 * 16, 120 * 16);
             g.p.drawArc(QRectF(36, 18, 52, 64), -60 * 16, 120 * 16);
         }},
        {"force", [](Pen& g) {
             g.stroke(6);
             g.poly({QPointF(50, 8), QPointF(50, 18), QPointF(34, 26), QPointF(66, 36), QPointF(34, 46),
                     QPointF(66, 56), QPointF(50, 64), QPointF(50, 74)});
             g.stroke(8);
             g.line(50, 74, 50, 84);
             g.arrowHead(50, 96, 0, 1, 16);
         }},
        {"motion", [](Pen& g) {
             g.stroke(8);
             g.line(34, 50, 80, 50);
             g.arrowHead(94, 50, 1, 0, 20);
             g.stroke(5);
             g.line(8, 34, 26, 34);
             g.line(4, 50, 24, 50);
             g.line(8, 66, 26, 66);
         }},
        {"ph", [](Pen& g) { g.text(QStringLiteral("pH"), 44); }},
        {"co2", [](Pen& g) { g.text(QStringLiteral("CO₂"), 36); }},
        {"o2", [](Pen& g) { g.text(QStringLiteral("O₂"), 42); }},
        {"humidity", [](Pen& g) {
             g.stroke(7);
             QPainterPath drop;
             drop.moveTo(50, 10);
             drop.cubicTo(70, 40, 80, 52, 80, 64);
             drop.arcTo(QRectF(20, 34, 60, 60), 0, -180);
             drop.cubicTo(20, 52, 30, 40, 50, 10);
             g.p.drawPath(drop);
         }},
        {"magnet", [](Pen& g) {
             g.stroke(14);
             g.p.setPen(QPen(g.c, 14, Qt::SolidLine, Qt::FlatCap));
             g.p.drawArc(QRectF(22, 34, 56, 56), 180 * 16, 180 * 16);
             g.line(29, 62, 29, 16);
             g.line(71, 62, 71, 16);
         }},
        {"acceleration", [](Pen& g) {
             g.stroke(8);
             g.line(14, 76, 70, 30);
             g.arrowHead(82, 20, 1, -0.82, 20);
             g.text(QStringLiteral("a"), 40, QRectF(0, 0, 60, 60));
         }},
        {"colour", [](Pen& g) {
             g.stroke(6);
             g.p.drawEllipse(QPointF(38, 38), 22, 22);
             g.p.drawEllipse(QPointF(62, 38), 22, 22);
             g.p.drawEllipse(QPointF(50, 60), 22, 22);
         }},
        {"heart", [](Pen& g) {
             g.fill();
             QPainterPath heart;
             heart.moveTo(50, 86);
             heart.cubicTo(10, 58, 8, 30, 28, 20);
             heart.cubicTo(40, 14, 48, 22, 50, 30);
             heart.cubicTo(52, 22, 60, 14, 72, 20);
             heart.cubicTo(92, 30, 90, 58, 50, 86);
             g.p.drawPath(heart);
         }},
        {"photogate", [](Pen& g) {
             g.stroke(9);
             g.poly({QPointF(18, 90), QPointF(18, 14), QPointF(82, 14), QPointF(82, 90)});
             g.stroke(3);
             for (int x = 26; x < 76; x += 10)
                 g.line(x, 52, x + 5, 52);
         }},
        {"gps", [](Pen& g) {
             g.stroke(7);
             QPainterPath pin;
             pin.moveTo(50, 92);
             pin.cubicTo(30, 62, 20, 50, 20, 38);
             pin.arcTo(QRectF(20, 8, 60, 60), 180, -180);
             pin.cubicTo(80, 50, 70, 62, 50, 92);
             g.p.drawPath(pin);
             g.p.drawEllipse(QPointF(50, 38), 10, 10);
         }},
        {"wave", [](Pen& g) {
             g.stroke(7);
             g.wave(8, 92, 50, 30, 2);
         }},
        {"cable", [](Pen& g) {
             g.stroke(7);
             g.p.drawRect(QRectF(60, 38, 28, 24));
             g.line(88, 44, 96, 44);
             g.line(88, 56, 96, 56);
             QPainterPath cord;
             cord.moveTo(60, 50);
             cord.cubicTo(30, 50, 40, 86, 8, 80);
             g.p.drawPath(cord);
         }},
        {"weather", [](Pen& g) {
             g.stroke(7);
             QPainterPath cloud;
             cloud.moveTo(24, 72);
             cloud.arcTo(QRectF(10, 46, 28, 26), 270, -180);
             cloud.arcTo(QRectF(26, 26, 40, 40), 160, -140);
             cloud.arcTo(QRectF(58, 44, 30, 28), 100, -190);
             cloud.closeSubpath();
             g.p.drawPath(cloud);
         }},
        {"radiation", [](Pen& g) {
             g.fill();
             g.p.drawEllipse(QPointF(50, 50), 8, 8);
             for (int i = 0; i < 3; ++i)
                 g.p.drawPie(QRectF(14, 14, 72, 72), (90 + i * 120 - 30) * 16, 60 * 16);
             g.p.setBrush(Qt::NoBrush);
         }},
        {"distance", [](Pen& g) {
             g.stroke(6);
             g.p.drawRect(QRectF(8, 36, 84, 28));
             g.stroke(4);
             for (int x = 16; x < 92; x += 10)
                 g.line(x, 36, x, x % 20 == 16 ? 52 : 46);
         }},
        {"logo", [](Pen& g) {
             g.stroke(9);
             g.wave(8, 92, 52, 28, 1.5);
         }},
    };
    return table;
}

}  // namespace

bool DrawGlyph(QPainter& painter, const QString& name, const QRectF& box, const QColor& colour)
{
    const auto& table = Glyphs();
    const auto it = table.constFind(name);
    if (it == table.constEnd())
        return false;
    const qreal side = std::min(box.width(), box.height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.translate(box.center().x() - side / 2, box.center().y() - side / 2);
    painter.scale(side / 100.0, side / 100.0);
    Pen pen{painter, colour};
    (*it)(pen);
    painter.restore();
    return true;
}

}  // namespace skingen
