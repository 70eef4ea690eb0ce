#include "NetTestEnv.h"

namespace nettest {

std::atomic<int> g_systemLookups{0};
ProxySetting g_discovered;
std::atomic<int> g_discoveries{0};
std::string g_lastDiscoveryUrl;

bool LocalOnlyResolver(const char* host, uint32_t& netAddr) {
    ++g_systemLookups;
    if (std::string(host) != "localhost") return false;
    netAddr = MakeNetAddr(127, 0, 0, 1);
    return true;
}

void ScriptedDiscovery(const std::string& url, ProxySetting& setting) {
    ++g_discoveries;
    g_lastDiscoveryUrl = url;
    setting = g_discovered;
}

void NetTest::SetUp() {
    if (GetCommonIntf() == nullptr) {
        ASSERT_TRUE(CreateCommonIntf());
    }
    GetCommonIntf()->SetProxySetting(ProxySetting());
    GetCommonIntf()->SetDnsSetting(DnsSetting());
    g_systemLookups = 0;
    g_discoveries = 0;
    g_discovered = ProxySetting();
    g_lastDiscoveryUrl.clear();
    SetOwnResolverPort(1);  // each test that wants the own resolver points it at its stub
}

void NetTest::TearDown() {
    GetCommonIntf()->SetProxySetting(ProxySetting());
    GetCommonIntf()->SetDnsSetting(DnsSetting());
}

CRefusingPort::CRefusingPort() : m_socket(OpenTcpSocket()) {
    // Bound but never listening: connections are refused, and no other server can take the port.
    if (m_socket != kInvalidSocket && BindIPv4(m_socket, MakeNetAddr(127, 0, 0, 1), 0))
        m_port = NetToHost16(LocalNetPort(m_socket));
}

CRefusingPort::~CRefusingPort() {
    CloseSocket(m_socket);
}

namespace {
class CSeamEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        SetSystemResolver(&LocalOnlyResolver);
        SetProxyDiscoverer(&ScriptedDiscovery);
    }
};
::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new CSeamEnvironment);
}  // namespace

}  // namespace nettest
