#include "devicelink/link/ReplyGate.h"

namespace devicelink {

void ReplyGate::Expect(std::initializer_list<uint32_t> codes)
{
    std::lock_guard lock(mutex_);
    event_.Reset();
    count_ = 0;
    for (uint32_t c : codes)
        if (count_ < kMaxCodes)
            codes_[count_++] = c;
}

bool ReplyGate::Offer(uint32_t code)
{
    std::lock_guard lock(mutex_);
    for (int i = 0; i < count_; ++i) {
        if (codes_[i] == code) {
            count_ = 0;
            event_.Set();
            return true;
        }
    }
    return false;
}

bool ReplyGate::Wait(uint32_t timeoutMs)
{
    const bool released = event_.Wait(timeoutMs);
    std::lock_guard lock(mutex_);
    count_ = 0;
    return released;
}

}  // namespace devicelink
