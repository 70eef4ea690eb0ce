#include "support/LoopbackTcpServer.h"

#include "platform/Timer.h"

namespace {
constexpr size_t kMaxConnections = 256;
constexpr size_t kMaxHead = 64 * 1024;
constexpr int kPollMs = 20;
}  // namespace

CLoopbackTcpServer::CLoopbackTcpServer(int lifetimeMs)
    : m_deadline(GetTickMs() + static_cast<uint32_t>(lifetimeMs)) {
    m_listener = OpenTcpSocket();
    if (m_listener == kInvalidSocket) return;
    if (!BindIPv4(m_listener, MakeNetAddr(127, 0, 0, 1), 0) || !ListenSocket(m_listener, 64)) {
        CloseSocket(m_listener);
        m_listener = kInvalidSocket;
        return;
    }
    m_port = NetToHost16(LocalNetPort(m_listener));
}

CLoopbackTcpServer::~CLoopbackTcpServer() {
    Stop();
}

void CLoopbackTcpServer::Start() {
    if (m_listener != kInvalidSocket) m_acceptThread = std::thread([this] { AcceptLoop(); });
}

void CLoopbackTcpServer::Stop() {
    m_stop = true;
    if (m_acceptThread.joinable()) m_acceptThread.join();
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> guard(m_threadsLock);
        threads.swap(m_threads);
    }
    for (std::thread& t : threads) t.join();
    CloseSocket(m_listener);
    m_listener = kInvalidSocket;
}

bool CLoopbackTcpServer::Stopping() const {
    return m_stop.load() || static_cast<int32_t>(GetTickMs() - m_deadline) >= 0;
}

void CLoopbackTcpServer::AcceptLoop() {
    while (!Stopping() && m_connections.load() < kMaxConnections) {
        if (WaitReadable(m_listener, kPollMs) != 1) continue;
        const SocketHandle client = AcceptSocket(m_listener);
        if (client == kInvalidSocket) continue;
        ++m_connections;
        SetSendTimeoutMs(client, 5000);
        std::lock_guard<std::mutex> guard(m_threadsLock);
        m_threads.emplace_back([this, client] {
            Serve(client);
            CloseSocket(client);
        });
    }
}

std::string CLoopbackTcpServer::ReadHead(SocketHandle s) const {
    std::string head;
    while (head.size() < kMaxHead && head.find("\r\n\r\n") == std::string::npos && !Stopping()) {
        const int ready = WaitReadable(s, kPollMs);
        if (ready < 0) break;
        if (ready == 0) continue;
        char c = 0;
        if (RecvBytes(s, &c, 1) != 1) break;
        head += c;
    }
    return head;
}

bool CLoopbackTcpServer::SendText(SocketHandle s, const std::string& text) {
    size_t sent = 0;
    while (sent < text.size()) {
        const long n = SendBytes(s, text.data() + sent, text.size() - sent);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}
