#pragma once

#include "devicelink/link/ByteTransport.h"
#include "devicelink/protocol/CommandFrame.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

// A byte transport in memory. Reads first play back a script of results, then deliver what the
// test (or the command script) queued; frames the driver writes are reassembled and offered to
// the command script, which may queue answers.
class FakeTransport : public devicelink::ByteTransport, public devicelink::FrameSink {
public:
    using CommandScript = std::function<void(FakeTransport& t, uint32_t code, std::span<const uint32_t> frame)>;
    using WriteHook = std::function<devicelink::WriteStatus(std::span<const uint8_t> data, size_t& written)>;

    explicit FakeTransport(CommandScript script = {}) : script_(std::move(script)) {}

    void ScriptReads(int result, int times)
    {
        std::lock_guard lock(mutex_);
        readScript_.insert(readScript_.end(), size_t(times), result);
        cv_.notify_all();
    }
    void Queue(const std::vector<uint8_t>& bytes)
    {
        std::lock_guard lock(mutex_);
        inbound_.insert(inbound_.end(), bytes.begin(), bytes.end());
        cv_.notify_all();
    }
    void Queue(uint32_t code, std::vector<uint32_t> payload = {}) { Queue(devicelink::MakeFrame(code, payload)); }
    void SetWriteHook(WriteHook hook) { hook_ = std::move(hook); }

    std::vector<uint8_t> Written() const
    {
        std::lock_guard lock(mutex_);
        return written_;
    }
    int Reads() const { return reads_; }
    // Queued bytes no read has taken yet.
    size_t Pending() const
    {
        std::lock_guard lock(mutex_);
        return inbound_.size();
    }

    int Read(std::span<uint8_t> buffer) override
    {
        std::unique_lock lock(mutex_);
        ++reads_;
        if (!readScript_.empty()) {
            const int r = readScript_.front();
            readScript_.pop_front();
            return r;
        }
        cv_.wait_for(lock, std::chrono::milliseconds(20), [this] { return woken_ || !inbound_.empty(); });
        if (woken_)
            return 0;
        if (inbound_.empty())
            return devicelink::kReadTimedOut;
        const size_t n = std::min(buffer.size(), inbound_.size());
        std::copy_n(inbound_.begin(), n, buffer.begin());
        inbound_.erase(inbound_.begin(), inbound_.begin() + long(n));
        return int(n);
    }

    devicelink::WriteStatus Write(std::span<const uint8_t> data, size_t& written) override
    {
        written = data.size();
        devicelink::WriteStatus status = devicelink::WriteStatus::Ok;
        if (hook_)
            status = hook_(data, written);
        const std::span<const uint8_t> left = data.first(written);
        std::vector<uint8_t> copy(left.begin(), left.end());
        {
            std::lock_guard lock(mutex_);
            written_.insert(written_.end(), copy.begin(), copy.end());
        }
        reassembler_.Append(copy, *this);
        return status;
    }

    void Wake() override
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
        cv_.notify_all();
    }
    void Close() override {}
    bool IsUsb() const override { return false; }

    void OnFrame(std::span<const uint32_t> frame) override
    {
        if (script_)
            script_(*this, frame[1], frame);
    }

private:
    CommandScript script_;
    WriteHook hook_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<int> readScript_;
    std::deque<uint8_t> inbound_;
    std::vector<uint8_t> written_;
    devicelink::FrameReassembler reassembler_;
    std::atomic<int> reads_{0};
    bool woken_ = false;
};

// Answers the hello, which every connect needs, and the stop that every driver sends at its end.
inline void AnswerHello(FakeTransport& t, uint32_t code, std::span<const uint32_t>)
{
    if (code == devicelink::code::kHello)
        t.Queue(devicelink::code::kHelloAck);
    if (code == devicelink::code::kStop)
        t.Queue(devicelink::code::kStopped);
}
