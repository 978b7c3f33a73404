#pragma once

#include "devicelink/protocol/CommandFrame.h"
#include "tests/support/LinkHelpers.h"

#include "tests/support/LoopbackListener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A stand-in logger on 127.0.0.1 with an ephemeral port: it accepts one connection, reassembles
// the host's frames and hands each to a script that may answer.
class LoopbackPeer : public devicelink::FrameSink {
public:
    using Script = std::function<void(LoopbackPeer& peer, uint32_t code, std::span<const uint32_t> frame)>;

    explicit LoopbackPeer(Script script) : script_(std::move(script))
    {
        listener_ = ListenOnLoopback(port_);
        thread_ = std::thread([this] { Run(); });
    }
    ~LoopbackPeer() override
    {
        stop_ = true;
        shutdown(listener_, SHUT_RDWR);
        const int fd = conn_.load();
        if (fd >= 0)
            shutdown(fd, SHUT_RDWR);
        thread_.join();
        close(listener_);
        if (fd >= 0)
            close(fd);
    }

    uint16_t Port() const { return port_; }
    // Points the driver's TCP fallback at this peer.
    void Export() const { corviktest::PointDriverAt(port_); }

    void Send(const std::vector<uint8_t>& bytes)
    {
        std::lock_guard lock(sendMutex_);
        const int fd = conn_.load();
        size_t at = 0;
        while (fd >= 0 && at < bytes.size()) {
            const ssize_t n = send(fd, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            at += size_t(n);
        }
    }
    void Reply(uint32_t code, std::vector<uint32_t> payload = {}) { Send(devicelink::MakeFrame(code, payload)); }

    std::vector<std::vector<uint32_t>> Received() const
    {
        std::lock_guard lock(mutex_);
        return received_;
    }
    int CountOf(uint32_t code) const
    {
        int n = 0;
        for (const auto& f : Received())
            n += f[1] == code;
        return n;
    }
    bool AllSound() const
    {
        for (const auto& f : Received())
            if (!devicelink::FrameIsSound(f))
                return false;
        return true;
    }
    // Ends the connection from the device side.
    void Hangup()
    {
        const int fd = conn_.load();
        if (fd >= 0)
            shutdown(fd, SHUT_RDWR);
    }

    void OnFrame(std::span<const uint32_t> frame) override
    {
        {
            std::lock_guard lock(mutex_);
            received_.emplace_back(frame.begin(), frame.end());
        }
        if (script_)
            script_(*this, frame[1], frame);
    }

private:
    void Run()
    {
        const int fd = accept(listener_, nullptr, nullptr);
        if (fd < 0)
            return;
        conn_ = fd;
        devicelink::FrameReassembler r;
        while (!stop_) {
            const auto space = r.FreeSpace();
            const ssize_t n = recv(fd, space.data(), space.size(), 0);
            if (n <= 0)
                break;
            r.Commit(size_t(n), *this);
        }
    }

    Script script_;
    int listener_ = -1;
    std::atomic<int> conn_{-1};
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::mutex sendMutex_;
    std::vector<std::vector<uint32_t>> received_;
};

// The usual answers of a logger: hello, status, version, read, write, start, stop.
inline void AnswerLikeALogger(LoopbackPeer& peer, uint32_t code, std::span<const uint32_t>)
{
    using namespace devicelink;
    switch (code) {
    case code::kHello: peer.Reply(code::kHelloAck); break;
    case code::kQueryStatus: peer.Reply(code::kStatusReply, {0x00030003}); break;
    case code::kGetVersion: peer.Reply(code::kVersionReply, {20240115}); break;
    case code::kWriteSetup: peer.Reply(code::kWriteDone); break;
    case code::kStartMeasure: peer.Reply(code::kStarted); break;
    case code::kStartStream: peer.Reply(code::kStreamStarted); break;
    case code::kStop: peer.Reply(code::kStopped); break;
    case code::kStopStream: peer.Reply(code::kStreamStopped); break;
    case code::kWriteDeviceBlock: peer.Reply(code::kDeviceBlockWritten); break;
    default: break;
    }
}
