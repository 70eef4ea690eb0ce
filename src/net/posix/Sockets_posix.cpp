#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstring>

#include "net/Sockets.h"
#include "platform/Timer.h"

namespace {

int Fd(SocketHandle s) {
    return static_cast<int>(s);
}

sockaddr_in MakeAddr(uint32_t netAddr, uint16_t netPort) {
    sockaddr_in sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = netAddr;
    sa.sin_port = netPort;
    return sa;
}

// poll rather than select: descriptors above FD_SETSIZE must not corrupt the stack.
int WaitFor(SocketHandle s, short events, int timeoutMs) {
    const uint32_t start = GetTickMs();
    for (;;) {
        pollfd p;
        p.fd = Fd(s);
        p.events = events;
        p.revents = 0;
        const uint32_t elapsed = GetTickMs() - start;
        const int left =
            timeoutMs < 0
                ? -1
                : (elapsed >= static_cast<uint32_t>(timeoutMs) ? 0 : timeoutMs - static_cast<int>(elapsed));
        const int r = poll(&p, 1, left);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return -1;
        if (r == 0) return 0;
        if (p.revents & (POLLERR | POLLNVAL)) return -1;
        if (events == POLLOUT && (p.revents & POLLHUP)) return -1;
        return 1;
    }
}

bool SetTimeoutOption(SocketHandle s, int option, int ms) {
    if (ms < 0) ms = 0;  // not set: the system default, which is no time-out
    timeval tv;
    tv.tv_sec = ms / 1000;
    tv.tv_usec = (ms % 1000) * 1000;
    return setsockopt(Fd(s), SOL_SOCKET, option, &tv, sizeof tv) == 0;
}

}  // namespace

bool NetStartup() {
    return true;
}

SocketHandle OpenTcpSocket() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    return fd < 0 ? kInvalidSocket : fd;
}

SocketHandle OpenUdpSocket() {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    return fd < 0 ? kInvalidSocket : fd;
}

void CloseSocket(SocketHandle s) {
    if (s != kInvalidSocket) close(Fd(s));
}

bool ConnectIPv4(SocketHandle s, uint32_t netAddr, uint16_t netPort) {
    const sockaddr_in sa = MakeAddr(netAddr, netPort);
    if (connect(Fd(s), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0) return true;
    if (errno != EINTR) return false;
    // An interrupted connect goes on in the background; wait for its outcome.
    return WaitWritable(s, -1) == 1 && PendingSocketError(s) == 0;
}

int StartConnectIPv4(SocketHandle s, uint32_t netAddr, uint16_t netPort) {
    const sockaddr_in sa = MakeAddr(netAddr, netPort);
    if (connect(Fd(s), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0) return 0;
    return (errno == EINPROGRESS || errno == EINTR) ? 1 : -1;
}

bool SetBlocking(SocketHandle s, bool blocking) {
    const int flags = fcntl(Fd(s), F_GETFL, 0);
    if (flags < 0) return false;
    const int wanted = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
    return fcntl(Fd(s), F_SETFL, wanted) == 0;
}

int PendingSocketError(SocketHandle s) {
    int error = 0;
    socklen_t len = sizeof error;
    if (getsockopt(Fd(s), SOL_SOCKET, SO_ERROR, &error, &len) != 0) return -1;
    return error;
}

int WaitReadable(SocketHandle s, int timeoutMs) {
    return WaitFor(s, POLLIN, timeoutMs);
}
int WaitWritable(SocketHandle s, int timeoutMs) {
    return WaitFor(s, POLLOUT, timeoutMs);
}

bool SetRecvTimeoutMs(SocketHandle s, int ms) {
    return SetTimeoutOption(s, SO_RCVTIMEO, ms);
}
bool SetSendTimeoutMs(SocketHandle s, int ms) {
    return SetTimeoutOption(s, SO_SNDTIMEO, ms);
}

long SendBytes(SocketHandle s, const void* data, size_t size) {
    for (;;) {
        const ssize_t n = send(Fd(s), data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        return static_cast<long>(n);
    }
}

long RecvBytes(SocketHandle s, void* buffer, size_t size) {
    for (;;) {
        const ssize_t n = recv(Fd(s), buffer, size, 0);
        if (n < 0 && errno == EINTR) continue;
        return static_cast<long>(n);
    }
}

long SendTo(SocketHandle s, const void* data, size_t size, uint32_t netAddr, uint16_t netPort) {
    const sockaddr_in sa = MakeAddr(netAddr, netPort);
    return static_cast<long>(
        sendto(Fd(s), data, size, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&sa), sizeof sa));
}

long RecvFrom(SocketHandle s, void* buffer, size_t size, uint32_t& netAddr, uint16_t& netPort) {
    sockaddr_in sa;
    std::memset(&sa, 0, sizeof sa);
    socklen_t len = sizeof sa;
    const ssize_t n = recvfrom(Fd(s), buffer, size, 0, reinterpret_cast<sockaddr*>(&sa), &len);
    netAddr = sa.sin_family == AF_INET ? sa.sin_addr.s_addr : 0;
    netPort = sa.sin_family == AF_INET ? sa.sin_port : 0;
    return static_cast<long>(n);
}

bool ShutdownSend(SocketHandle s) {
    return shutdown(Fd(s), SHUT_WR) == 0;
}

bool BindIPv4(SocketHandle s, uint32_t netAddr, uint16_t netPort) {
    const int on = 1;
    setsockopt(Fd(s), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in sa = MakeAddr(netAddr, netPort);
    return bind(Fd(s), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0;
}

bool ListenSocket(SocketHandle s, int backlog) {
    return listen(Fd(s), backlog) == 0;
}

SocketHandle AcceptSocket(SocketHandle s) {
    for (;;) {
        const int fd = accept4(Fd(s), nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0 && errno == EINTR) continue;
        return fd < 0 ? kInvalidSocket : fd;
    }
}

uint16_t LocalNetPort(SocketHandle s) {
    sockaddr_in sa;
    std::memset(&sa, 0, sizeof sa);
    socklen_t len = sizeof sa;
    if (getsockname(Fd(s), reinterpret_cast<sockaddr*>(&sa), &len) != 0) return 0;
    return sa.sin_port;
}

bool SystemLookupIPv4(const char* host, uint32_t& netAddr) {
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &list) != 0 || list == nullptr) return false;
    bool found = false;
    for (addrinfo* p = list; p != nullptr && !found; p = p->ai_next) {
        if (p->ai_family == AF_INET && p->ai_addr != nullptr) {
            netAddr = reinterpret_cast<const sockaddr_in*>(p->ai_addr)->sin_addr.s_addr;
            found = true;
        }
    }
    freeaddrinfo(list);
    return found;
}

uint32_t CurrentProcessId() {
    return static_cast<uint32_t>(getpid());
}
