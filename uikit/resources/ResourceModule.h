#pragma once

// A resource module: one Qt binary resource bundle (.rcc) in the data directory that holds either
// the user-visible texts by numeric id (strings.tsv at its root) or pictures by numeric id
// (<id>.png at its root). The bundle is mapped on first use; a failed load is retried at the next
// call, so a module that appears later (or is repaired) is picked up without a restart.

#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QtGlobal>

#include <mutex>

namespace uikit {

// The colour every skin picture uses for "leave this pixel out".
inline constexpr QRgb kSkinKeyColour = 0xFF00FF;

inline constexpr char kLanguageModuleName[] = "Corvik_Language_win32_korean.rcc";
inline constexpr char kBitmapModuleName[] = "bitmap_corvik_win32.rcc";
inline constexpr char kProgramBitmapsName[] = "PlovexLogger_bitmaps.rcc";
inline constexpr char kAddInBitmapsName[] = "VRDExcelAddInApp_bitmaps.rcc";
inline constexpr char kFirmwareBitmapsName[] = "CorvikFirmwareUpgrade_bitmaps.rcc";

class ResourceModule {
public:
    // fileName is taken as it stands when absolute, otherwise relative to the current directory at
    // the moment of each load attempt (the data directory is the current directory at start-up).
    explicit ResourceModule(QString fileName);
    ~ResourceModule();
    ResourceModule(const ResourceModule&) = delete;
    ResourceModule& operator=(const ResourceModule&) = delete;

    // Maps the bundle unless it already is; returns whether it is mapped now. Texts may be read
    // from any thread; pictures, like all pixmaps, only on the GUI thread.
    bool Load();
    bool IsLoaded() const;
    void Unload();

    // The text of a string id cut to maxChars - 1 UTF-16 units, as a fixed buffer of maxChars
    // characters (terminator included) would receive it. Empty when the id or module is absent or
    // maxChars < 2. A surrogate pair is never split.
    QString String(int id, int maxChars);

    // The picture of a bitmap id as stored (opaque); a null pixmap when absent.
    QImage Image(int id);
    QPixmap Bitmap(int id);
    // The picture with every pixel of the key colour made fully transparent. Built once per
    // (id, key) and cached until the module is unloaded.
    QPixmap MaskedBitmap(int id, QRgb key = kSkinKeyColour);

    // The path the bundle is (or would be) read from.
    QString FilePath() const;

private:
    bool LoadLocked();
    QImage ImageLocked(int id);
    QString EntryPath(const QString& entry) const;
    void LoadStrings();

    mutable std::mutex mutex_;
    QString fileName_;
    QString mappedFile_;
    QString root_;
    bool loaded_ = false;
    QHash<int, QString> strings_;
    QHash<int, QPixmap> pixmaps_;
    QHash<quint64, QPixmap> masked_;
};

// The image with pixels of the key colour made transparent (alpha 0), ARGB32 premultiplied.
QImage MaskKeyColour(const QImage& image, QRgb key);

// Parses the text of a strings.tsv: "id<TAB>text" lines, '#' comments, escapes \n \t \\ in the
// text. The first entry of an id wins.
QHash<int, QString> ParseStringTable(const QByteArray& utf8);

// The process-wide modules, each loaded on first use from the data directory.
ResourceModule& LanguageModule();
ResourceModule& BitmapModule();

}  // namespace uikit
