#include "platform/ProxyList.h"

#include <gtest/gtest.h>

namespace {

TEST(ProxyList, Table) {
    struct Case {
        const char* list;
        bool accepted;
        const char* host;
        uint16_t port;
    } cases[] = {
        {"http=p1:8080;https=p2:8443", true, "p1", 8080},
        {"p1:3128", true, "p1", 3128},
        {"http=p1:80;p2:81", true, "p2", 81},
        {"https=p2:8443", false, "", 0},
        {"HTTP=p1:80", false, "", 0},
        {"socks=s:1080;ftp=f:21", false, "", 0},
        {";;http=p1:8080;;", true, "p1", 8080},
        {"http=:8080", false, "", 0},
        {"=p3:99", true, "p3", 99},
        {"p4", true, "p4", 0},
        {"p5:x", true, "p5", 0},
        {"p6:65537", true, "p6", 1},
        {"a:1=b:2", false, "", 0},
        {"", false, "", 0},
    };
    for (const Case& c : cases) {
        ProxySetting setting;
        EXPECT_EQ(ParseProxyList(c.list, setting), c.accepted) << c.list;
        EXPECT_EQ(setting.m_type, c.accepted ? 1u : 0u) << c.list;
        EXPECT_EQ(setting.m_host, c.host) << c.list;
        EXPECT_EQ(setting.m_port, c.port) << c.list;
    }
}

}  // namespace
