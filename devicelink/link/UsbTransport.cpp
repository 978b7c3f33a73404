#include "devicelink/link/UsbTransport.h"

#include "platform/LittleEndian.h"

#include <libusb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace devicelink {

static_assert(kReadTimedOut == LIBUSB_ERROR_TIMEOUT);

namespace {

constexpr unsigned char kBulkOut = 0x03;
constexpr unsigned char kBulkIn = 0x81;
constexpr unsigned char kIsoIn = 0x82;
constexpr unsigned int kReadTimeoutMs = 200;   // short, so that a stop is noticed promptly
constexpr unsigned int kWriteTimeoutMs = 5000;
constexpr int kEventSliceMs = 100;

}  // namespace

UsbIsoSource::~UsbIsoSource()
{
    Release();
}

bool UsbIsoSource::Allocate(libusb_context* ctx, libusb_device_handle* handle)
{
    ctx_ = ctx;
    for (int i = 0; i < kTransfers; ++i) {
        transfers_[i] = libusb_alloc_transfer(1);
        if (!transfers_[i])
            return false;
        libusb_fill_iso_transfer(transfers_[i], handle, kIsoIn, buffers_[i], kIsoPacketBytes, 1,
                                 &UsbIsoSource::Completed, &inFlight_[i], 0);
        libusb_set_iso_packet_lengths(transfers_[i], kIsoPacketBytes);
    }
    return true;
}

void UsbIsoSource::Completed(libusb_transfer* transfer)
{
    static_cast<std::atomic<int>*>(transfer->user_data)->store(0, std::memory_order_release);
}

void UsbIsoSource::Drain()
{
    for (int i = 0; i < kTransfers; ++i)
        if (inFlight_[i])
            (void)libusb_cancel_transfer(transfers_[i]);
    for (int round = 0; round < 50 && (inFlight_[0] || inFlight_[1]); ++round) {
        timeval tv{0, kEventSliceMs * 1000};
        (void)libusb_handle_events_timeout_completed(ctx_, &tv, nullptr);
    }
}

void UsbIsoSource::Release()
{
    if (!ctx_)
        return;
    Drain();
    for (auto*& t : transfers_) {
        if (t)
            libusb_free_transfer(t);
        t = nullptr;
    }
    ctx_ = nullptr;
}

