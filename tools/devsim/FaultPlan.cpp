#include "tools/devsim/FaultPlan.h"

#include "tools/devsim/TextWords.h"

namespace devsim {

namespace {

struct ActionName {
    FaultAction action;
    const char* name;
};

constexpr ActionName kActions[] = {
    {FaultAction::Drop, "drop"},         {FaultAction::Delay, "delay"},
    {FaultAction::BadChecksum, "badchecksum"}, {FaultAction::Split, "split"},
    {FaultAction::Coalesce, "coalesce"}, {FaultAction::Garbage, "garbage"},
    {FaultAction::Disconnect, "disconnect"},
};

}  // namespace

const char* FaultActionName(FaultAction action)
{
    for (const ActionName& a : kActions)
        if (a.action == action)
            return a.name;
    return "?";
}

bool ParseFault(std::string_view text, Fault& out, std::string& error)
{
    const std::vector<std::string> w = SplitWords(text);
    Fault fault;
    uint64_t value = 0;
    if (w.size() < 2 || !ParseUnsigned(w[0], value) || value > 0xFFFFFFFFu) {
        error = "a fault is '<code> <action> [argument] [times N|always]'";
        return false;
    }
    fault.code = uint32_t(value);
    bool known = false;
    for (const ActionName& a : kActions)
        if (w[1] == a.name) {
            fault.action = a.action;
            known = true;
        }
    if (!known) {
        error = "unknown fault action '" + w[1] + "'";
        return false;
    }
    size_t i = 2;
    if (i < w.size() && ParseUnsigned(w[i], value)) {
        fault.argument = int(std::min<uint64_t>(value, 600000));
        ++i;
    }
    if (i < w.size() && w[i] == "always") {
        fault.remaining = -1;
        ++i;
    } else if (i + 1 < w.size() && w[i] == "times" && ParseUnsigned(w[i + 1], value) && value > 0) {
        fault.remaining = int(std::min<uint64_t>(value, 1000000));
        i += 2;
    }
    if (i != w.size()) {
        error = "unexpected '" + w[i] + "' in fault";
        return false;
    }
    out = fault;
    return true;
}

std::optional<Fault> FaultPlan::Take(uint32_t code)
{
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        if (it->code != code)
            continue;
        Fault f = *it;
        if (it->remaining > 0 && --it->remaining == 0)
            faults_.erase(it);
        return f;
    }
    return std::nullopt;
}

}  // namespace devsim
