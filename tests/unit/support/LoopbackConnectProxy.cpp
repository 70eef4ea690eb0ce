#include "support/LoopbackConnectProxy.h"

#include "net/Dns.h"
#include "platform/Strings.h"
#include "platform/Timer.h"

CLoopbackConnectProxy::CLoopbackConnectProxy(int lifetimeMs) : CLoopbackTcpServer(lifetimeMs) {
    Start();
}

CLoopbackConnectProxy::~CLoopbackConnectProxy() {
    Stop();
}

void CLoopbackConnectProxy::SetRefusal(const std::string& reply) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_refusal = reply;
}

void CLoopbackConnectProxy::SetAcceptPieces(const std::vector<std::string>& pieces, int pauseMs) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_acceptPieces = pieces;
    m_pauseMs = pauseMs;
}

void CLoopbackConnectProxy::MapTarget(const std::string& hostPort, uint16_t loopbackPort) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_targets[hostPort] = loopbackPort;
}

std::vector<std::string> CLoopbackConnectProxy::ConnectLines() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_lines;
}

void CLoopbackConnectProxy::Serve(SocketHandle client) {
    const std::string head = ReadHead(client);
    if (head.empty()) return;
    const std::string line = head.substr(0, head.find("\r\n"));
    std::string refusal;
    std::vector<std::string> pieces;
    int pauseMs = 0;
    uint16_t targetPort = 0;
    uint32_t targetAddr = MakeNetAddr(127, 0, 0, 1);
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_lines.push_back(line);
        refusal = m_refusal;
        pieces = m_acceptPieces;
        pauseMs = m_pauseMs;
        // "CONNECT host:port HTTP/1.1"
        const size_t start = line.find(' ');
        const size_t end = line.rfind(' ');
        const std::string hostPort = (start != std::string::npos && end > start)
                                         ? line.substr(start + 1, end - start - 1)
                                         : std::string();
        const auto mapped = m_targets.find(hostPort);
        if (mapped != m_targets.end()) {
            targetPort = mapped->second;
        } else {
            const size_t colon = hostPort.rfind(':');
            uint8_t literal[4];
            if (colon != std::string::npos &&
                TextToAddress(kAddressFamilyIPv4, hostPort.substr(0, colon).c_str(), literal) == 1 &&
                literal[0] == 127) {
                targetAddr = MakeNetAddr(literal[0], literal[1], literal[2], literal[3]);
                targetPort = static_cast<uint16_t>(TextToInt64(hostPort.substr(colon + 1)));
            }
        }
    }
    if (line.compare(0, 8, "CONNECT ") != 0) {
        SendText(client, "HTTP/1.1 405 Method Not Allowed\r\n\r\n");
        return;
    }
    if (!refusal.empty()) {
        SendText(client, refusal);
        ShutdownSend(client);
        return;
    }
    const SocketHandle target = targetPort != 0 ? OpenTcpSocket() : kInvalidSocket;
    if (target == kInvalidSocket || !ConnectIPv4(target, targetAddr, HostToNet16(targetPort))) {
        CloseSocket(target);
        SendText(client, "HTTP/1.1 502 Bad Gateway\r\n\r\n");
        ShutdownSend(client);
        return;
    }
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0 && pauseMs > 0) SleepMs(static_cast<uint32_t>(pauseMs));
        SendText(client, pieces[i]);
    }
    Relay(client, target);
    CloseSocket(target);
}

void CLoopbackConnectProxy::Relay(SocketHandle a, SocketHandle b) {
    bool aOpen = true;
    bool bOpen = true;
    char buffer[16384];
    while ((aOpen || bOpen) && !Stopping()) {
        if (aOpen && WaitReadable(a, 5) == 1) {
            const long n = RecvBytes(a, buffer, sizeof buffer);
            if (n <= 0 || !SendText(b, std::string(buffer, static_cast<size_t>(n)))) {
                aOpen = false;
                ShutdownSend(b);
            }
        }
        if (bOpen && WaitReadable(b, 5) == 1) {
            const long n = RecvBytes(b, buffer, sizeof buffer);
            if (n <= 0 || !SendText(a, std::string(buffer, static_cast<size_t>(n)))) {
                bOpen = false;
                ShutdownSend(a);
            }
        }
        // The target's answer is complete once it closed; the client may keep its side open.
        if (!bOpen) break;
    }
}
