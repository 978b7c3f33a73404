// Checks the built modules against the manifests kept beside their sources: every string id with
// its length, box and forbidden characters, every picture id with its size.

#include "tests/resources/GuiApp.h"
#include "tools/skingen/SkinTable.h"
#include "uikit/resources/FontMap.h"
#include "uikit/resources/ResourceModule.h"

#include <QFile>
#include <QFontMetrics>
#include <QHash>
#include <QSet>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct StringRule {
    int id = 0;
    int maxUnits = 0;
    int boxWidth = 0;  // 0: no pixel box
    int pixelHeight = 0;
    QString face;
    bool bold = false;
    QString forbidden;
    QString role;
};

QVector<StringRule> ReadStringManifest()
{
    QVector<StringRule> rules;
    QFile file(SourcePath(QStringLiteral("resources/manifest/strings.tsv")));
    if (!file.open(QIODevice::ReadOnly))
        return rules;
    while (!file.atEnd()) {
        QString line = QString::fromUtf8(file.readLine());
        while (line.endsWith(u'\n') || line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList f = line.split(u'\t');
        if (f.size() != 8) {
            ADD_FAILURE() << "malformed manifest line: " << line.toStdString();
            continue;
        }
        StringRule r;
        r.id = f[0].toInt();
        r.maxUnits = f[1].toInt();
        r.boxWidth = f[2] == u"-" ? 0 : f[2].toInt();
        r.pixelHeight = f[3] == u"-" ? 0 : f[3].toInt();
        r.face = f[4];
        r.bold = f[5] == u"1";
        r.forbidden = f[6] == u"-" ? QString() : f[6];
        r.role = f[7];
        rules.push_back(r);
    }
    return rules;
}

QSet<int> LanguageSourceIds()
{
    QSet<int> ids;
    QFile file(SourcePath(QStringLiteral("resources/lang/strings.tsv")));
    if (!file.open(QIODevice::ReadOnly))
        return ids;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine());
        if (line.isEmpty() || line.startsWith(u'#') || !line.contains(u'\t'))
            continue;
        ids.insert(line.section(u'\t', 0, 0).toInt());
    }
    return ids;
}

class ManifestTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureGuiApp(); }
};

TEST_F(ManifestTest, EveryStringIdFitsItsUse)
{
    const QVector<StringRule> rules = ReadStringManifest();
    // Every text of the language source has its rule, and no rule names a text that is not there.
    QSet<int> ruled;
    for (const StringRule& r : rules)
        ruled.insert(r.id);
    ASSERT_EQ(ruled, LanguageSourceIds());
    uikit::ResourceModule language(DataPath(QString::fromLatin1(uikit::kLanguageModuleName)));
    ASSERT_TRUE(language.Load());
    for (const StringRule& r : rules) {
        SCOPED_TRACE(r.id);
        const QString text = language.String(r.id, 4096);
        // 2111 is deliberately empty: the small OK and Cancel pictures carry their own sign.
        if (r.id != 2111) {
            EXPECT_FALSE(text.isEmpty()) << r.role.toStdString();
        }
        EXPECT_LE(text.size(), r.maxUnits) << text.toStdString();
        for (QChar c : r.forbidden)
            EXPECT_FALSE(text.contains(c)) << text.toStdString() << " holds " << QString(c).toStdString();
        // No text is ever used as a format string, and none breaks a line the code does not expect.
        EXPECT_FALSE(text.contains(u'%')) << text.toStdString();
        EXPECT_FALSE(text.contains(u'\n'));
        if (r.boxWidth > 0) {
            const QFontMetrics metrics(uikit::MakeFont(r.face, r.pixelHeight, r.bold));
            EXPECT_LE(metrics.horizontalAdvance(text), r.boxWidth) << text.toStdString();
        }
    }
}

TEST_F(ManifestTest, ModuleHoldsNoStringOutsideTheManifest)
{
    QFile file(SourcePath(QStringLiteral("resources/lang/strings.tsv")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QSet<int> manifest;
    for (const StringRule& r : ReadStringManifest())
        manifest.insert(r.id);
    const auto table = uikit::ParseStringTable(bytes);
    EXPECT_EQ(table.size(), manifest.size());
    for (auto it = table.cbegin(); it != table.cend(); ++it)
        EXPECT_TRUE(manifest.contains(it.key())) << it.key();
    // Each id once in the source: a second line would be silently ignored.
    int lines = 0;
    for (const QByteArray& line : bytes.split('\n'))
        lines += (!line.isEmpty() && line[0] >= '0' && line[0] <= '9') ? 1 : 0;
    EXPECT_EQ(lines, table.size());
}

TEST_F(ManifestTest, EveryPictureIdHasItsSize)
{
    QVector<skingen::SkinRow> rows;
    QString error;
    ASSERT_TRUE(skingen::ReadSkinTable(SourcePath(QStringLiteral("resources/skins/skins.tsv")), rows, error))
        << error.toStdString();
    const QHash<QString, QString> files = {
        {QStringLiteral("skin"), QString::fromLatin1(uikit::kBitmapModuleName)},
        {QStringLiteral("program"), QString::fromLatin1(uikit::kProgramBitmapsName)},
        {QStringLiteral("addin"), QString::fromLatin1(uikit::kAddInBitmapsName)},
        {QStringLiteral("firmware"), QString::fromLatin1(uikit::kFirmwareBitmapsName)},
    };
    QHash<QString, std::shared_ptr<uikit::ResourceModule>> modules;
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        modules.insert(it.key(), std::make_shared<uikit::ResourceModule>(DataPath(it.value())));

    QSet<QString> seen;
    int skinIds = 0;
    for (const skingen::SkinRow& row : rows) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(row.module).arg(row.id).toStdString());
        ASSERT_TRUE(modules.contains(row.module));
        EXPECT_FALSE(seen.contains(row.module + QString::number(row.id))) << "listed twice";
        seen.insert(row.module + QString::number(row.id));
        skinIds += row.module == u"skin" ? 1 : 0;
        const QImage image = modules[row.module]->Image(row.id);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(row.width, row.height));
        // Buttons look right whether or not their key colour is used: they hold no magenta.
        if (row.kind == u"button" || row.kind == u"menubutton" || row.kind == u"chanbutton") {
            const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
            int keyPixels = 0;
            for (int y = 0; y < rgb.height(); ++y)
                for (int x = 0; x < rgb.width(); ++x)
                    keyPixels += (rgb.pixel(x, y) & 0xFFFFFF) == uikit::kSkinKeyColour ? 1 : 0;
            EXPECT_EQ(keyPixels, 0);
        }
    }
    // The skin ids the screens name, plus our own allocation for the screens that name none.
    EXPECT_GE(skinIds, 211);
}

}  // namespace
