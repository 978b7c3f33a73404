#include "tools/devsim/SimServer.h"

#include "tools/devsim/SensorModels.h"
#include "tools/devsim/TextWords.h"

#include "devicelink/protocol/CommandFrame.h"
#include "platform/LittleEndian.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace devsim {

namespace {

namespace code = devicelink::code;

// A delayed reply by default arrives after the longest wait the host has for any command.
constexpr int kDefaultDelayMs = 3500;
constexpr int kDefaultSplitMs = 50;
constexpr int kDefaultGarbageBytes = 8;
constexpr double kCoalesceLimit = 2.0;  // seconds a held frame waits for company

}  // namespace

SimServer::SimServer(SimDevice& device, ServerOptions options)
    : device_(device), options_(options), start_(std::chrono::steady_clock::now())
{
    int fds[2];
    if (::pipe(fds) == 0) {
        wakeRead_ = fds[0];
        wakeWrite_ = fds[1];
        ::fcntl(wakeRead_, F_SETFL, O_NONBLOCK);
        ::fcntl(wakeWrite_, F_SETFL, O_NONBLOCK);
    }
}

SimServer::~SimServer()
{
    if (connFd_ >= 0)
        ::close(connFd_);
    if (listenFd_ >= 0)
        ::close(listenFd_);
    if (wakeRead_ >= 0)
        ::close(wakeRead_);
    if (wakeWrite_ >= 0)
        ::close(wakeWrite_);
}

const char* SimServer::ControlHelp()
{
    return "  plug <channel 0-3> <model> [option=value ...] [<signal> [parameter=value ...]]\n"
           "  pull <channel 0-3>\n"
           "  replug <channel 0-3>       plug the sensor last pulled from it in again\n"
           "  signal <channel 0-3> <signal> [parameter=value ...]\n"
           "                             the plugged sensor measures this from now on\n"
           "  disconnect                 close the connection to the host (a cable pulled)\n"
           "  hello                      send a device hello\n"
           "  stop                       stop what runs and ask the host to stop\n"
           "  fault <code> <action> [argument] [times N|always]\n"
           "                             actions: drop, delay [ms], badchecksum, split [ms],\n"
           "                             coalesce, garbage [bytes], disconnect\n"
           "  delivery <block|sets|bulk|channel>\n"
           "  read-reply <narrow|wide>\n"
           "  status                     channels, status word, connection\n"
           "  quit\n";
}

void SimServer::SetLogger(std::function<void(const std::string&)> log)
{
    log_ = std::move(log);
}

void SimServer::Log(const std::string& line)
{
    if (log_)
        log_(line);
}

double SimServer::Now() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

bool SimServer::Listen(std::string& error)
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    const int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(options_.port);
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0
        || ::listen(listenFd_, 4) != 0) {
        error = "cannot listen on 127.0.0.1:" + std::to_string(options_.port) + ": " + std::strerror(errno);
        ::close(listenFd_);
        listenFd_ = -1;
        return false;
    }
    socklen_t len = sizeof addr;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    return true;
}

void SimServer::Wake()
{
    if (wakeWrite_ >= 0) {
        const char b = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &b, 1);
    }
}

void SimServer::Quit()
{
    quit_ = true;
    Wake();
}

void SimServer::Post(std::string command)
{
    {
        std::lock_guard lock(postMutex_);
        posted_.push_back(std::move(command));
    }
    Wake();
}

void SimServer::AddFault(const Fault& fault)
{
    std::lock_guard lock(postMutex_);
    faults_.Add(fault);
}

void SimServer::Schedule(std::vector<ScheduledCommand> events)
{
    std::stable_sort(events.begin(), events.end(),
                     [](const ScheduledCommand& a, const ScheduledCommand& b) { return a.at < b.at; });
    std::lock_guard lock(postMutex_);
    events_ = std::move(events);
}

void SimServer::Accept()
{
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    connFd_ = fd;
    parser_.Clear();
    pending_.clear();
    held_.clear();
    device_.ResetLink();
    ++connections_;
    connected_ = true;
    if (options_.verbose)
        Log("connection " + std::to_string(connections_.load()) + " opened");
}

void SimServer::TurnAway()
{
    // A host that just closed its connection has made room: its end is read before the newcomer
    // is judged, so that a quick reconnect is served and not turned away.
    while (connFd_ >= 0) {
        pollfd p{connFd_, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0 || !(p.revents & (POLLIN | POLLHUP | POLLERR)))
            break;
        ReadConnection();
    }
    if (connFd_ < 0) {
        Accept();
        return;
    }
    // One host at a time, as on USB: the newcomer's connection is closed before it hears anything.
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    ++turnedAway_;
    ::close(fd);
    if (options_.verbose)
        Log("another host turned away: the logger is in use");
}

void SimServer::CloseConnection(const char* why)
{
    if (connFd_ < 0)
        return;
    ::close(connFd_);
    connFd_ = -1;
    connected_ = false;
    pending_.clear();
    held_.clear();
    device_.ResetLink();
    if (options_.verbose)
        Log(std::string("connection closed: ") + why);
}

