#pragma once

#include <dlfcn.h>

#include <string>

// The USB library's stand-in (tools/usbstandin), when the test run preloads it: the run then goes
// over the driver's USB code path, and the stand-in carries it to the simulated logger. Header
// only, so that every test main can ask without linking anything.
namespace corviktest {

// True when the stand-in is preloaded into this process.
inline bool OverUsbStandIn()
{
    return ::dlsym(RTLD_DEFAULT, "corvik_usb_standin_fault") != nullptr;
}

// What CORVIK_TRANSPORT a test sets: "usb" over the stand-in (never falling back to TCP), else "tcp".
inline const char* TestTransport()
{
    return OverUsbStandIn() ? "usb" : "tcp";
}

// Fault words for the stand-in ("stall-in", "timeouts 5", ...); false without it or for a word it
// does not know.
inline bool UsbFault(const std::string& words)
{
    using Fault = int (*)(const char*);
    const auto fault = reinterpret_cast<Fault>(::dlsym(RTLD_DEFAULT, "corvik_usb_standin_fault"));
    return fault && fault(words.c_str()) == 1;
}

// How often the stand-in saw `what` ("halts-cleared", "iso-packets", ...); -1 without it.
inline long UsbCount(const char* what)
{
    using Count = long (*)(const char*);
    const auto count = reinterpret_cast<Count>(::dlsym(RTLD_DEFAULT, "corvik_usb_standin_count"));
    return count ? count(what) : -1;
}

}  // namespace corviktest
