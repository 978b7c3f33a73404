#include "HttpFixture.h"

#include "tests/support/LoopbackListener.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kPollMs = 20;

const char* Reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

void SendAll(int fd, const char* data, size_t n)
{
    while (n > 0) {
        const ssize_t sent = send(fd, data, n, MSG_NOSIGNAL);
        if (sent <= 0)
            return;
        data += sent;
        n -= size_t(sent);
    }
}

}  // namespace

HttpFixture::HttpFixture()
{
    listener_ = ListenOnLoopback(port_, 4);
    thread_ = std::thread([this] { Run(); });
}

HttpFixture::~HttpFixture()
{
    stop_ = true;
    thread_.join();
    close(listener_);
}

void HttpFixture::Serve(const std::string& path, Route route)
{
    std::lock_guard lock(mutex_);
    routes_[path] = std::move(route);
}

std::vector<std::string> HttpFixture::Requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

void HttpFixture::Run()
{
    while (!stop_) {
        pollfd p{listener_, POLLIN, 0};
        if (poll(&p, 1, kPollMs) <= 0)
            continue;
        const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        Answer(fd);
        close(fd);
    }
}

void HttpFixture::Answer(int fd)
{
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && !stop_) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, kPollMs) <= 0)
            continue;
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        head.append(buffer, size_t(n));
    }
    const size_t start = head.find(' ') + 1;
    const std::string path = head.substr(start, head.find(' ', start) - start);
    Route route;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(head);
        const auto it = routes_.find(path);
        route = it != routes_.end() ? it->second : Route{404, "no such file", -1, false};
    }
    const std::string response = "HTTP/1.1 " + std::to_string(route.status) + " " + Reason(route.status)
        + "\r\nContent-Type: application/octet-stream\r\nContent-Length: " + std::to_string(route.body.size())
        + "\r\nConnection: close\r\n\r\n";
    SendAll(fd, response.data(), response.size());
    const size_t sent = route.cutAfter < 0 ? route.body.size() : std::min(route.body.size(), size_t(route.cutAfter));
    SendAll(fd, route.body.data(), sent);
    if (!route.stall)
        return;
    // Hold the connection, sending nothing, until the client hangs up.
    while (!stop_) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, kPollMs) > 0 && recv(fd, buffer, sizeof buffer, 0) <= 0)
            return;
    }
}
