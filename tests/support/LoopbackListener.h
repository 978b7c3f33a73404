#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>

// A listening TCP socket on 127.0.0.1 with an ephemeral port, for the tests' stand-in peers.
// Returns the socket (or -1) and the port it got.
inline int ListenOnLoopback(uint16_t& port, int backlog = 1)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    (void)bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    (void)listen(fd, backlog);
    socklen_t len = sizeof addr;
    (void)getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
    return fd;
}
