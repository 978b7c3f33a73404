#include "tools/skingen/ContactSheet.h"

#include "tools/skingen/SkinPainter.h"
#include "uikit/resources/FontMap.h"
#include "uikit/resources/ResourceModule.h"

#include <QDir>
#include <QHash>
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

// Screens put together from their pieces at the places the screens draw them, so that the look can
// be judged as a whole. The texts are samples.
class Mockup {
public:
    Mockup(const QVector<SkinRow>& rows, const QVector<QImage>& images) : images_(images)
    {
        for (int i = 0; i < rows.size(); ++i)
            if (rows[i].module == u"skin")
                index_.insert(rows[i].id, i);
        canvas_ = QImage(800, 600, QImage::Format_RGB32);
        canvas_.fill(Qt::white);
        painter_.begin(&canvas_);
        painter_.setRenderHint(QPainter::TextAntialiasing, true);
    }

    QImage Finish()
    {
        painter_.end();
        return canvas_;
    }

    void Put(int id, int x, int y, bool keyed = true)
    {
        const QImage image = Picture(id, keyed);
        painter_.drawImage(x, y, image);
    }
    void Stretch(int id, const QRect& r) { painter_.drawImage(r, Picture(id, false)); }
    void Tile(int id, int y)
    {
        const QImage image = Picture(id, false);
        for (int x = 0; !image.isNull() && x < 800; x += image.width())
            painter_.drawImage(x, y, image);
    }
    void Text(const QRect& r, const QString& text, const char* face, int px, bool bold, QColor colour,
              int flags = Qt::AlignCenter)
    {
        painter_.setFont(uikit::MakeFont(QString::fromLatin1(face), px, bold));
        painter_.setPen(colour);
        painter_.drawText(r, flags, text);
    }
    void Clock() { Text(QRect(674, 4, 118, 44), QStringLiteral("09:41AM"), "tahoma", 20, false, QColor(0x00, 0x37, 0x64)); }

private:
    QImage Picture(int id, bool keyed) const
    {
        const auto it = index_.constFind(id);
        if (it == index_.constEnd())
            return {};
        return keyed ? uikit::MaskKeyColour(images_[*it], kKey) : images_[*it];
    }

    const QVector<QImage>& images_;
    QHash<int, int> index_;
    QImage canvas_;
    QPainter painter_;
};

QImage MonitorMockup(const QVector<SkinRow>& rows, const QVector<QImage>& images)
{
    Mockup m(rows, images);
    m.Put(2368, 0, 0, false);
    m.Tile(12511, 0);
    m.Put(12512, 674, 0, false);
    m.Put(2105, 10, 6);
    const struct {
        int panel, picture, x, y;
        const char* name;
        const char* value;
        const char* unit;
        QColor colour;
    } panels[] = {
        {2082, 2325, 4, 58, "Temperature sensor", "23.4", "Temperature (°C)", QColor(0x31, 0x34, 0xDE)},
        {2083, 2961, 404, 58, "Carbon dioxide sensor", "612", "CO2 (ppm)", QColor(0xFF, 0x01, 0xA8)},
        {2084, 2320, 4, 332, "Voltage sensor", "1.52", "Voltage (V)", QColor(0xEF, 0x92, 0x00)},
    };
    for (const auto& p : panels) {
        m.Put(p.panel, p.x, p.y);
        m.Text(QRect(p.x + 80, p.y, 312, 60), QString::fromLatin1(p.name), "Malgun Gothic", 25, true, Qt::black,
               Qt::AlignLeft | Qt::AlignVCenter);
        m.Put(p.picture, p.x + 275, p.y + 80);
        m.Text(QRect(p.x, p.y + 80 + 45, 220, 266 - 80 - 45 - 40), QString::fromLatin1(p.value), "Malgun Gothic", 50,
               true, p.colour, Qt::AlignRight | Qt::AlignVCenter);
        m.Text(QRect(p.x + 20, p.y + 226, 292, 30), QString::fromUtf8(p.unit), "Malgun Gothic", 28, true, p.colour,
               Qt::AlignLeft | Qt::AlignVCenter);
    }
    m.Put(2091, 80, 6);
    m.Put(2412, 144, 6);
    m.Clock();
    return m.Finish();
}

