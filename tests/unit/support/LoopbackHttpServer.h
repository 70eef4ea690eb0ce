// A scripted HTTP server: records every raw request head and answers each with what the handler
// returns, sent at once or in timed pieces, optionally cut short (faulty content).
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "support/LoopbackTcpServer.h"

struct HttpReply {
    std::string m_bytes;     // status line, headers and body, exactly as sent
    size_t m_pieceSize = 0;  // send in pieces of this many bytes (0 = all at once)
    int m_pauseMs = 0;       // pause before each piece after the first
    size_t m_dropAfter = 0;  // close after this many bytes (0 = send everything)
    int m_stallMs = 0;       // hold the connection open this long after sending
};

class CLoopbackHttpServer : public CLoopbackTcpServer {
public:
    using Handler = std::function<HttpReply(const std::string& request)>;

    explicit CLoopbackHttpServer(Handler handler, int lifetimeMs = 20000);
    // Every connection gets the same bytes.
    explicit CLoopbackHttpServer(const std::string& fixedReply, int lifetimeMs = 20000);
    ~CLoopbackHttpServer() override;

    // Raw request heads in arrival order (up to and including the blank line).
    std::vector<std::string> Requests() const;

private:
    void Serve(SocketHandle client) override;

    Handler m_handler;
    mutable std::mutex m_lock;
    std::vector<std::string> m_requests;
};
