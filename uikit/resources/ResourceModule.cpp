#include "uikit/resources/ResourceModule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>
#include <QResource>

#include <atomic>
#include <mutex>

namespace uikit {

namespace {

QString NextMapRoot()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("/corvik_module_%1").arg(counter.fetch_add(1));
}

QString Unescape(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\' || i + 1 == text.size()) {
            out.append(c);
            continue;
        }
        const QChar next = text[++i];
        if (next == u'n')
            out.append(u'\n');
        else if (next == u't')
            out.append(u'\t');
        else if (next == u'r')
            out.append(u'\r');
        else
            out.append(next);
    }
    return out;
}

}  // namespace

QHash<int, QString> ParseStringTable(const QByteArray& utf8)
{
    QHash<int, QString> table;
    const QString text = QString::fromUtf8(utf8);
    const auto lines = QStringView(text).split(u'\n');
    for (QStringView line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype tab = line.indexOf(u'\t');
        if (tab <= 0)
            continue;
        bool ok = false;
        const int id = line.left(tab).toInt(&ok);
        if (!ok || table.contains(id))
            continue;
        table.insert(id, Unescape(line.mid(tab + 1)));
    }
    return table;
}

QImage MaskKeyColour(const QImage& image, QRgb key)
{
    if (image.isNull())
        return {};
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb rgbKey = key & 0xFFFFFFu;
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if ((line[x] & 0xFFFFFFu) == rgbKey)
                line[x] = 0;
        }
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

ResourceModule::ResourceModule(QString fileName)
    : fileName_(std::move(fileName)), root_(NextMapRoot())
{
}

ResourceModule::~ResourceModule()
{
    Unload();
}

QString ResourceModule::FilePath() const
{
    const QFileInfo info(fileName_);
    if (info.isAbsolute())
        return fileName_;
    return QDir::current().absoluteFilePath(fileName_);
}

bool ResourceModule::Load()
{
    std::lock_guard lock(mutex_);
    return LoadLocked();
}

bool ResourceModule::IsLoaded() const
{
    std::lock_guard lock(mutex_);
    return loaded_;
}

bool ResourceModule::LoadLocked()
{
    if (loaded_)
        return true;
    const QString path = FilePath();
    if (!QFileInfo::exists(path) || !QResource::registerResource(path, root_))
        return false;
    mappedFile_ = path;
    loaded_ = true;
    LoadStrings();
    return true;
}

void ResourceModule::Unload()
{
    std::lock_guard lock(mutex_);
    if (!loaded_)
        return;
    strings_.clear();
    pixmaps_.clear();
    masked_.clear();
    QResource::unregisterResource(mappedFile_, root_);
    mappedFile_.clear();
    loaded_ = false;
}

QString ResourceModule::EntryPath(const QString& entry) const
{
    return QStringLiteral(":") + root_ + u'/' + entry;
}

void ResourceModule::LoadStrings()
{
    QFile file(EntryPath(QStringLiteral("strings.tsv")));
    if (file.open(QIODevice::ReadOnly))
        strings_ = ParseStringTable(file.readAll());
}

QString ResourceModule::String(int id, int maxChars)
{
    std::lock_guard lock(mutex_);
    if (maxChars < 2 || !LoadLocked())
        return {};
    const auto it = strings_.constFind(id);
    if (it == strings_.constEnd())
        return {};
    QString text = *it;
    const qsizetype limit = maxChars - 1;
    if (text.size() > limit) {
        text.truncate(limit);
        // A lone high surrogate at the end would be a broken character; drop it.
        if (!text.isEmpty() && text.back().isHighSurrogate())
            text.chop(1);
    }
    return text;
}

QImage ResourceModule::Image(int id)
{
    std::lock_guard lock(mutex_);
    return ImageLocked(id);
}

QImage ResourceModule::ImageLocked(int id)
{
    if (!LoadLocked())
        return {};
    return QImage(EntryPath(QString::number(id) + QStringLiteral(".png")));
}

QPixmap ResourceModule::Bitmap(int id)
{
    std::lock_guard lock(mutex_);
    if (!LoadLocked())
        return {};
    const auto it = pixmaps_.constFind(id);
    if (it != pixmaps_.constEnd())
        return *it;
    const QImage image = ImageLocked(id);
    if (image.isNull())
        return {};
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmaps_.insert(id, pixmap);
    return pixmap;
}

QPixmap ResourceModule::MaskedBitmap(int id, QRgb key)
{
    std::lock_guard lock(mutex_);
    if (!LoadLocked())
        return {};
    const quint64 cacheKey = (quint64(quint32(id)) << 32) | (key & 0xFFFFFFu);
    const auto it = masked_.constFind(cacheKey);
    if (it != masked_.constEnd())
        return *it;
    const QImage image = ImageLocked(id);
    if (image.isNull())
        return {};
    QPixmap pixmap = QPixmap::fromImage(MaskKeyColour(image, key));
    masked_.insert(cacheKey, pixmap);
    return pixmap;
}

namespace {

// The process-wide modules hold pixmaps, which must go before the GUI application does. They are
// never destroyed (a static would be torn down in an order unrelated to the application's), only
// unloaded when the application ends; a later use simply loads them again.
void UnloadProcessModules()
{
    LanguageModule().Unload();
    BitmapModule().Unload();
}

ResourceModule& ProcessModule(const char* name)
{
    static std::once_flag registered;
    std::call_once(registered, [] { qAddPostRoutine(UnloadProcessModules); });
    static auto* language = new ResourceModule(QString::fromLatin1(kLanguageModuleName));
    static auto* bitmaps = new ResourceModule(QString::fromLatin1(kBitmapModuleName));
    return name == kLanguageModuleName ? *language : *bitmaps;
}

}  // namespace

ResourceModule& LanguageModule()
{
    return ProcessModule(kLanguageModuleName);
}

ResourceModule& BitmapModule()
{
    return ProcessModule(kBitmapModuleName);
}

}  // namespace uikit