void SimServer::ReadConnection()
{
    uint8_t buffer[65536];
    const ssize_t n = ::recv(connFd_, buffer, sizeof buffer, 0);
    if (n <= 0) {
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return;
        CloseConnection(n == 0 ? "by the host" : "read error");
        return;
    }
    std::vector<OutFrame> out;
    const double now = Now();
    parser_.Feed(std::span(buffer, size_t(n)), [&](const HostFrame& frame) {
        device_.HandleCommand(frame.code, frame.payload, now, out);
    });
    Emit(out);
}

void SimServer::SendNow(std::vector<uint8_t> bytes)
{
    if (connFd_ < 0)
        return;
    if (!held_.empty()) {
        held_.insert(held_.end(), bytes.begin(), bytes.end());
        bytes.swap(held_);
        held_.clear();
    }
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(connFd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            CloseConnection("write error");
            return;
        }
        sent += size_t(n);
    }
}

void SimServer::Emit(std::vector<OutFrame>& frames)
{
    for (OutFrame& frame : frames) {
        if (connFd_ < 0)
            return;
        std::optional<Fault> fault;
        {
            std::lock_guard lock(postMutex_);
            fault = faults_.Take(frame.trigger);
        }
        if (!fault) {
            SendNow(std::move(frame.bytes));
            continue;
        }
        if (options_.verbose)
            Log(std::string("fault ") + FaultActionName(fault->action) + " on a reply to "
                + std::to_string(frame.trigger));
        const double now = Now();
        auto& bytes = frame.bytes;
        switch (fault->action) {
        case FaultAction::Drop:
            break;
        case FaultAction::Delay:
            pending_.push_back({now + (fault->argument < 0 ? kDefaultDelayMs : fault->argument) / 1000.0,
                                std::move(bytes)});
            break;
        case FaultAction::BadChecksum: {
            const size_t at = bytes.size() - 8;
            platform::WriteLE32(bytes, at, platform::ReadLE32(bytes, at) + 1);
            SendNow(std::move(bytes));
            break;
        }
        case FaultAction::Split: {
            const size_t half = bytes.size() / 2;
            std::vector<uint8_t> rest(bytes.begin() + std::ptrdiff_t(half), bytes.end());
            bytes.resize(half);
            SendNow(std::move(bytes));
            pending_.push_back({now + (fault->argument < 0 ? kDefaultSplitMs : fault->argument) / 1000.0,
                                std::move(rest)});
            break;
        }
        case FaultAction::Coalesce:
            if (held_.empty())
                heldSince_ = now;
            held_.insert(held_.end(), bytes.begin(), bytes.end());
            break;
        case FaultAction::Garbage: {
            std::vector<uint8_t> noisy(size_t(fault->argument < 0 ? kDefaultGarbageBytes : fault->argument), 0x5A);
            noisy.insert(noisy.end(), bytes.begin(), bytes.end());
            SendNow(std::move(noisy));
            break;
        }
        case FaultAction::Disconnect:
            CloseConnection("fault");
            return;
        }
    }
}

void SimServer::FlushPending()
{
    const double now = Now();
    // Delayed pieces go out in the order they were queued once due.
    while (!pending_.empty() && pending_.front().due <= now) {
        std::vector<uint8_t> bytes = std::move(pending_.front().bytes);
        pending_.pop_front();
        SendNow(std::move(bytes));
    }
    if (!held_.empty() && now - heldSince_ >= kCoalesceLimit) {
        std::vector<uint8_t> bytes;
        bytes.swap(held_);
        SendNow(std::move(bytes));
    }
}

void SimServer::ReadInput()
{
    char buffer[1024];
    const ssize_t n = ::read(inputFd_, buffer, sizeof buffer);
    if (n <= 0) {
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return;
        inputFd_ = -1;
        return;
    }
    inputLine_.append(buffer, size_t(n));
    size_t eol;
    while ((eol = inputLine_.find('\n')) != std::string::npos) {
        const std::string line = inputLine_.substr(0, eol);
        inputLine_.erase(0, eol + 1);
        Execute(line);
    }
    if (inputLine_.size() > 4096)
        inputLine_.clear();
}

void SimServer::RunPosted()
{
    std::vector<std::string> commands;
    {
        std::lock_guard lock(postMutex_);
        commands.swap(posted_);
    }
    for (const std::string& c : commands)
        Execute(c);
}

void SimServer::RunDueEvents()
{
    const double now = Now();
    while (true) {
        std::string command;
        {
            std::lock_guard lock(postMutex_);
            if (events_.empty() || events_.front().at > now)
                return;
            command = events_.front().command;
            events_.erase(events_.begin());
        }
        Execute(command);
    }
}

