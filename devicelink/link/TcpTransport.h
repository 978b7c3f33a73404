#pragma once

#include "devicelink/link/ByteTransport.h"

#include <atomic>
#include <memory>
#include <string>

namespace devicelink {

inline constexpr const char* kDefaultDeviceHost = "127.0.0.1";
inline constexpr uint16_t kDefaultDevicePort = 4000;
inline constexpr int kNoSocket = -1;

// The TCP fallback: a plain stream socket to the peer that carries the same frames as USB.
class TcpTransport : public ByteTransport {
public:
    ~TcpTransport() override;

    // Connects to host:port; null when nothing listens there.
    static std::unique_ptr<TcpTransport> Connect(const std::string& host, uint16_t port);
    // The peer named by CORVIK_DEVICE_HOST / CORVIK_DEVICE_PORT, else 127.0.0.1:4000.
    static std::unique_ptr<TcpTransport> ConnectConfigured();

    int Read(std::span<uint8_t> buffer) override;
    WriteStatus Write(std::span<const uint8_t> data, size_t& written) override;
    void Wake() override;
    void Close() override;
    bool IsUsb() const override { return false; }
    bool TurnedAway() const override { return turnedAway_.load(); }

private:
    explicit TcpTransport(int fd) : fd_(fd) {}
    std::atomic<int> fd_;
    std::atomic<bool> receivedAny_{false};
    std::atomic<bool> turnedAway_{false};
};

}  // namespace devicelink
