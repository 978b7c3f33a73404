#include "firmware/UpgradeFlow.h"

#include "devicelink/protocol/FirmwareImage.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <numeric>

namespace firmware {

namespace {

using devicelink::kFirmwareBlockBytes;

enum TextId {
    kIntroFirst = 0,
    kIntroSecond = 1,
    kPairFound = 2,
    kPairPath = 3,
    kPairVersion = 4,
    kWriting = 5,
    kFailed = 6,
    kDone = 7,
    kBadPair = 8,
    kBadDownload = 9,
    kDownloadFailed = 10,
    kReconnecting = 11,
    kReconnectLogger = 12,
};

std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

}  // namespace

UpgradeFlow::UpgradeFlow(UpgradeDevice& device, Options options, QObject* parent)
    : QObject(parent), device_(device), options_(std::move(options))
{
    download_.SetTransferTimeout(options_.transferTimeoutMs);
    connect(&download_, &FirmwareDownload::Finished, this, &UpgradeFlow::OnDownloadFinished);
}

UpgradeFlow::~UpgradeFlow()
{
    // The worker's result is posted to this object; a post that arrives after it is gone is
    // dropped by Qt.
    if (startup_.joinable())
        startup_.join();
    if (reconnect_.joinable())
        reconnect_.join();
}

QString UpgradeFlow::Text(int id) const
{
    return QString::fromStdU16String(std::u16string(strings_.Text(id)));
}

QString UpgradeFlow::Folder() const
{
    return options_.downloadFolder.isEmpty() ? QDir::currentPath() : options_.downloadFolder;
}

bool UpgradeFlow::Enabled(int button) const
{
    if (!startupDone_ || writing_ || reconnecting_ || download_.Running())
        return false;
    switch (button) {
    case kOpenButton: return openEnabled_;
    case kUpgradeButton: return upgradeEnabled_;
    case kDownloadButton: return downloadEnabled_;
    default: return false;
    }
}

void UpgradeFlow::Start()
{
    if (startup_.joinable() || startupDone_)
        return;
    if (LoadStringTable(LocalPath(options_.stringFile), strings_))
        intro_ = Text(kIntroFirst) + u'\n' + Text(kIntroSecond);
    emit Changed();
    // Connecting and asking the version may wait seconds on a silent logger: not on the UI thread.
    startup_ = std::thread([this] {
        const bool ready = device_.Open() == 1;
        const uint32_t version = ready ? device_.FirmwareVersion() : 0;
        QMetaObject::invokeMethod(this, [this, ready, version] { FinishStartup(ready, version); },
                                  Qt::QueuedConnection);
    });
}

void UpgradeFlow::FinishStartup(bool ready, uint32_t version)
{
    if (startup_.joinable())
        startup_.join();
    startupDone_ = true;
    deviceReady_ = ready;
    deviceVersion_ = version;
    const bool upgradable = ready && version > kOldestFirmware;
    openEnabled_ = upgradable;
    downloadEnabled_ = upgradable;
    emit Changed();
}

void UpgradeFlow::DropPair()
{
    pair_.reset();
    upgradeEnabled_ = false;
}

void UpgradeFlow::ShowImagePair()
{
    info_ = Text(kPairFound) + u'\n' + Text(kPairPath) + QStringLiteral(" :") + QFile::decodeName(pair_->paths.a.c_str())
        + u'\n' + Text(kPairVersion) + QStringLiteral(": %1").arg(pair_->versionB);
}

bool UpgradeFlow::CheckImages(const QString& path, uint32_t minimumVersion, int failureText)
{
    pair_ = CheckFirmwareImages(LocalPath(path), minimumVersion);
    if (!pair_) {
        DropPair();
        info_ = Text(failureText);
        return false;
    }
    ShowImagePair();
    upgradeEnabled_ = true;
    return true;
}

void UpgradeFlow::OpenFirmwareFile(const QString& path)
{
    if (path.isEmpty() || !Enabled(kOpenButton))
        return;
    (void)CheckImages(path, 0, kBadPair);
    emit Changed();
}

void UpgradeFlow::DownloadFirmware()
{
    if (!Enabled(kDownloadButton))
        return;
    const QString server = options_.server.isEmpty() ? FirmwareDownload::ConfiguredServer() : options_.server;
    (void)download_.Start(server, Folder());
    emit Changed();
}

void UpgradeFlow::OnDownloadFinished(bool ok)
{
    if (!ok) {
        DropPair();
        info_ = Text(kDownloadFailed);
    } else if (CheckImages(QDir(Folder()).filePath(QString::fromLatin1(kImageFileA)), deviceVersion_, kBadDownload)) {
        openEnabled_ = false;
    }
    emit Changed();
}

void UpgradeFlow::StartUpgrade()
{
    if (!Enabled(kUpgradeButton) || !pair_)
        return;
    status_.clear();
    progress_ = 0;
    if (deviceReady_ && !device_.LinkUp()) {
        // The cable was pulled since the logger was opened: nothing could reach it on the old link.
        // Connecting may wait a second or more on a silent logger, so not on the UI thread.
        if (reconnect_.joinable())
            reconnect_.join();
        reconnecting_ = true;
        status_ = Text(kReconnecting);
        reconnect_ = std::thread([this] {
            const bool connected = device_.Reopen() == 1;
            QMetaObject::invokeMethod(this, [this, connected] { FinishReconnect(connected); }, Qt::QueuedConnection);
        });
        emit Changed();
        return;
    }
    BeginWrite();
}

void UpgradeFlow::FinishReconnect(bool connected)
{
    if (reconnect_.joinable())
        reconnect_.join();
    reconnecting_ = false;
    if (!connected) {
        // The button stays enabled: once the logger is plugged in again another press may do.
        status_ = Text(kReconnectLogger);
        emit Changed();
        return;
    }
    status_.clear();
    BeginWrite();
}

void UpgradeFlow::BeginWrite()
{
    int chosen = 0;
    if (deviceReady_) {
        chosen = device_.SelectImage(pair_->a, pair_->b);
        if (chosen < 0) {
            // The logger named no bank, or neither image is built for the bank it named.
            status_ = Text(kFailed);
            emit Changed();
            return;
        }
    }
    image_ = chosen == 0 ? &pair_->a : &pair_->b;
    blocks_ = int(image_->size() / kFirmwareBlockBytes) + 1;
    progressMax_ = blocks_;
    progress_ = 0;
    blockIndex_ = 0;
    byteSum_ = 0;
    writing_ = true;
    timerRunning_ = true;
    emit Changed();
}

void UpgradeFlow::EndWrite(int statusText, bool upgradeStaysEnabled)
{
    writing_ = false;
    timerRunning_ = false;
    image_ = nullptr;
    status_ = Text(statusText);
    if (!upgradeStaysEnabled)
        upgradeEnabled_ = false;
}

void UpgradeFlow::Tick()
{
    if (!writing_ || !image_)
        return;
    const size_t at = size_t(blockIndex_) * kFirmwareBlockBytes;
    const size_t n = at < image_->size() ? std::min<size_t>(kFirmwareBlockBytes, image_->size() - at) : 0;
    if (blockIndex_ < blocks_) {
        progress_ = blockIndex_ + 1;
        const int percent = std::min(100, (blockIndex_ + 1) * 100 / blocks_);
        status_ = Text(kWriting) + QStringLiteral(" (%1 %)").arg(percent);
    }
    if (blockIndex_ < blocks_ && n > 0) {
        // Every block goes out full; what lies past the image's end is 0xFF.
        std::array<uint8_t, kFirmwareBlockBytes> block;
        block.fill(0xFF);
        const auto first = image_->begin() + std::ptrdiff_t(at);
        std::copy_n(first, n, block.begin());
        byteSum_ = std::accumulate(first, first + std::ptrdiff_t(n), byteSum_);
        const devicelink::FirmwareBlockRecord record{blockIndex_, block.data(), int32_t(kFirmwareBlockBytes)};
        if (deviceReady_ && device_.WriteBlock(record) == 1)
            ++blockIndex_;
        else
            EndWrite(kFailed, false);
        emit Changed();
        return;
    }
    // The image is complete: this tick either read nothing or came after the last block.
    const uint32_t size = uint32_t(image_->size());
    if (deviceReady_ && device_.Finish(byteSum_, size) == 1)
        EndWrite(kDone, false);
    else
        EndWrite(kFailed, true);
    emit Changed();
}

}  // namespace firmware
