#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/CommonIntf.h"

namespace {

// Sets or clears the proxy variables for one case and restores the old values afterwards.
class CProxyEnv {
public:
    CProxyEnv(const char* proxy, const char* noProxy) {
        for (const char* name : kNames) {
            const char* old = getenv(name);
            m_saved.emplace_back(name, old != nullptr ? std::string(old) : std::string("\x01"));
            unsetenv(name);
        }
        if (proxy != nullptr) setenv("http_proxy", proxy, 1);
        if (noProxy != nullptr) setenv("no_proxy", noProxy, 1);
    }
    ~CProxyEnv() {
        for (const auto& saved : m_saved) {
            if (saved.second == "\x01") {
                unsetenv(saved.first);
            } else {
                setenv(saved.first, saved.second.c_str(), 1);
            }
        }
    }

private:
    static constexpr const char* kNames[] = {"http_proxy", "HTTP_PROXY", "no_proxy", "NO_PROXY"};
    std::vector<std::pair<const char*, std::string>> m_saved;
};

TEST(DiscoverProxyPosix, EnvironmentTable) {
    struct Case {
        const char* proxy;
        const char* noProxy;
        const char* url;
        bool found;
        const char* host;
        uint16_t port;
    } cases[] = {
        {"http://127.0.0.1:3128/", nullptr, "http://dl.test", true, "127.0.0.1", 3128},
        {"127.0.0.2:8080", nullptr, "http://dl.test", true, "127.0.0.2", 8080},
        {"http://user:pw@proxy.test:81", nullptr, "http://dl.test", true, "proxy.test", 81},
        {"http://proxy.test", nullptr, "http://dl.test", true, "proxy.test", 80},
        {"socks5://127.0.0.1:1080", nullptr, "http://dl.test", false, "", 0},
        {"http://127.0.0.1:3128", "localhost,.kelvora.test", "http://dl.kelvora.test", false, "", 0},
        {"http://127.0.0.1:3128", "kelvora.test", "http://kelvora.test:8080", false, "", 0},
        {"http://127.0.0.1:3128", "kelvora.test", "http://notkelvora.test", true, "127.0.0.1", 3128},
        {"http://127.0.0.1:3128", "*", "http://dl.test", false, "", 0},
        {nullptr, nullptr, "http://dl.test", false, "", 0},
    };
    CCommonIntf common;
    for (const Case& c : cases) {
        CProxyEnv env(c.proxy, c.noProxy);
        ProxySetting setting;
        setting.m_type = 5;  // must be reset
        EXPECT_EQ(common.DiscoverProxy(c.url, setting), c.found) << (c.proxy ? c.proxy : "none");
        EXPECT_EQ(setting.m_type, c.found ? 1u : 0u);
        if (c.found) {
            EXPECT_EQ(setting.m_host, c.host);
            EXPECT_EQ(setting.m_port, c.port);
        }
    }
}

}  // namespace
