#pragma once

#include "devicelink/link/ByteTransport.h"

#include <atomic>
#include <cstdint>
#include <memory>

struct libusb_context;
struct libusb_device_handle;
struct libusb_transfer;

namespace devicelink {

inline constexpr uint16_t kLoggerVendorId = 0x1483;
inline constexpr uint16_t kLoggerProductId = 0x7799;
inline constexpr int kIsoPacketBytes = 432;

class UsbTransport;

// The isochronous pipe: two transfers of one packet each, kept in flight together so that one is
// always queued while the other is reaped. Events are driven by the thread that calls NextRound.
class UsbIsoSource : public StreamPacketSource {
public:
    ~UsbIsoSource() override;
    int NextRound(std::span<StreamPacket> out, uint32_t timeoutMs) override;
    void Wake() override { woken_.store(true, std::memory_order_release); }
    void Rearm() override { woken_.store(false, std::memory_order_release); }

private:
    friend class UsbTransport;
    static constexpr int kTransfers = 2;
    bool Allocate(libusb_context* ctx, libusb_device_handle* handle);
    void Release();
    // Cancels what is in flight and runs events until every callback has come back.
    void Drain();
    static void Completed(libusb_transfer* transfer);

    libusb_context* ctx_ = nullptr;
    libusb_transfer* transfers_[kTransfers] = {};
    uint8_t buffers_[kTransfers][kIsoPacketBytes] = {};
    // Cleared by the completion callback, which runs on whichever thread handles libusb's events:
    // the receive thread's bulk reads handle them too.
    std::atomic<int> inFlight_[kTransfers] = {};
    std::atomic<bool> woken_{false};
};

// The logger on USB through libusb-1.0: bulk OUT 0x03 for commands, bulk IN 0x81 for replies
// (read through a 512-byte scratch buffer), isochronous IN 0x82 for the stream. A stalled bulk
// endpoint is cleared at once and the transfer counts as one failure, so a stall that lasts ends
// the link like any other run of failures.
class UsbTransport : public ByteTransport {
public:
    enum class OpenResult { Opened, NoLogger, InUse, NoPermission, IsoSetupFailed };

    ~UsbTransport() override;
    // Finds and claims the first logger. A missing USB stack, no logger or a claim refused for
    // another reason is NoLogger (the caller falls back to TCP). A logger that this user may not
    // open (NoPermission), whose interface another program holds (InUse) or whose isochronous
    // set-up fails is there, so nothing else is tried.
    static OpenResult Open(std::unique_ptr<UsbTransport>& out);

    int Read(std::span<uint8_t> buffer) override;
    WriteStatus Write(std::span<const uint8_t> data, size_t& written) override;
    // Bulk reads use short time-outs, so a blocked read comes back on its own within one.
    void Wake() override {}
    void Close() override;
    bool IsUsb() const override { return true; }

    UsbIsoSource& IsoSource() { return iso_; }

private:
    UsbTransport() = default;

    libusb_context* ctx_ = nullptr;
    libusb_device_handle* handle_ = nullptr;
    UsbIsoSource iso_;
    uint8_t scratch_[512] = {};
    size_t scratchAt_ = 0;
    size_t scratchEnd_ = 0;
};

}  // namespace devicelink
