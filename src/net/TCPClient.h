// CTCPClient: one IPv4 stream connection to a resolved target, direct or through an HTTP proxy
// tunnel (CONNECT), with the proxy and DNS choices shared through CCommonIntf. Every failure is
// thrown as a C-string message (the texts below); the caller catches at its boundary.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/ByteSource.h"
#include "net/Sockets.h"
#include "platform/CommonIntf.h"

class CTCPClient : public IByteSource {
public:
    CTCPClient() = default;
    CTCPClient(const CTCPClient&) = delete;
    CTCPClient& operator=(const CTCPClient&) = delete;
    ~CTCPClient() override;

    // Stores host and port, resolves with this object's m_dns; on success sets m_addr and
    // m_netPort (after the own resolver m_host becomes the dotted address). Throws
    // "Can't resolve host name".
    void Resolve(const std::string& host, uint16_t port);
    // Set-up of a connecting object: the shared DNS setting first, and on failure the own resolver
    // (kFallbackDnsServer), whose success is published for every later object. Throws
    // "Can't resolve host name" when both fail.
    void ResolveWithFallback(const std::string& host, uint16_t port);

    // Connects to the resolved target with the shared proxy setting; after a failure retries once,
    // alternately with the discovered system proxy and direct, and publishes what worked.
    // Throws the message of the second failure.
    // Throws "Connect cancelled" at once, without the second attempt, once cancelled.
    void Connect();
    // One attempt with the current m_proxy: "Can't create socket", "Connect failed",
    // "Can't set not block", "Can't connect proxy server", "Can't set block", "Proxy failed",
    // "Proxy not support", "Connect cancelled". Connects never block: the wait for the peer is
    // cut into slices that look at the cancel flag, and ends after kDirectConnectTimeoutMs
    // (direct) or kProxyConnectTimeoutMs (to the proxy).
    void ConnectOnce();
    // The CONNECT exchange on a fresh connection to the proxy; true when it answered 200.
    bool OpenTunnel();
    void Close();

    // Stops a connect in progress (or the next one) within a wait slice; any thread may call it.
    // The client's own flag, unless SetCancelFlag pointed it at its owner's.
    void Cancel() { m_bCancel = true; }
    // An owner that makes a client per attempt hands in its own stop flag (null: the client's
    // own again). The flag must outlive the client.
    void SetCancelFlag(const std::atomic<bool>* flag) { m_pCancel = flag != nullptr ? flag : &m_bCancel; }
    bool IsCancelled() const { return m_pCancel->load(); }

    // Milliseconds, -1 = system default. Applies changed values to an open socket at once and to
    // every later socket. Returns true.
    bool SetTimeouts(int recvTimeoutMs, int sendTimeoutMs);

    // One send / recv: "socket send failed", "socket recv failed". RecvSome returns 0 when the
    // peer closed.
    size_t SendSome(const void* data, size_t size);
    size_t RecvSome(void* buffer, size_t size);
    // The whole text ("Server can't recv data" when a send takes nothing).
    void SendAll(const std::string& text);
    // Exactly `count` bytes ("Server can't send data" when the peer closes first).
    void RecvExact(void* buffer, size_t count);

    size_t ReadSome(void* buffer, size_t size) override { return RecvSome(buffer, size); }

    const std::string& GetHost() const { return m_host; }
    uint16_t GetPort() const { return m_port; }
    uint32_t GetAddr() const { return m_addr; }
    uint16_t GetNetPort() const { return m_netPort; }
    int GetConnectFailures() const { return m_connectFailures; }
    const ProxySetting& GetProxy() const { return m_proxy; }
    void SetProxy(const ProxySetting& proxy) { m_proxy = proxy; }
    const DnsSetting& GetDns() const { return m_dns; }
    void SetDns(const DnsSetting& dns) { m_dns = dns; }
    SocketHandle GetSocket() const { return m_socket; }
    bool IsOpen() const { return m_socket != kInvalidSocket; }

protected:
    std::string m_host;
    uint32_t m_addr = 0xFFFFFFFFu;
    uint16_t m_port = 0;
    uint16_t m_netPort = 0xFFFF;
    int32_t m_recvTimeout = -1;
    int32_t m_sendTimeout = -1;
    int32_t m_connectFailures = 0;
    SocketHandle m_socket = kInvalidSocket;
    ProxySetting m_proxy;
    DnsSetting m_dns;

private:
    void ConnectDirect();
    void ConnectToProxy();
    // A non-blocking connect of m_socket, waited for in slices; the socket stays non-blocking.
    // True when connected; false when refused or not answered in time; throws on cancel.
    bool ConnectWithin(uint32_t netAddr, uint16_t netPort, int timeoutMs);

    std::atomic<bool> m_bCancel{false};
    const std::atomic<bool>* m_pCancel = &m_bCancel;
};

// About the system's own time-out for a connect that gets no answer at all.
constexpr int kDirectConnectTimeoutMs = 21000;
constexpr int kProxyConnectTimeoutMs = 1000;
// How long a connect waits before it looks at the cancel flag again.
constexpr int kConnectSliceMs = 100;

// How Connect asks for the system proxy: CCommonIntf::DiscoverProxy unless a test installs its
// own. Returns the previous function; null restores the default.
using ProxyDiscoverFn = void (*)(const std::string& url, ProxySetting& setting);
ProxyDiscoverFn SetProxyDiscoverer(ProxyDiscoverFn fn);
