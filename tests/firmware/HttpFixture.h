#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A scripted HTTP server for the download tests: one POSIX thread on 127.0.0.1 with an ephemeral
// port, one request per connection. Each path answers with its status and body; it may close
// after part of the body (the length header still promising all of it) or stall mid-body until
// the client gives up. Unknown paths get 404.
class HttpFixture {
public:
    struct Route {
        int status = 200;
        std::string body;
        // Body bytes sent before the connection is closed (or held open, with stall); all when
        // negative.
        long cutAfter = -1;
        bool stall = false;
    };

    HttpFixture();
    ~HttpFixture();
    HttpFixture(const HttpFixture&) = delete;
    HttpFixture& operator=(const HttpFixture&) = delete;

    void Serve(const std::string& path, Route route);
    uint16_t Port() const { return port_; }
    // "127.0.0.1:port", as CORVIK_FIRMWARE_SERVER takes it.
    std::string Server() const { return "127.0.0.1:" + std::to_string(port_); }
    // The request heads received so far, in order.
    std::vector<std::string> Requests() const;

private:
    void Run();
    void Answer(int fd);

    int listener_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::map<std::string, Route> routes_;
    std::vector<std::string> requests_;
    std::thread thread_;
};