QImage RootMockup(const QVector<SkinRow>& rows, const QVector<QImage>& images)
{
    Mockup m(rows, images);
    m.Stretch(2001, QRect(0, 0, 800, 600));
    m.Put(2214, 638, 395);
    // The main menu over the root window, as it is placed at the foot of an 800 x 600 screen.
    const int x0 = 22, y0 = 460;
    m.Put(2007, x0, y0);
    const int buttons[] = {2024, 2012, 2018, 2014, 2128, 2021};
    const char* captions[] = {"Projects", "Sensors", "Measure", "Analyse", "Extras", "Quit"};
    for (int i = 0; i < 6; ++i) {
        m.Put(buttons[i], x0 + 126 * i, y0, false);
        m.Text(QRect(x0 + 126 * i, y0 + 100, 126, 22), QString::fromLatin1(captions[i]), "Malgun Gothic", 17, false,
               QColor(0xFA, 0xFA, 0xFA));
    }
    return m.Finish();
}

QImage AnalysisMockup(const QVector<SkinRow>& rows, const QVector<QImage>& images)
{
    Mockup m(rows, images);
    m.Tile(12520, 0);
    m.Put(12521, 674, 0, false);
    const int top[] = {2105, 2150, 2132, 2192, 2531, 2144, 2426, 2471, 2461, 2090};
    for (int i = 0; i < 10; ++i)
        m.Put(top[i], 6 + 64 * i, 4, false);
    const int fits[] = {2174, 2177, 2189, 2180, 2186, 2183, 2370, 2397};
    for (int i = 0; i < 8; ++i)
        m.Put(fits[i], 6 + 64 * i, 56, false);
    m.Clock();
    m.Text(QRect(0, 108, 800, 492), QStringLiteral("chart"), "tahoma", 40, false, QColor(0xC5, 0xCE, 0xDC));
    return m.Finish();
}

QImage ProjectMockup(const QVector<SkinRow>& rows, const QVector<QImage>& images)
{
    Mockup m(rows, images);
    m.Put(2003, 0, 55, false);
    m.Put(12510, 0, 0, false);
    for (int x = 280; x < 674; x += 50)
        m.Put(12511, x, 0, false);
    m.Put(12512, 674, 0, false);
    const int top[] = {2105, 2102, 2125, 2090};
    for (int i = 0; i < 4; ++i)
        m.Put(top[i], 280 + 64 * i, 4, false);
    m.Put(2207, 410, 54, false);
    m.Put(12513, 420, 466, false);
    m.Text(QRect(420, 58, 130, 24), QStringLiteral("Author"), "Malgun Gothic", 20, false, QColor(0x19, 0x19, 0x64),
           Qt::AlignLeft | Qt::AlignVCenter);
    m.Text(QRect(420, 88, 130, 24), QStringLiteral("School"), "Malgun Gothic", 20, false, QColor(0x19, 0x19, 0x64),
           Qt::AlignLeft | Qt::AlignVCenter);
    const char* lines[] = {"Plovex Logger", "V2.19", "Program ver : Sep 13 2013", "Driver ver : 2"};
    for (int i = 0; i < 4; ++i)
        m.Text(QRect(425, 470 + 26 * i, 345, 26), QString::fromLatin1(lines[i]), "Malgun Gothic", 20, false,
               QColor(0x19, 0x19, 0x64), Qt::AlignLeft | Qt::AlignVCenter);
    m.Text(QRect(10, 60, 380, 30), QStringLiteral("New project"), "Malgun Gothic", 20, false, Qt::black,
           Qt::AlignLeft | Qt::AlignVCenter);
    m.Clock();
    return m.Finish();
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
    const struct {
        const char* name;
        QImage (*paint)(const QVector<SkinRow>&, const QVector<QImage>&);
    } mockups[] = {{"monitor", MonitorMockup}, {"root", RootMockup}, {"analysis", AnalysisMockup},
                   {"project", ProjectMockup}};
    for (const auto& mockup : mockups) {
        const QString path = QDir(dir).filePath(QStringLiteral("screen_%1.png").arg(QString::fromLatin1(mockup.name)));
        if (!mockup.paint(rows, images).save(path)) {
            error = QStringLiteral("cannot write %1").arg(path);
            return false;
        }
    }
    return true;
}

}  // namespace skingen
