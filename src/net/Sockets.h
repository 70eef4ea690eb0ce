// The few socket calls the network code needs, the same on Winsock 2 and BSD sockets. Addresses
// and ports are passed in network byte order, exactly as they travel in a sockaddr. None of these
// throws; failure shows as kInvalidSocket, false or -1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Wide enough for a Winsock SOCKET and a POSIX descriptor alike.
using SocketHandle = intptr_t;
constexpr SocketHandle kInvalidSocket = -1;

// Winsock needs starting once per process; the socket calls below do it on first use, so only
// code that calls the system directly needs this. Always true on POSIX.
bool NetStartup();

SocketHandle OpenTcpSocket();
SocketHandle OpenUdpSocket();
void CloseSocket(SocketHandle s);

// Blocking connect; true when connected.
bool ConnectIPv4(SocketHandle s, uint32_t netAddr, uint16_t netPort);
// Connect on a non-blocking socket: 0 connected at once, 1 in progress, -1 failed.
int StartConnectIPv4(SocketHandle s, uint32_t netAddr, uint16_t netPort);
bool SetBlocking(SocketHandle s, bool blocking);
// The error a non-blocking connect ended with (SO_ERROR); 0 when it succeeded, -1 when unreadable.
int PendingSocketError(SocketHandle s);

// Waits for the socket to become readable (or writable); an exceptional condition counts as
// failure. Interrupted waits are resumed. 1 ready, 0 time-out, -1 error.
int WaitReadable(SocketHandle s, int timeoutMs);
int WaitWritable(SocketHandle s, int timeoutMs);

// SO_RCVTIMEO / SO_SNDTIMEO in milliseconds, whatever unit the system wants.
bool SetRecvTimeoutMs(SocketHandle s, int ms);
bool SetSendTimeoutMs(SocketHandle s, int ms);

// One send / recv. -1 on error, recv gives 0 when the peer closed. A send to a closed peer
// never raises a signal.
long SendBytes(SocketHandle s, const void* data, size_t size);
long RecvBytes(SocketHandle s, void* buffer, size_t size);
long SendTo(SocketHandle s, const void* data, size_t size, uint32_t netAddr, uint16_t netPort);
long RecvFrom(SocketHandle s, void* buffer, size_t size, uint32_t& netAddr, uint16_t& netPort);
// Half-closes the sending side, so the peer sees the end of what we send.
bool ShutdownSend(SocketHandle s);

// Server side, for the loopback servers of the tests.
bool BindIPv4(SocketHandle s, uint32_t netAddr, uint16_t netPort);
bool ListenSocket(SocketHandle s, int backlog);
SocketHandle AcceptSocket(SocketHandle s);
// The bound port in network order, 0 when unknown.
uint16_t LocalNetPort(SocketHandle s);

// The machine's own resolver (gethostbyname on Windows, getaddrinfo elsewhere): first IPv4
// address of `host` in network order. Reached only through the seam in net/Dns.h.
bool SystemLookupIPv4(const char* host, uint32_t& netAddr);

uint32_t CurrentProcessId();

inline uint16_t HostToNet16(uint16_t v) {
    const uint8_t bytes[2] = {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
    uint16_t out;
    std::memcpy(&out, bytes, 2);
    return out;
}
inline uint16_t NetToHost16(uint16_t v) {
    uint8_t bytes[2];
    std::memcpy(bytes, &v, 2);
    return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
}
// 127.0.0.1 and friends from four numbers, in network order.
inline uint32_t MakeNetAddr(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    const uint8_t bytes[4] = {a, b, c, d};
    uint32_t out;
    std::memcpy(&out, bytes, 4);
    return out;
}
