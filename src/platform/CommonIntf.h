// The process-wide settings object: window and screen scale, what the network code learned
// (proxy and DNS choice) and the channel tag.
#pragma once

#include <cstdint>
#include <string>

#include "platform/XMutex.h"

struct ProxySetting {
    uint32_t m_type = 0;  // 0 direct, 1 HTTP proxy through CONNECT, others refused
    std::string m_host;
    uint16_t m_port = 0;  // host order
};

struct DnsSetting {
    uint32_t m_mode = 0;  // 0 system resolver, 1 own UDP resolver
    std::string m_server;
};

class CCommonIntf {
public:
    CCommonIntf() = default;
    CCommonIntf(const CCommonIntf&) = delete;
    CCommonIntf& operator=(const CCommonIntf&) = delete;

    double GetWindowScale() const { return m_windowScale; }
    void SetWindowScale(double scale) { m_windowScale = scale; }
    double GetScreenScale();

    ProxySetting GetProxySetting();
    void SetProxySetting(const ProxySetting& setting);
    DnsSetting GetDnsSetting();
    void SetDnsSetting(const DnsSetting& setting);

    // System proxy discovery for `url`; fills `setting` and returns whether one was found.
    bool DiscoverProxy(const std::string& url, ProxySetting& setting);

    void SetChannelTag(std::string tag) { m_channelTag = std::move(tag); }
    std::string GetChannelTag() const { return m_channelTag; }

private:
    double m_windowScale = 1.0;
    double m_screenScale = 1.0;
    ProxySetting m_proxy;
    DnsSetting m_dns;
    CXMutex m_lock;
    std::string m_channelTag;
};

bool CreateCommonIntf();
void DestroyCommonIntf();
CCommonIntf* GetCommonIntf();

// The screen's scale as the platform reports it (1.0 at 96 logical pixels per inch).
double QueryScreenScale();
