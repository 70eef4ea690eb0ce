// An HTTP CONNECT proxy on 127.0.0.1 at an ephemeral port. It records each CONNECT line and
// either answers with a scripted refusal or connects to the target and relays both ways. It
// only ever connects to loopback: a literal 127.x target or one mapped with MapTarget; any
// other target gets "502 Bad Gateway".
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "support/LoopbackTcpServer.h"

class CLoopbackConnectProxy : public CLoopbackTcpServer {
public:
    explicit CLoopbackConnectProxy(int lifetimeMs = 20000);
    ~CLoopbackConnectProxy() override;

    // Sent instead of tunnelling (for example a 407), then the connection is closed.
    void SetRefusal(const std::string& reply);
    // The success reply, sent in these pieces with a pause between them.
    void SetAcceptPieces(const std::vector<std::string>& pieces, int pauseMs);
    // "host:port" of a CONNECT line -> a port on 127.0.0.1.
    void MapTarget(const std::string& hostPort, uint16_t loopbackPort);

    // The first line of each request, without its line break.
    std::vector<std::string> ConnectLines() const;

private:
    void Serve(SocketHandle client) override;
    void Relay(SocketHandle a, SocketHandle b);

    mutable std::mutex m_lock;
    std::string m_refusal;
    std::vector<std::string> m_acceptPieces{"HTTP/1.0 200 Connection established\r\n\r\n"};
    int m_pauseMs = 0;
    std::map<std::string, uint16_t> m_targets;
    std::vector<std::string> m_lines;
};
