#include "net/TCPClient.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "net/Dns.h"
#include "platform/Strings.h"
#include "platform/Timer.h"

namespace {

constexpr size_t kTunnelBufferSize = 1024;

void DiscoverThroughCommonIntf(const std::string& url, ProxySetting& setting) {
    setting.m_type = 0;
    if (CCommonIntf* common = GetCommonIntf()) common->DiscoverProxy(url, setting);
}

std::atomic<ProxyDiscoverFn> g_discoverer{&DiscoverThroughCommonIntf};

ProxySetting SharedProxy() {
    CCommonIntf* common = GetCommonIntf();
    return common != nullptr ? common->GetProxySetting() : ProxySetting();
}

DnsSetting SharedDns() {
    CCommonIntf* common = GetCommonIntf();
    return common != nullptr ? common->GetDnsSetting() : DnsSetting();
}

}  // namespace

ProxyDiscoverFn SetProxyDiscoverer(ProxyDiscoverFn fn) {
    return g_discoverer.exchange(fn != nullptr ? fn : &DiscoverThroughCommonIntf);
}

CTCPClient::~CTCPClient() {
    Close();
}

void CTCPClient::Resolve(const std::string& host, uint16_t port) {
    m_host = host;
    m_port = port;
    uint32_t addr = 0;
    bool found = false;
    if (TextToAddress(kAddressFamilyIPv4, host.c_str(), &addr) == 1) {
        // A literal needs no lookup in either mode; asking a DNS server for it would only fail.
        found = true;
    } else if (m_dns.m_mode == 0) {
        found = SystemResolve(host.c_str(), addr);
    } else if (m_dns.m_mode == 1) {
        uint32_t result[kDnsResultSize] = {};
        if (DnsResolve(host.c_str(), result, kDnsDefaultTimeoutMs, m_dns.m_server.c_str(),
                       GetOwnResolverPort()) == 0 &&
            result[0] > 0) {
            char text[256] = {};
            if (AddressToText(kAddressFamilyIPv4, &result[1], text, sizeof text) != nullptr) {
                addr = result[1];
                m_host = text;
                found = true;
            }
        }
    }
    if (!found) throw "Can't resolve host name";
    m_addr = addr;
    m_netPort = HostToNet16(port);
}

void CTCPClient::ResolveWithFallback(const std::string& host, uint16_t port) {
    m_dns = SharedDns();
    try {
        Resolve(host, port);
        return;
    } catch (...) {
    }
    m_dns.m_mode = 1;
    m_dns.m_server = kelvora_config::kFallbackDnsServer;
    Resolve(host, port);
    if (CCommonIntf* common = GetCommonIntf()) common->SetDnsSetting(m_dns);
}

void CTCPClient::Connect() {
    m_proxy = SharedProxy();
    try {
        ConnectOnce();
        return;
    } catch (...) {
    }
    if (IsCancelled()) throw "Connect cancelled";
    ++m_connectFailures;
    if (m_connectFailures % 2 == 1) {
        g_discoverer.load()("http://" + m_host, m_proxy);
    } else {
        m_proxy.m_type = 0;
    }
    ConnectOnce();
    if (CCommonIntf* common = GetCommonIntf()) common->SetProxySetting(m_proxy);
}

void CTCPClient::ConnectOnce() {
    Close();
    m_socket = OpenTcpSocket();
    if (m_socket == kInvalidSocket) throw "Can't create socket";
    if (m_proxy.m_type == 0) {
        ConnectDirect();
    } else {
        ConnectToProxy();
    }
    if (m_recvTimeout != -1) SetRecvTimeoutMs(m_socket, m_recvTimeout);
    if (m_sendTimeout != -1) SetSendTimeoutMs(m_socket, m_sendTimeout);
    if (m_proxy.m_type == 0) return;
    if (m_proxy.m_type != 1) throw "Proxy not support";
    if (!OpenTunnel()) throw "Proxy failed";
}

bool CTCPClient::ConnectWithin(uint32_t netAddr, uint16_t netPort, int timeoutMs) {
    if (IsCancelled()) throw "Connect cancelled";
    const int started = StartConnectIPv4(m_socket, netAddr, netPort);
    if (started == 0) return true;
    if (started < 0) return false;
    const uint32_t start = GetTickMs();
    for (;;) {
        const uint32_t waited = GetTickMs() - start;
        if (waited >= static_cast<uint32_t>(timeoutMs)) return false;
        const int slice = std::min(kConnectSliceMs, timeoutMs - static_cast<int>(waited));
        const int ready = WaitWritable(m_socket, slice);
        if (ready != 0) return ready == 1 && PendingSocketError(m_socket) == 0;
        if (IsCancelled()) throw "Connect cancelled";
    }
}

