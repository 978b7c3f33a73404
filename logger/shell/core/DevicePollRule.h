#pragma once

#include <cstdint>
#include <optional>

// What the root window does with one device poll (PollSensorState once a second): nothing, the
// device-change box that runs detection (after a plug) or tells of a removal, or the end of the
// program when the logger is gone.
//
// A sensor that is present but not ready makes every poll report a change, so the box runs only
// when the logger's status word changed since the last box, or a channel's presence itself
// changed. A sensor that could not be identified while it was not ready is examined again once
// its ready bit rises (which the poll alone does not report).
namespace shell {

enum class PollAction { Nothing, AttachBox, RemovalBox, LoggerLost };

struct PollDecision {
    PollAction action = PollAction::Nothing;
    // Channels (bit c) whose presence the sensor object must forget before the box, so that
    // detection examines them again.
    uint32_t redetect = 0;
};

class DevicePollRule {
public:
    // `result` is what PollSensorState returned, `statusWord` the logger's word it read,
    // `knownPresence` the channels (bit c) the sensor object counted present before the poll and
    // `connected` those it identified.
    PollDecision Decide(int32_t result, uint32_t statusWord, uint32_t knownPresence, uint32_t connected) const;
    // A box ran after a poll that read `statusWord`.
    void BoxRan(uint32_t statusWord) { lastBoxStatus_ = statusWord; }

private:
    std::optional<uint32_t> lastBoxStatus_;
};

}  // namespace shell