int UsbIsoSource::NextRound(std::span<StreamPacket> out, uint32_t timeoutMs)
{
    if (!ctx_ || woken_.load(std::memory_order_acquire))
        return -1;
    for (int i = 0; i < kTransfers; ++i) {
        if (inFlight_[i])
            continue;
        inFlight_[i] = 1;
        if (libusb_submit_transfer(transfers_[i]) != 0) {
            inFlight_[i] = 0;
            Drain();
            return -1;
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    // An event-handling error ends the round as a failure, so that the caller backs off instead
    // of resubmitting at once.
    bool failed = false;
    while ((inFlight_[0] || inFlight_[1]) && !woken_.load(std::memory_order_acquire) &&
           std::chrono::steady_clock::now() < deadline) {
        timeval tv{0, kEventSliceMs * 1000};
        if (libusb_handle_events_timeout_completed(ctx_, &tv, nullptr) != 0) {
            failed = true;
            break;
        }
    }
    const bool woken = woken_.load(std::memory_order_acquire);
    Drain();
    if (woken)
        return -1;

    int packets = 0;
    for (int i = 0; i < kTransfers; ++i) {
        const libusb_transfer* t = transfers_[i];
        if (t->status == LIBUSB_TRANSFER_NO_DEVICE || t->status == LIBUSB_TRANSFER_ERROR)
            failed = true;
        if (t->status != LIBUSB_TRANSFER_COMPLETED || size_t(packets) >= out.size())
            continue;
        const libusb_iso_packet_descriptor& d = t->iso_packet_desc[0];
        // Only a whole packet carries all 200 samples; a short one is skipped.
        if (d.status != LIBUSB_TRANSFER_COMPLETED || d.actual_length < unsigned(kIsoPacketBytes))
            continue;
        std::span<const uint8_t> bytes(buffers_[i], kIsoPacketBytes);
        StreamPacket& p = out[packets++];
        p.sequenced = true;
        p.sequence = platform::ReadLE32(bytes, 0);
        p.timeBaseMs = platform::ReadLE32(bytes, 4);
        for (int k = 0; k < kStreamPacketSamples; ++k)
            p.samples[k] = platform::ReadLE16(bytes, 16 + 2 * size_t(k));
    }
    if (packets == 0 && failed)
        return -1;
    return packets;
}

UsbTransport::~UsbTransport()
{
    Close();
}

namespace {

// The first logger on any bus, opened. `openError` keeps why one that was found could not be.
libusb_device_handle* OpenFirstLogger(libusb_context* ctx, int& openError)
{
    openError = 0;
    libusb_device** devices = nullptr;
    const ssize_t count = libusb_get_device_list(ctx, &devices);
    if (count < 0)
        return nullptr;
    libusb_device_handle* handle = nullptr;
    for (ssize_t i = 0; i < count && !handle; ++i) {
        libusb_device_descriptor d{};
        if (libusb_get_device_descriptor(devices[i], &d) != 0 || d.idVendor != kLoggerVendorId ||
            d.idProduct != kLoggerProductId)
            continue;
        const int r = libusb_open(devices[i], &handle);
        if (r != 0) {
            handle = nullptr;
            openError = r;
        }
    }
    libusb_free_device_list(devices, 1);
    return handle;
}

}  // namespace

UsbTransport::OpenResult UsbTransport::Open(std::unique_ptr<UsbTransport>& out)
{
    out.reset();
    libusb_context* ctx = nullptr;
    if (libusb_init(&ctx) != 0)
        return OpenResult::NoLogger;
    int openError = 0;
    libusb_device_handle* handle = OpenFirstLogger(ctx, openError);
    if (!handle) {
        libusb_exit(ctx);
        return openError == LIBUSB_ERROR_ACCESS ? OpenResult::NoPermission : OpenResult::NoLogger;
    }
    (void)libusb_set_auto_detach_kernel_driver(handle, 1);
    if (const int claimed = libusb_claim_interface(handle, 0); claimed != 0) {
        libusb_close(handle);
        libusb_exit(ctx);
        if (claimed == LIBUSB_ERROR_BUSY)
            return OpenResult::InUse;
        if (claimed == LIBUSB_ERROR_ACCESS)
            return OpenResult::NoPermission;
        return OpenResult::NoLogger;
    }
    std::unique_ptr<UsbTransport> t(new UsbTransport());
    t->ctx_ = ctx;
    t->handle_ = handle;
    if (!t->iso_.Allocate(ctx, handle)) {
        std::printf("error usb_bulk_setup_async:\n%s\n", libusb_strerror(LIBUSB_ERROR_NO_MEM));
        return OpenResult::IsoSetupFailed;
    }
    out = std::move(t);
    return OpenResult::Opened;
}

int UsbTransport::Read(std::span<uint8_t> buffer)
{
    if (!handle_)
        return 0;
    if (scratchAt_ == scratchEnd_) {
        int got = 0;
        const int r = libusb_bulk_transfer(handle_, kBulkIn, scratch_, sizeof scratch_, &got, kReadTimeoutMs);
        if (r == LIBUSB_ERROR_NO_DEVICE)
            return kReadLinkError;
        if (r == LIBUSB_ERROR_PIPE)
            (void)libusb_clear_halt(handle_, kBulkIn);
        if (r != 0 && !(r == LIBUSB_ERROR_TIMEOUT && got > 0))
            return r;
        scratchAt_ = 0;
        scratchEnd_ = size_t(got);
        if (got == 0)
            return 0;
    }
    const size_t n = std::min(buffer.size(), scratchEnd_ - scratchAt_);
    std::memcpy(buffer.data(), scratch_ + scratchAt_, n);
    scratchAt_ += n;
    return int(n);
}

WriteStatus UsbTransport::Write(std::span<const uint8_t> data, size_t& written)
{
    written = 0;
    if (!handle_ || data.empty())
        return WriteStatus::Failed;
    int sent = 0;
    const int r = libusb_bulk_transfer(handle_, kBulkOut, const_cast<uint8_t*>(data.data()), int(data.size()),
                                       &sent, kWriteTimeoutMs);
    written = size_t(std::max(sent, 0));
    if (r == LIBUSB_ERROR_NO_DEVICE)
        return WriteStatus::LinkLost;
    // The repeat that follows goes out on the cleared endpoint.
    if (r == LIBUSB_ERROR_PIPE)
        (void)libusb_clear_halt(handle_, kBulkOut);
    return r == 0 && sent > 0 ? WriteStatus::Ok : WriteStatus::Failed;
}

void UsbTransport::Close()
{
    if (!ctx_)
        return;
    iso_.Release();
    if (handle_) {
        (void)libusb_release_interface(handle_, 0);
        libusb_close(handle_);
        handle_ = nullptr;
    }
    libusb_exit(ctx_);
    ctx_ = nullptr;
}

}  // namespace devicelink
