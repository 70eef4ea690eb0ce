// A TCP server on 127.0.0.1 at an ephemeral port, one thread per connection. It stops by itself
// when its lifetime ends and at the latest when destroyed; every wait inside is bounded.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/Sockets.h"

class CLoopbackTcpServer {
public:
    CLoopbackTcpServer(const CLoopbackTcpServer&) = delete;
    CLoopbackTcpServer& operator=(const CLoopbackTcpServer&) = delete;
    virtual ~CLoopbackTcpServer();

    // Host order; 0 when the server could not bind.
    uint16_t Port() const { return m_port; }
    size_t ConnectionCount() const { return m_connections.load(); }

protected:
    explicit CLoopbackTcpServer(int lifetimeMs);
    // Starts accepting; the derived class calls it once it is fully built.
    void Start();
    // Stops accepting and joins every connection; a derived destructor calls it first.
    void Stop();
    // Runs on the connection's own thread; the socket is closed afterwards.
    virtual void Serve(SocketHandle client) = 0;

    bool Stopping() const;
    // The request head up to its blank line (at most 64 KiB), empty when the peer sent none in
    // time.
    std::string ReadHead(SocketHandle s) const;
    // The whole text; false when the peer went away.
    static bool SendText(SocketHandle s, const std::string& text);

private:
    void AcceptLoop();

    SocketHandle m_listener = kInvalidSocket;
    uint16_t m_port = 0;
    uint32_t m_deadline;
    std::atomic<bool> m_stop{false};
    std::atomic<size_t> m_connections{0};
    std::thread m_acceptThread;
    std::mutex m_threadsLock;
    std::vector<std::thread> m_threads;
};
