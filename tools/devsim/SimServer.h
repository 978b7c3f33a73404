#pragma once

#include "tools/devsim/FaultPlan.h"
#include "tools/devsim/HostFrameParser.h"
#include "tools/devsim/Scenario.h"
#include "tools/devsim/SimDevice.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// The TCP side of the simulated logger: one connection at a time on 127.0.0.1 (a second host is
// accepted and closed at once, which the driver reads as the logger being in use), frames in through
// the device's parser, replies out through the fault plan, scripted events and control commands
// run between reads. Run() is a single-threaded poll loop; Post() and Quit() may be called from
// any thread.
namespace devsim {

struct ServerOptions {
    uint16_t port = 4000;  // 0: an ephemeral port, see Port()
    bool verbose = false;
};

class SimServer {
public:
    SimServer(SimDevice& device, ServerOptions options);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Binds and listens; false with a message when the port is taken or sockets fail.
    bool Listen(std::string& error);
    uint16_t Port() const { return port_.load(); }

    // Serves until Quit() or a "quit" command.
    void Run();
    void Quit();
    // Queues a control command (see ControlHelp()); its answer goes to the log.
    void Post(std::string command);
    void AddFault(const Fault& fault);
    void Schedule(std::vector<ScheduledCommand> events);
    // Where log lines go (stderr in the program); only used for -v output and command answers.
    void SetLogger(std::function<void(const std::string&)> log);
    // Reads control commands, one a line, from this descriptor (the program's standard input);
    // its end only stops the reading.
    void WatchInput(int fd) { inputFd_ = fd; }

    bool Connected() const { return connected_.load(); }
    uint64_t Connections() const { return connections_.load(); }
    uint64_t TurnedAway() const { return turnedAway_.load(); }

    static const char* ControlHelp();

private:
    struct Pending {
        double due = 0.0;
        std::vector<uint8_t> bytes;
    };

    double Now() const;
    void Accept();
    void TurnAway();
    void CloseConnection(const char* why);
    void ReadConnection();
    void Emit(std::vector<OutFrame>& frames);
    void SendNow(std::vector<uint8_t> bytes);
    void FlushPending();
    void RunPosted();
    void RunDueEvents();
    // Carries out one control command; the text answer goes to the log.
    void Execute(const std::string& command);
    void Log(const std::string& line);
    void Wake();
    void ReadInput();

    SimDevice& device_;
    ServerOptions options_;
    std::chrono::steady_clock::time_point start_;
    std::atomic<uint16_t> port_{0};
    int listenFd_ = -1;
    int connFd_ = -1;
    int inputFd_ = -1;
    std::string inputLine_;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::atomic<bool> quit_{false};
    std::atomic<bool> connected_{false};
    std::atomic<uint64_t> connections_{0};
    std::atomic<uint64_t> turnedAway_{0};
    HostFrameParser parser_;
    std::deque<Pending> pending_;
    std::vector<uint8_t> held_;  // coalesced bytes waiting for the next frame
    double heldSince_ = 0.0;
    std::vector<ScheduledCommand> events_;

    std::mutex postMutex_;
    std::vector<std::string> posted_;
    FaultPlan faults_;
    std::function<void(const std::string&)> log_;
};

}  // namespace devsim
