#pragma once

#include "firmware/FirmwareDownload.h"
#include "firmware/FirmwareImagePair.h"
#include "firmware/UpgradeDevice.h"
#include "firmware/UpgradeStringTable.h"

#include <QObject>
#include <QString>

#include <array>
#include <optional>
#include <thread>

// The upgrade tool's flow without its window: opening the logger and its version gate, the image
// pair from a chosen file or a download, the checks, and the block-by-block write on timer 11.
// The window shows what this holds (texts, button states, progress) and forwards clicks and ticks.
namespace firmware {

class UpgradeFlow : public QObject {
    Q_OBJECT
public:
    enum Button { kOpenButton = 1000, kUpgradeButton = 1001, kDownloadButton = 1003 };
    static constexpr int kTimerId = 11;
    static constexpr int kTickMs = 100;
    // Loggers with this firmware or older cannot take an upgrade through the tool.
    static constexpr uint32_t kOldestFirmware = 20101100;

    struct Options {
        QString stringFile = QString::fromLatin1(kStringTableFile);  // relative: the current directory
        QString downloadFolder;  // empty: the current directory
        QString server;          // empty: FirmwareDownload::ConfiguredServer()
        int transferTimeoutMs = FirmwareDownload::kDefaultTransferTimeoutMs;
    };

    UpgradeFlow(UpgradeDevice& device, Options options, QObject* parent = nullptr);
    ~UpgradeFlow() override;

    // Loads the texts and opens the logger on a worker; Changed follows when the logger answered
    // or gave up. Every button stays disabled until then.
    void Start();
    bool StartupDone() const { return startupDone_; }

    // Button 1000 after the file chooser: an empty path (cancelled) changes nothing.
    void OpenFirmwareFile(const QString& path);
    // Button 1003.
    void DownloadFirmware();
    // Button 1001. A link that ended since (a pulled cable) is opened again first, on a worker;
    // the write starts when the logger answers, or the status says to reconnect it.
    void StartUpgrade();
    // Timer 11: one block, or the finish after the last.
    void Tick();

    // Whether a button takes clicks: never before the logger answered, nor while a download, a
    // reconnection or a write runs.
    bool Enabled(int button) const;
    QString IntroText() const { return intro_; }
    QString InfoText() const { return info_; }
    QString StatusText() const { return status_; }
    int ProgressMaximum() const { return progressMax_; }
    int ProgressValue() const { return progress_; }
    bool TimerRunning() const { return timerRunning_; }
    bool Writing() const { return writing_; }
    bool Downloading() const { return download_.Running(); }
    bool Reconnecting() const { return reconnecting_; }
    // The window may close unless an image is being written.
    bool CanClose() const { return !writing_; }
    bool DeviceReady() const { return deviceReady_; }
    uint32_t DeviceVersion() const { return deviceVersion_; }
    // A text of the string table by id; empty when missing.
    QString Text(int id) const;

signals:
    void Changed();

private:
    void FinishStartup(bool ready, uint32_t version);
    void FinishReconnect(bool connected);
    // Asks the logger for its bank and starts the timer with the image for it.
    void BeginWrite();
    void OnDownloadFinished(bool ok);
    // Checks the pair of path; the information text tells the outcome (failureText on failure).
    bool CheckImages(const QString& path, uint32_t minimumVersion, int failureText);
    void DropPair();
    void EndWrite(int statusText, bool upgradeStaysEnabled);
    void ShowImagePair();
    QString Folder() const;

    UpgradeDevice& device_;
    Options options_;
    UpgradeStringTable strings_;
    FirmwareDownload download_;
    std::thread startup_;
    std::thread reconnect_;
    bool reconnecting_ = false;

    bool startupDone_ = false;
    bool deviceReady_ = false;
    uint32_t deviceVersion_ = 0;
    bool openEnabled_ = false;
    bool downloadEnabled_ = false;
    bool upgradeEnabled_ = false;
    QString intro_;
    QString info_;
    QString status_;

    std::optional<CheckedPair> pair_;
    // The write under way: the image chosen from the checked pair, never reread from disk.
    bool writing_ = false;
    bool timerRunning_ = false;
    const std::vector<uint8_t>* image_ = nullptr;
    int blockIndex_ = 0;
    int blocks_ = 0;
    uint32_t byteSum_ = 0;
    int progressMax_ = 100;
    int progress_ = 0;
};

}  // namespace firmware
