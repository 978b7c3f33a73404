#pragma once

// Why the driver could not reach a logger, so that the user is told what would help. Both
// transports report through this one vocabulary: a logger that another program holds is InUse
// whether it was refused on USB (the interface is claimed) or by the TCP peer (it serves one host).
namespace devicelink {

enum class LinkOpenFailure {
    None = 0,          // connected, or not tried yet
    NoLogger = 1,      // nothing found, or nothing answered the hello
    InUse = 2,         // another program has the logger
    NoPermission = 3,  // the logger is there but this user may not open it (no udev rule)
};

}  // namespace devicelink
