// Shared set-up of the network tests: no test may reach the machine's resolver or the user's
// proxy configuration, so both seams are replaced for the whole run, and the shared settings
// start fresh for every test.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "net/Dns.h"
#include "net/TCPClient.h"
#include "platform/CommonIntf.h"

namespace nettest {

// Calls that reached the stand-in system resolver.
extern std::atomic<int> g_systemLookups;
// What the stand-in proxy discovery finds, and how often it was asked.
extern ProxySetting g_discovered;
extern std::atomic<int> g_discoveries;
extern std::string g_lastDiscoveryUrl;

// Knows "localhost" only; every other name fails as an unknown name would.
bool LocalOnlyResolver(const char* host, uint32_t& netAddr);
void ScriptedDiscovery(const std::string& url, ProxySetting& setting);

class NetTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// A loopback port that refuses connections for as long as the object lives.
class CRefusingPort {
public:
    CRefusingPort();
    ~CRefusingPort();
    uint16_t Port() const { return m_port; }

private:
    SocketHandle m_socket;
    uint16_t m_port = 0;
};

// The message of the C-string a callable throws, or "" when it does not throw.
template <typename F>
std::string ThrownText(F&& f) {
    try {
        f();
    } catch (const char* message) {
        return message;
    }
    return "";
}

}  // namespace nettest
