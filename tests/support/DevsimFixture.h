#pragma once

#include "tests/support/LinkHelpers.h"
#include "tools/devsim/Scenario.h"
#include "tools/devsim/SimDevice.h"
#include "tools/devsim/SimServer.h"

#include "platform/WorkerThread.h"

#include <cstdint>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

// Starting the simulated logger for a test: in-process (a device and its server on a worker
// thread, so the test can look inside the device) or as the corvik-devsim program. Either way it
// listens on an ephemeral port of 127.0.0.1, and PointDriverHere() sends the driver there.
namespace devsim::testing {

using corviktest::PointDriverAt;

class InProcessDevsim {
public:
    explicit InProcessDevsim(DeviceOptions options = {});
    ~InProcessDevsim();
    InProcessDevsim(const InProcessDevsim&) = delete;
    InProcessDevsim& operator=(const InProcessDevsim&) = delete;

    // Listens and starts serving; false with a message when the port cannot be opened.
    bool Start(std::string& error);
    void Stop();
    uint16_t Port() const { return server_->Port(); }
    void PointDriverHere() const { PointDriverAt(Port()); }

    SimDevice& Device() { return *device_; }
    SimServer& Server() { return *server_; }
    // "temperature ramp start=10 slope=1" into channel c.
    bool Plug(int channel, const std::string& spec);
    // Control command or fault text, run on the server's thread.
    void Command(const std::string& line) { server_->Post(line); }
    bool AddFault(const std::string& text);

private:
    std::unique_ptr<SimDevice> device_;
    std::unique_ptr<SimServer> server_;
    platform::WorkerThread thread_;
};

// A simulated logger with the device options and sensors of `scenario`, a file of resources/devsim
// (empty: a logger without sensors), not started yet; null with the reason when the file or one
// of its sensors is refused. `loaded` receives the scenario.
std::unique_ptr<InProcessDevsim> ScenarioDevsim(const std::string& scenario, std::string& error,
                                                Scenario* loaded = nullptr);

class DevsimProcess {
public:
    DevsimProcess() = default;
    ~DevsimProcess();
    DevsimProcess(const DevsimProcess&) = delete;
    DevsimProcess& operator=(const DevsimProcess&) = delete;

    // Runs `program --port 0 args...` and waits (at most timeoutMs) for the line that names its
    // port. False with a message when it does not start or never listens.
    bool Start(const std::string& program, const std::vector<std::string>& args, std::string& error,
               int timeoutMs = 5000);
    // "quit" on its standard input, then a wait; SIGTERM and SIGKILL only if it lingers. Returns
    // the exit status (-1 when it had to be killed or was not running).
    int Stop();
    // One control command line on its standard input.
    bool Send(const std::string& line);
    uint16_t Port() const { return port_; }
    void PointDriverHere() const { PointDriverAt(port_); }

private:
    pid_t pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
    uint16_t port_ = 0;
};

}  // namespace devsim::testing
