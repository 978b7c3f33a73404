// skingen: paints every picture of the skin table into <out>/<module>/<id>.png, and optionally the
// contact sheets used to review the look.
//
//   skingen <table.tsv> <out dir> [--sheets <dir>]

#include "tools/skingen/ContactSheet.h"
#include "tools/skingen/SkinPainter.h"
#include "tools/skingen/SkinTable.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>

#include <cstdio>

int main(int argc, char** argv)
{
    // Painting needs fonts but never a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: skingen <table.tsv> <out dir> [--sheets <dir>]\n");
        return 2;
    }
    QVector<skingen::SkinRow> rows;
    QString error;
    if (!skingen::ReadSkinTable(args[1], rows, error)) {
        std::fprintf(stderr, "skingen: %s\n", qPrintable(error));
        return 1;
    }
    const QDir out(args[2]);
    QVector<QImage> images;
    images.reserve(rows.size());
    for (const skingen::SkinRow& row : rows) {
        QImage image = skingen::PaintSkin(row);
        if (image.isNull() || image.width() != row.width || image.height() != row.height) {
            std::fprintf(stderr, "skingen: no painter for %s %d (kind %s)\n", qPrintable(row.module), row.id,
                         qPrintable(row.kind));
            return 1;
        }
        const QString dir = out.filePath(row.module);
        if (!QDir().mkpath(dir)) {
            std::fprintf(stderr, "skingen: cannot create %s\n", qPrintable(dir));
            return 1;
        }
        QImageWriter writer(QDir(dir).filePath(QString::number(row.id) + QStringLiteral(".png")), "png");
        // Light compression: the bundles are small either way and the build stays quick.
        writer.setQuality(80);
        if (!writer.write(image)) {
            std::fprintf(stderr, "skingen: cannot write %s\n", qPrintable(writer.fileName()));
            return 1;
        }
        images.push_back(std::move(image));
    }
    const int sheetsArg = int(args.indexOf(QStringLiteral("--sheets")));
    if (sheetsArg > 0 && sheetsArg + 1 < args.size()) {
        if (!skingen::WriteContactSheets(rows, images, args[sheetsArg + 1], error)) {
            std::fprintf(stderr, "skingen: %s\n", qPrintable(error));
            return 1;
        }
    }
    return 0;
}
