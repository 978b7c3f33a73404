#include "devicelink/sensor/CVRDPCSync.h"

#include "devicelink/protocol/CommandFrame.h"
#include "devicelink/sensor/CNI2CSensor.h"

#include <cerrno>
#include <span>
#include <sys/socket.h>
#include <unistd.h>

namespace devicelink {

CVRDPCSync::CVRDPCSync(CNI2CSensor* sensor)
    : send_(std::make_unique<uint8_t[]>(kPCSyncBufferBytes)),
      sensor_(sensor)
{
}

CVRDPCSync::~CVRDPCSync()
{
    for (platform::WorkerThread& w : workers_)
        End(w);
    End(sensorWorker_);
    AttachSocket(kNoSocket);
}

void CVRDPCSync::End(platform::WorkerThread& worker)
{
    if (worker.Joinable())
        worker.Join();
}

int32_t CVRDPCSync::TerminateThreads()
{
    for (platform::WorkerThread& w : workers_)
        End(w);
    return 1;
}

void CVRDPCSync::StopRemote()
{
    if (!sensorWorker_.Joinable())
        return;
    if (sensor_)
        sensor_->StopDevice();
    End(sensorWorker_);
    const uint32_t length = BuildFrame(std::span(send_.get(), kPCSyncBufferBytes), code::kStopStream, nullptr, 0);
    SendAll(send_.get(), length);
}

void CVRDPCSync::SendAll(const void* data, size_t length)
{
    if (socket_ == kNoSocket || !data)
        return;
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t sent = 0;
    while (sent < length) {
        const ssize_t n = ::send(socket_, bytes + sent, length - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        sent += size_t(n);
    }
}

void CVRDPCSync::AttachSocket(int socket)
{
    if (socket_ != kNoSocket)
        ::close(socket_);
    socket_ = socket;
}

}  // namespace devicelink
