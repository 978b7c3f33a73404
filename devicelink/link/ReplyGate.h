#pragma once

#include "platform/Event.h"

#include <cstdint>
#include <initializer_list>
#include <mutex>

namespace devicelink {

// The event a command sender waits on, released only by the reply codes that sender named. A late
// or unsolicited reply of another kind (say a block-written answer while a firmware block is
// awaited) leaves the waiter alone.
class ReplyGate {
public:
    ReplyGate() : event_(platform::Event::Kind::ManualReset) {}

    // Resets the event and names the codes that may release it; done before the command is sent.
    void Expect(std::initializer_list<uint32_t> codes);
    // A reply arrived on the receive thread. True when it released the waiter.
    bool Offer(uint32_t code);
    // Waits for an expected reply; the expectation ends either way.
    bool Wait(uint32_t timeoutMs);

private:
    static constexpr int kMaxCodes = 4;
    std::mutex mutex_;
    uint32_t codes_[kMaxCodes] = {};
    int count_ = 0;
    platform::Event event_;
};

}  // namespace devicelink
