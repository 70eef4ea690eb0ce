#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

#include "net/Sockets.h"

namespace {

SOCKET Sock(SocketHandle s) {
    return static_cast<SOCKET>(s);
}

SocketHandle Handle(SOCKET s) {
    return s == INVALID_SOCKET ? kInvalidSocket : static_cast<SocketHandle>(s);
}

sockaddr_in MakeAddr(uint32_t netAddr, uint16_t netPort) {
    sockaddr_in sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = netAddr;
    sa.sin_port = netPort;
    return sa;
}

// A failed connect on Winsock shows in the exception set, not the write set, so both are asked.
int WaitFor(SocketHandle s, bool forWrite, int timeoutMs) {
    fd_set main;
    fd_set except;
    FD_ZERO(&main);
    FD_ZERO(&except);
    FD_SET(Sock(s), &main);
    FD_SET(Sock(s), &except);
    timeval tv;
    tv.tv_sec = timeoutMs / 1000;
    tv.tv_usec = (timeoutMs % 1000) * 1000;
    const int r = select(0, forWrite ? nullptr : &main, forWrite ? &main : nullptr, &except,
                         timeoutMs < 0 ? nullptr : &tv);
    if (r == SOCKET_ERROR) return -1;
    if (r == 0) return 0;
    if (FD_ISSET(Sock(s), &except)) return -1;
    return 1;
}

bool SetTimeoutOption(SocketHandle s, int option, int ms) {
    if (ms < 0) ms = 0;  // not set: the system default, which is no time-out
    const DWORD value = static_cast<DWORD>(ms);
    return setsockopt(Sock(s), SOL_SOCKET, option, reinterpret_cast<const char*>(&value), sizeof value) == 0;
}

}  // namespace

bool NetStartup() {
    // Winsock counts startups; one for the whole process, never cleaned up before exit.
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

SocketHandle OpenTcpSocket() {
    NetStartup();
    return Handle(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
}

SocketHandle OpenUdpSocket() {
    NetStartup();
    return Handle(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
}

void CloseSocket(SocketHandle s) {
    if (s != kInvalidSocket) closesocket(Sock(s));
}

bool ConnectIPv4(SocketHandle s, uint32_t netAddr, uint16_t netPort) {
    const sockaddr_in sa = MakeAddr(netAddr, netPort);
    return connect(Sock(s), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0;
}

int StartConnectIPv4(SocketHandle s, uint32_t netAddr, uint16_t netPort) {
    const sockaddr_in sa = MakeAddr(netAddr, netPort);
    if (connect(Sock(s), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0) return 0;
    return WSAGetLastError() == WSAEWOULDBLOCK ? 1 : -1;
}

bool SetBlocking(SocketHandle s, bool blocking) {
    u_long mode = blocking ? 0 : 1;
    return ioctlsocket(Sock(s), FIONBIO, &mode) == 0;
}

int PendingSocketError(SocketHandle s) {
    int error = 0;
    int len = sizeof error;
    if (getsockopt(Sock(s), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &len) != 0) return -1;
    return error;
}

int WaitReadable(SocketHandle s, int timeoutMs) {
    return WaitFor(s, false, timeoutMs);
}
int WaitWritable(SocketHandle s, int timeoutMs) {
    return WaitFor(s, true, timeoutMs);
}

bool SetRecvTimeoutMs(SocketHandle s, int ms) {
    return SetTimeoutOption(s, SO_RCVTIMEO, ms);
}
bool SetSendTimeoutMs(SocketHandle s, int ms) {
    return SetTimeoutOption(s, SO_SNDTIMEO, ms);
}

long SendBytes(SocketHandle s, const void* data, size_t size) {
    const int n = send(Sock(s), static_cast<const char*>(data), static_cast<int>(size), 0);
    return n == SOCKET_ERROR ? -1 : n;
}

long RecvBytes(SocketHandle s, void* buffer, size_t size) {
    const int n = recv(Sock(s), static_cast<char*>(buffer), static_cast<int>(size), 0);
    return n == SOCKET_ERROR ? -1 : n;
}

long SendTo(SocketHandle s, const void* data, size_t size, uint32_t netAddr, uint16_t netPort) {
    const sockaddr_in sa = MakeAddr(netAddr, netPort);
    const int n = sendto(Sock(s), static_cast<const char*>(data), static_cast<int>(size), 0,
                         reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
    return n == SOCKET_ERROR ? -1 : n;
}

long RecvFrom(SocketHandle s, void* buffer, size_t size, uint32_t& netAddr, uint16_t& netPort) {
    sockaddr_in sa;
    std::memset(&sa, 0, sizeof sa);
    int len = sizeof sa;
    const int n = recvfrom(Sock(s), static_cast<char*>(buffer), static_cast<int>(size), 0,
                           reinterpret_cast<sockaddr*>(&sa), &len);
    netAddr = sa.sin_family == AF_INET ? sa.sin_addr.s_addr : 0;
    netPort = sa.sin_family == AF_INET ? sa.sin_port : 0;
    return n == SOCKET_ERROR ? -1 : n;
}

bool ShutdownSend(SocketHandle s) {
    return shutdown(Sock(s), SD_SEND) == 0;
}

bool BindIPv4(SocketHandle s, uint32_t netAddr, uint16_t netPort) {
    const sockaddr_in sa = MakeAddr(netAddr, netPort);
    return bind(Sock(s), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0;
}

bool ListenSocket(SocketHandle s, int backlog) {
    return listen(Sock(s), backlog) == 0;
}

SocketHandle AcceptSocket(SocketHandle s) {
    return Handle(accept(Sock(s), nullptr, nullptr));
}

uint16_t LocalNetPort(SocketHandle s) {
    sockaddr_in sa;
    std::memset(&sa, 0, sizeof sa);
    int len = sizeof sa;
    if (getsockname(Sock(s), reinterpret_cast<sockaddr*>(&sa), &len) != 0) return 0;
    return sa.sin_port;
}

bool SystemLookupIPv4(const char* host, uint32_t& netAddr) {
    NetStartup();
    // gethostbyname keeps its result per thread on Windows, so concurrent workers are safe.
    const hostent* entry = gethostbyname(host);
    if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_addr_list == nullptr ||
        entry->h_addr_list[0] == nullptr)
        return false;
    std::memcpy(&netAddr, entry->h_addr_list[0], 4);
    return true;
}

uint32_t CurrentProcessId() {
    return GetCurrentProcessId();
}