void CTCPClient::ConnectDirect() {
    // Non-blocking, so that closing the program does not wait for the system's time-out of a
    // peer that never answers.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0) {
            // A socket whose connect failed is in no state to try again everywhere; the retry
            // gets a fresh one.
            Close();
            m_socket = OpenTcpSocket();
            if (m_socket == kInvalidSocket) throw "Can't create socket";
        }
        if (!SetBlocking(m_socket, false)) throw "Can't set not block";
        if (ConnectWithin(m_addr, m_netPort, kDirectConnectTimeoutMs)) {
            if (!SetBlocking(m_socket, true)) throw "Can't set block";
            return;
        }
    }
    throw "Connect failed";
}

void CTCPClient::ConnectToProxy() {
    if (!SetBlocking(m_socket, false)) throw "Can't set not block";
    uint32_t proxyAddr = 0;
    if (TextToAddress(kAddressFamilyIPv4, m_proxy.m_host.c_str(), &proxyAddr) != 1 &&
        !SystemResolve(m_proxy.m_host.c_str(), proxyAddr))
        throw "Can't connect proxy server";
    if (!ConnectWithin(proxyAddr, HostToNet16(m_proxy.m_port), kProxyConnectTimeoutMs))
        throw "Can't connect proxy server";
    if (!SetBlocking(m_socket, true)) throw "Can't set block";
}

bool CTCPClient::OpenTunnel() {
    const std::string request = "CONNECT " + m_host + ":" + std::to_string(m_port) + " HTTP/1.1\r\n\r\n";
    if (request.size() >= kTunnelBufferSize) return false;
    SendBytes(m_socket, request.data(), request.size());

    char reply[kTunnelBufferSize] = {};
    const long got = RecvBytes(m_socket, reply, kTunnelBufferSize - 1);
    if (got < 1) return false;
    size_t size = static_cast<size_t>(got);
    if (size < 12 || TextToInt64(std::string(reply + 9, 3)) != 200) return false;
    // The proxy's header block must be consumed to its blank line: what is left of it would
    // otherwise be taken for the target's response, and a range worker would then write the
    // target's real head into the file.
    while (std::strstr(reply, "\r\n\r\n") == nullptr) {
        if (size >= kTunnelBufferSize - 1) return false;
        if (RecvBytes(m_socket, reply + size, 1) != 1) return false;
        ++size;
    }
    return true;
}

void CTCPClient::Close() {
    if (m_socket == kInvalidSocket) return;
    CloseSocket(m_socket);
    m_socket = kInvalidSocket;
}

bool CTCPClient::SetTimeouts(int recvTimeoutMs, int sendTimeoutMs) {
    if (recvTimeoutMs != m_recvTimeout) {
        m_recvTimeout = recvTimeoutMs;
        if (m_socket != kInvalidSocket) SetRecvTimeoutMs(m_socket, recvTimeoutMs);
    }
    if (sendTimeoutMs != m_sendTimeout) {
        m_sendTimeout = sendTimeoutMs;
        if (m_socket != kInvalidSocket) SetSendTimeoutMs(m_socket, sendTimeoutMs);
    }
    return true;
}

size_t CTCPClient::SendSome(const void* data, size_t size) {
    const long n = SendBytes(m_socket, data, size);
    if (n < 0) throw "socket send failed";
    return static_cast<size_t>(n);
}

size_t CTCPClient::RecvSome(void* buffer, size_t size) {
    const long n = RecvBytes(m_socket, buffer, size);
    if (n < 0) throw "socket recv failed";
    return static_cast<size_t>(n);
}

void CTCPClient::SendAll(const std::string& text) {
    size_t sent = 0;
    while (sent < text.size()) {
        const size_t n = SendSome(text.data() + sent, text.size() - sent);
        if (n == 0) throw "Server can't recv data";
        sent += n;
    }
}

void CTCPClient::RecvExact(void* buffer, size_t count) {
    ReadExact(*this, buffer, count);
}
