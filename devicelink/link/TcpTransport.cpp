#include "devicelink/link/TcpTransport.h"

#include "platform/CLocale.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstdlib>

namespace devicelink {

namespace {

constexpr size_t kMaxReceive = 0x20000;

}  // namespace

TcpTransport::~TcpTransport()
{
    Close();
}

std::unique_ptr<TcpTransport> TcpTransport::Connect(const std::string& host, uint16_t port)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || !found)
        return nullptr;
    int fd = kNoSocket;
    for (addrinfo* a = found; a; a = a->ai_next) {
        fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            continue;
        if (connect(fd, a->ai_addr, a->ai_addrlen) == 0)
            break;
        close(fd);
        fd = kNoSocket;
    }
    freeaddrinfo(found);
    if (fd < 0)
        return nullptr;
    const int on = 1;
    (void)setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return std::unique_ptr<TcpTransport>(new TcpTransport(fd));
}

std::unique_ptr<TcpTransport> TcpTransport::ConnectConfigured()
{
    std::string host = kDefaultDeviceHost;
    uint16_t port = kDefaultDevicePort;
    if (const char* h = std::getenv("CORVIK_DEVICE_HOST"); h && *h)
        host = h;
    if (const char* p = std::getenv("CORVIK_DEVICE_PORT"); p && *p) {
        int64_t value = 0;
        if (platform::ParseInt(p, value) && value > 0 && value < 65536)
            port = uint16_t(value);
    }
    return Connect(host, port);
}

int TcpTransport::Read(std::span<uint8_t> buffer)
{
    const int fd = fd_.load();
    if (fd < 0)
        return kReadLinkError;
    const size_t want = std::min(buffer.size(), kMaxReceive);
    for (;;) {
        const ssize_t n = recv(fd, buffer.data(), want, 0);
        if (n > 0)
            receivedAny_.store(true);
        if ((n == 0 || (n < 0 && errno == ECONNRESET)) && !receivedAny_.load())
            turnedAway_.store(true);
        if (n >= 0)
            return int(n);
        if (errno != EINTR)
            return kReadLinkError;
    }
}

WriteStatus TcpTransport::Write(std::span<const uint8_t> data, size_t& written)
{
    written = 0;
    const int fd = fd_.load();
    if (fd < 0)
        return WriteStatus::Failed;
    while (written < data.size()) {
        const ssize_t n = send(fd, data.data() + written, data.size() - written, MSG_NOSIGNAL);
        if (n > 0) {
            written += size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EPIPE || errno == ECONNRESET || errno == ENOTCONN))
            return WriteStatus::LinkLost;
        return WriteStatus::Failed;
    }
    return WriteStatus::Ok;
}

void TcpTransport::Wake()
{
    const int fd = fd_.load();
    if (fd >= 0)
        (void)shutdown(fd, SHUT_RDWR);
}

void TcpTransport::Close()
{
    const int fd = fd_.exchange(kNoSocket);
    if (fd >= 0)
        close(fd);
}

}  // namespace devicelink
