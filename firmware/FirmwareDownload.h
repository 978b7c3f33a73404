#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>

class QNetworkReply;

// Fetches the image pair from the firmware server, one image after the other, without blocking
// the event loop. Only a complete body with status 200 counts; the pair replaces the local files
// only when both came whole and were written, so a failure leaves the files as they were.
namespace firmware {

class FirmwareDownload : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kMaxBodyBytes = qint64(1) << 20;
    static constexpr int kDefaultTransferTimeoutMs = 15000;
    static constexpr char kDefaultServer[] = "127.0.0.1:9001";

    explicit FirmwareDownload(QObject* parent = nullptr);
    ~FirmwareDownload() override;

    // CORVIK_FIRMWARE_SERVER (host:port) when set, else the default server.
    static QString ConfiguredServer();
    // The object path of an image file on the server.
    static QString ObjectPath(const QString& fileName);

    // A transfer that moves no byte for this long fails.
    void SetTransferTimeout(int ms) { timeoutMs_ = ms; }
    // Starts fetching both images into folder; false when a download is already running.
    // Finished follows exactly once, later, from the event loop.
    bool Start(const QString& server, const QString& folder);
    // Ends a running download without Finished; the local files stay as they were.
    void Abort();
    bool Running() const { return which_ >= 0; }

signals:
    void Finished(bool ok);

private:
    void Fetch(int which);
    void OnReadyRead();
    void OnReplyFinished();
    bool BodyComplete(QNetworkReply& reply) const;
    bool StorePair();
    void End(bool ok);

    QNetworkAccessManager manager_;
    QPointer<QNetworkReply> reply_;
    QString server_;
    QString folder_;
    int which_ = -1;
    QByteArray bodies_[2];
    bool overflow_ = false;
    int timeoutMs_ = kDefaultTransferTimeoutMs;
};

}  // namespace firmware
