#include "logger/shell/core/DevicePollRule.h"

#include "devicelink/protocol/Vocabulary.h"
#include "devicelink/sensor/CNI2CSensor.h"

namespace shell {

namespace {

uint32_t PresentChannels(uint32_t statusWord)
{
    uint32_t mask = 0;
    for (int c = 0; c < devicelink::kChannelCount; ++c)
        mask |= devicelink::ChannelStatusOf(statusWord, c).present ? 1u << c : 0u;
    return mask;
}

uint32_t ReadyChannels(uint32_t statusWord)
{
    uint32_t mask = 0;
    for (int c = 0; c < devicelink::kChannelCount; ++c)
        mask |= devicelink::ChannelStatusOf(statusWord, c).ready ? 1u << c : 0u;
    return mask;
}

}  // namespace

PollDecision DevicePollRule::Decide(int32_t result, uint32_t statusWord, uint32_t knownPresence,
                                    uint32_t connected) const
{
    switch (result) {
    case devicelink::kPollLinkLost:
        return {PollAction::LoggerLost, 0};
    case devicelink::kPollPlugged:
        return {PollAction::AttachBox, 0};
    case devicelink::kPollRemoved:
        return {PollAction::RemovalBox, 0};
    case devicelink::kPollNotReady: {
        // Reported on every poll while a sensor is not ready: only a change is news.
        const bool presenceChanged = PresentChannels(statusWord) != (knownPresence & 0xFu);
        if (presenceChanged || !lastBoxStatus_ || *lastBoxStatus_ != statusWord)
            return {PollAction::AttachBox, 0};
        return {};
    }
    case devicelink::kPollNoChange: {
        if (!lastBoxStatus_)
            return {};
        const uint32_t rose = ReadyChannels(statusWord) & ~ReadyChannels(*lastBoxStatus_) &
                              PresentChannels(statusWord) & ~connected & 0xFu;
        if (rose == 0)
            return {};
        return {PollAction::AttachBox, rose};
    }
    default:
        return {};
    }
}

}  // namespace shell
