#include "support/LoopbackHttpServer.h"

#include <algorithm>

#include "platform/Timer.h"

CLoopbackHttpServer::CLoopbackHttpServer(Handler handler, int lifetimeMs)
    : CLoopbackTcpServer(lifetimeMs), m_handler(std::move(handler)) {
    Start();
}

CLoopbackHttpServer::CLoopbackHttpServer(const std::string& fixedReply, int lifetimeMs)
    : CLoopbackHttpServer(
          [fixedReply](const std::string&) {
              HttpReply reply;
              reply.m_bytes = fixedReply;
              return reply;
          },
          lifetimeMs) {}

CLoopbackHttpServer::~CLoopbackHttpServer() {
    Stop();
}

std::vector<std::string> CLoopbackHttpServer::Requests() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_requests;
}

void CLoopbackHttpServer::Serve(SocketHandle client) {
    const std::string request = ReadHead(client);
    if (request.empty()) return;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_requests.push_back(request);
    }
    const HttpReply reply = m_handler(request);
    std::string bytes = reply.m_bytes;
    if (reply.m_dropAfter != 0 && reply.m_dropAfter < bytes.size()) bytes.resize(reply.m_dropAfter);
    const size_t piece = reply.m_pieceSize == 0 ? std::max<size_t>(bytes.size(), 1) : reply.m_pieceSize;
    for (size_t at = 0; at < bytes.size() && !Stopping(); at += piece) {
        if (at > 0 && reply.m_pauseMs > 0) SleepMs(static_cast<uint32_t>(reply.m_pauseMs));
        if (!SendText(client, bytes.substr(at, piece))) return;
    }
    for (int waited = 0; waited < reply.m_stallMs && !Stopping(); waited += 20) SleepMs(20);
    ShutdownSend(client);
    // Let the client read to the end before the socket goes, so the close is seen as an end,
    // not a reset.
    char sink[256];
    for (int i = 0; i < 100 && WaitReadable(client, 20) == 1; ++i) {
        if (RecvBytes(client, sink, sizeof sink) <= 0) break;
    }
}
