#include "firmware/FirmwareDownload.h"

#include "firmware/FirmwareImagePair.h"

#include <QDir>
#include <QFile>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace firmware {

namespace {

const char* const kFiles[2] = {kImageFileA, kImageFileB};

QString PartPath(const QString& finalPath)
{
    return finalPath + QStringLiteral(".download");
}

// Writes and syncs the whole body; false (and no file left) on any failure.
bool WriteWhole(const QString& path, const QByteArray& body)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool written = file.write(body) == body.size() && file.flush() && ::fsync(file.handle()) == 0;
    file.close();
    if (!written)
        QFile::remove(path);
    return written;
}

}  // namespace

FirmwareDownload::FirmwareDownload(QObject* parent) : QObject(parent) {}

FirmwareDownload::~FirmwareDownload()
{
    Abort();
}

QString FirmwareDownload::ConfiguredServer()
{
    const char* configured = std::getenv("CORVIK_FIRMWARE_SERVER");
    return configured && *configured ? QString::fromLocal8Bit(configured) : QString::fromLatin1(kDefaultServer);
}

QString FirmwareDownload::ObjectPath(const QString& fileName)
{
    return QStringLiteral("/corvik_upgrade/") + fileName;
}

bool FirmwareDownload::Start(const QString& server, const QString& folder)
{
    if (Running())
        return false;
    server_ = server;
    folder_ = folder;
    bodies_[0].clear();
    bodies_[1].clear();
    Fetch(0);
    return true;
}

void FirmwareDownload::Fetch(int which)
{
    which_ = which;
    overflow_ = false;
    QNetworkRequest request(QUrl(QStringLiteral("http://") + server_ + ObjectPath(QString::fromLatin1(kFiles[which]))));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    request.setTransferTimeout(timeoutMs_);
    reply_ = manager_.get(request);
    connect(reply_, &QNetworkReply::readyRead, this, &FirmwareDownload::OnReadyRead);
    connect(reply_, &QNetworkReply::finished, this, &FirmwareDownload::OnReplyFinished);
}

void FirmwareDownload::OnReadyRead()
{
    if (!reply_ || overflow_)
        return;
    QByteArray& body = bodies_[which_];
    // One byte more than the limit is enough to know the body does not fit.
    body += reply_->read(kMaxBodyBytes + 1 - body.size());
    if (body.size() > kMaxBodyBytes) {
        overflow_ = true;
        reply_->abort();
    }
}

bool FirmwareDownload::BodyComplete(QNetworkReply& reply) const
{
    if (overflow_ || reply.error() != QNetworkReply::NoError)
        return false;
    if (reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() != 200)
        return false;
    // A body shorter than announced was cut off, whatever the transport reported.
    const QVariant announced = reply.header(QNetworkRequest::ContentLengthHeader);
    return !announced.isValid() || announced.toLongLong() == bodies_[which_].size();
}

void FirmwareDownload::OnReplyFinished()
{
    QNetworkReply* reply = reply_;
    if (!reply)
        return;
    reply_ = nullptr;
    reply->disconnect(this);
    if (!overflow_)
        bodies_[which_] += reply->readAll();
    const bool complete = BodyComplete(*reply) && bodies_[which_].size() <= kMaxBodyBytes;
    reply->deleteLater();
    if (!complete)
        End(false);
    else if (which_ == 0)
        Fetch(1);
    else
        End(StorePair());
}

bool FirmwareDownload::StorePair()
{
    QString finals[2];
    for (int i = 0; i < 2; ++i) {
        finals[i] = QDir(folder_).filePath(QString::fromLatin1(kFiles[i]));
        if (!WriteWhole(PartPath(finals[i]), bodies_[i])) {
            if (i == 1)
                QFile::remove(PartPath(finals[0]));
            return false;
        }
    }
    // Both are on disk: each rename replaces its file in one step.
    for (int i = 0; i < 2; ++i) {
        if (std::rename(QFile::encodeName(PartPath(finals[i])).constData(), QFile::encodeName(finals[i]).constData())
            != 0) {
            QFile::remove(PartPath(finals[i]));
            if (i == 0)
                QFile::remove(PartPath(finals[1]));
            return false;
        }
    }
    return true;
}

void FirmwareDownload::End(bool ok)
{
    which_ = -1;
    bodies_[0].clear();
    bodies_[1].clear();
    emit Finished(ok);
}

void FirmwareDownload::Abort()
{
    if (QNetworkReply* reply = reply_) {
        reply_ = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    which_ = -1;
}

}  // namespace firmware
