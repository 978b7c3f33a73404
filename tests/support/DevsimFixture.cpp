#include "tests/support/DevsimFixture.h"

#include "tools/devsim/FaultPlan.h"
#include "tools/devsim/SensorModels.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace devsim::testing {

InProcessDevsim::InProcessDevsim(DeviceOptions options)
    : device_(std::make_unique<SimDevice>(std::move(options)))
{
    ServerOptions serverOptions;
    serverOptions.port = 0;
    server_ = std::make_unique<SimServer>(*device_, serverOptions);
}

InProcessDevsim::~InProcessDevsim()
{
    Stop();
}

bool InProcessDevsim::Start(std::string& error)
{
    // Listening happens before the thread starts, so a connect right after Start() succeeds.
    if (!server_->Listen(error))
        return false;
    if (!thread_.Start([this](const std::atomic<bool>&) { server_->Run(); })) {
        error = "cannot start the server thread";
        return false;
    }
    return true;
}

void InProcessDevsim::Stop()
{
    server_->Quit();
    thread_.Join();
}

bool InProcessDevsim::Plug(int channel, const std::string& spec)
{
    SensorSpec parsed;
    std::string error;
    return ParseSensorSpec(spec, parsed, error) && device_->Plug(channel, parsed, error);
}

std::unique_ptr<InProcessDevsim> ScenarioDevsim(const std::string& scenario, std::string& error, Scenario* loaded)
{
    Scenario s;
    if (!scenario.empty() &&
        !LoadScenario(std::string(CORVIK_TEST_SOURCE_DIR) + "/resources/devsim/" + scenario, s, error))
        return nullptr;
    auto sim = std::make_unique<InProcessDevsim>(s.device);
    for (int c = 0; c < devicelink::kChannelCount; ++c) {
        if (s.channels[c] && !sim->Device().Plug(c, *s.channels[c], error))
            return nullptr;
    }
    if (loaded)
        *loaded = std::move(s);
    return sim;
}

bool InProcessDevsim::AddFault(const std::string& text)
{
    Fault fault;
    std::string error;
    if (!ParseFault(text, fault, error))
        return false;
    server_->AddFault(fault);
    return true;
}

DevsimProcess::~DevsimProcess()
{
    Stop();
}

bool DevsimProcess::Start(const std::string& program, const std::vector<std::string>& args, std::string& error,
                          int timeoutMs)
{
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    std::vector<std::string> argv{program, "--port", "0"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> raw;
    for (auto& a : argv)
        raw.push_back(a.data());
    raw.push_back(nullptr);

    pid_ = ::fork();
    if (pid_ < 0) {
        error = std::string("fork: ") + std::strerror(errno);
        return false;
    }
    if (pid_ == 0) {
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::execv(program.c_str(), raw.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    stdin_ = in[1];
    stdout_ = out[0];

    // The first line says where it listens.
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (line.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{stdout_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, int(left.count())) <= 0) {
            error = "the simulator did not report its port";
            Stop();
            return false;
        }
        char buffer[256];
        const ssize_t n = ::read(stdout_, buffer, sizeof buffer);
        if (n <= 0) {
            error = "the simulator ended before it listened";
            Stop();
            return false;
        }
        line.append(buffer, size_t(n));
    }
    const size_t colon = line.rfind(':', line.find('\n'));
    port_ = colon == std::string::npos ? 0 : uint16_t(std::atoi(line.c_str() + colon + 1));
    if (port_ == 0) {
        error = "unexpected first line: " + line;
        Stop();
        return false;
    }
    return true;
}

bool DevsimProcess::Send(const std::string& line)
{
    if (stdin_ < 0)
        return false;
    const std::string text = line + "\n";
    return ::write(stdin_, text.data(), text.size()) == ssize_t(text.size());
}

int DevsimProcess::Stop()
{
    if (pid_ <= 0)
        return -1;
    Send("quit");
    int status = 0;
    pid_t done = 0;
    for (int i = 0; i < 300 && done == 0; ++i) {
        done = ::waitpid(pid_, &status, WNOHANG);
        if (done == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (i == 200)
            ::kill(pid_, SIGTERM);
    }
    int result = -1;
    if (done == 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
    } else if (done == pid_ && WIFEXITED(status)) {
        result = WEXITSTATUS(status);
    }
    pid_ = -1;
    if (stdin_ >= 0)
        ::close(stdin_);
    if (stdout_ >= 0)
        ::close(stdout_);
    stdin_ = stdout_ = -1;
    return result;
}

}  // namespace devsim::testing