void SimServer::Execute(const std::string& command)
{
    const std::vector<std::string> w = SplitWords(command);
    if (w.empty())
        return;
    const std::string& verb = w[0];
    uint64_t channel = 0;
    std::string error;
    std::vector<OutFrame> out;
    if (verb == "quit") {
        quit_ = true;
    } else if (verb == "plug" && w.size() >= 3 && ParseUnsigned(w[1], channel)) {
        SensorSpec spec;
        const size_t at = command.find(w[2], command.find(w[1]) + w[1].size());
        if (!ParseSensorSpec(command.substr(at), spec, error) || !device_.Plug(int(channel), spec, error))
            Log("plug: " + error);
    } else if (verb == "pull" && w.size() == 2 && ParseUnsigned(w[1], channel)) {
        if (!device_.Pull(int(channel)))
            Log("pull: channel must be 0..3");
    } else if (verb == "replug" && w.size() == 2 && ParseUnsigned(w[1], channel)) {
        if (!device_.Replug(int(channel)))
            Log("replug: no sensor was pulled from that channel");
    } else if (verb == "signal" && w.size() >= 3 && ParseUnsigned(w[1], channel)) {
        SignalSpec signal;
        const size_t at = command.find(w[2], command.find(w[1]) + w[1].size());
        if (!ParseSignal(command.substr(at), signal, error))
            Log("signal: " + error);
        else if (!device_.SetSignal(int(channel), signal))
            Log("signal: no sensor on that channel");
    } else if (verb == "disconnect" && w.size() == 1) {
        CloseConnection("by the console");
    } else if (verb == "hello" && w.size() == 1) {
        device_.SendHello(out);
    } else if (verb == "stop" && w.size() == 1) {
        device_.RequestStop(out);
    } else if (verb == "fault" && w.size() >= 3) {
        Fault fault;
        if (ParseFault(command.substr(command.find(w[1])), fault, error))
            AddFault(fault);
        else
            Log("fault: " + error);
    } else if (verb == "delivery" && w.size() == 2) {
        Delivery d;
        if (ParseDelivery(w[1], d))
            device_.SetDelivery(d);
        else
            Log("delivery: block, sets, bulk or channel");
    } else if (verb == "read-reply" && w.size() == 2 && (w[1] == "narrow" || w[1] == "wide")) {
        device_.SetWideReadReply(w[1] == "wide");
    } else if (verb == "status" && w.size() == 1) {
        std::string text = "status word 0x";
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08X", device_.StatusWord());
        text += hex;
        for (int c = 0; c < devicelink::kChannelCount; ++c) {
            const std::string model = device_.SensorModel(c);
            text += ", channel " + std::to_string(c) + ": " + (model.empty() ? "empty" : model);
        }
        text += connected_ ? ", host connected" : ", no host";
        Log(text);
    } else {
        Log("unknown command '" + command + "'; commands:\n" + ControlHelp());
    }
    Emit(out);
}

void SimServer::Run()
{
    if (options_.verbose)
        Log("listening on 127.0.0.1:" + std::to_string(Port()));
    while (!quit_) {
        RunPosted();
        RunDueEvents();
        if (connFd_ >= 0) {
            std::vector<OutFrame> out;
            device_.Advance(Now(), out);
            Emit(out);
            FlushPending();
        }
        if (quit_)
            break;

        pollfd fds[4];
        nfds_t count = 0;
        fds[count++] = {wakeRead_, POLLIN, 0};
        const bool listening = connFd_ < 0 && listenFd_ >= 0;
        fds[count++] = {listening ? listenFd_ : connFd_, POLLIN, 0};
        const bool watching = inputFd_ >= 0;
        const nfds_t inputAt = count;
        if (watching)
            fds[count++] = {inputFd_, POLLIN, 0};
        // While a host is served, a second one is heard only to be turned away.
        const bool guarding = !listening && listenFd_ >= 0;
        const nfds_t guardAt = count;
        if (guarding)
            fds[count++] = {listenFd_, POLLIN, 0};
        int timeoutMs = -1;
        double due = std::numeric_limits<double>::infinity();
        {
            std::lock_guard lock(postMutex_);
            if (!events_.empty())
                due = events_.front().at;
        }
        if (connFd_ >= 0) {
            due = std::min(due, device_.NextDue());
            if (!pending_.empty())
                due = std::min(due, pending_.front().due);
            if (!held_.empty())
                due = std::min(due, heldSince_ + kCoalesceLimit);
        }
        if (std::isfinite(due))
            timeoutMs = int(std::clamp(std::ceil((due - Now()) * 1000.0), 0.0, 60000.0));
        const int ready = ::poll(fds, count, timeoutMs);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;
        if (fds[0].revents & POLLIN) {
            char drain[64];
            while (::read(wakeRead_, drain, sizeof drain) > 0) {
            }
        }
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            if (listening)
                Accept();
            else
                ReadConnection();
        }
        if (watching && (fds[inputAt].revents & (POLLIN | POLLHUP | POLLERR)))
            ReadInput();
        if (guarding && (fds[guardAt].revents & POLLIN))
            TurnAway();
    }
    CloseConnection("simulator stopping");
}

}  // namespace devsim
