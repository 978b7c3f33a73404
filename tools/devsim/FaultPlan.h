#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Faults injected into what the device sends, chosen per command (or per unasked frame code):
// the transport misbehaviours a host has to survive.
namespace devsim {

enum class FaultAction {
    Drop,         // the reply is never sent
    Delay,        // sent after `argument` ms (default: past the longest wait of the host)
    BadChecksum,  // the checksum word is off by one
    Split,        // sent as two pieces, `argument` ms apart (default 50)
    Coalesce,     // held back and sent in one piece with the next frame
    Garbage,      // `argument` bytes of noise go first (default 8)
    Disconnect,   // the connection is closed instead of replying
};

struct Fault {
    uint32_t code = 0;
    FaultAction action = FaultAction::Drop;
    int argument = -1;   // -1: the action's default
    int remaining = 1;   // -1: every time
};

// "<code> <action> [argument] [times N | always]", code decimal or 0x-hex, action one of drop,
// delay, badchecksum, split, coalesce, garbage, disconnect.
bool ParseFault(std::string_view text, Fault& out, std::string& error);
const char* FaultActionName(FaultAction action);

class FaultPlan {
public:
    void Add(const Fault& fault) { faults_.push_back(fault); }
    // The first fault planned for this code, used up once; none when there is none left.
    std::optional<Fault> Take(uint32_t code);
    bool Empty() const { return faults_.empty(); }
    void Clear() { faults_.clear(); }

private:
    std::vector<Fault> faults_;
};

}  // namespace devsim
