#include "net/TCPClient.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "NetTestEnv.h"
#include "net/TCPHttp.h"
#include "platform/Timer.h"
#include "support/LoopbackConnectProxy.h"
#include "support/LoopbackDnsStub.h"
#include "support/LoopbackHttpServer.h"
#include "support/SilentPort.h"

namespace {

using nettest::CRefusingPort;
using nettest::NetTest;
using nettest::ThrownText;

const char kOk[] = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";

ProxySetting HttpProxy(uint16_t port, const std::string& host = "127.0.0.1") {
    ProxySetting p;
    p.m_type = 1;
    p.m_host = host;
    p.m_port = port;
    return p;
}

// A client resolved to a loopback port.
class CTestClient : public CTCPClient {
public:
    explicit CTestClient(uint16_t port, const std::string& host = "127.0.0.1") { Resolve(host, port); }
};

class TCPClientTest : public NetTest {};

TEST_F(TCPClientTest, DefaultStateAndResolve) {
    CTCPClient client;
    EXPECT_EQ(client.GetAddr(), 0xFFFFFFFFu);
    EXPECT_EQ(client.GetNetPort(), 0xFFFF);
    EXPECT_FALSE(client.IsOpen());

    client.Resolve("localhost", 8080);
    EXPECT_EQ(client.GetHost(), "localhost");
    EXPECT_EQ(client.GetAddr(), MakeNetAddr(127, 0, 0, 1));
    EXPECT_EQ(client.GetNetPort(), HostToNet16(8080));

    EXPECT_EQ(ThrownText([&] { client.Resolve("unknown.kelvora.test", 81); }), "Can't resolve host name");
    EXPECT_EQ(client.GetHost(), "unknown.kelvora.test");
    EXPECT_EQ(client.GetPort(), 81);
    EXPECT_EQ(client.GetNetPort(), HostToNet16(8080));  // previous result kept

    DnsSetting unknownMode;
    unknownMode.m_mode = 7;
    client.SetDns(unknownMode);
    EXPECT_EQ(ThrownText([&] { client.Resolve("localhost", 1); }), "Can't resolve host name");
}

TEST_F(TCPClientTest, FallbackToOwnResolverIsPublishedAndReused) {
    CLoopbackDnsStub stub([](const std::string& query) {
        return std::vector<DnsDatagram>{
            {MakeDnsReply(query, {ARecord(127, 0, 0, 7), ARecord(127, 0, 0, 8)})}};
    });
    SetOwnResolverPort(stub.Port());

    CTCPHttp first("files.kelvora.test", 8081);
    EXPECT_EQ(nettest::g_systemLookups.load(), 1);
    EXPECT_EQ(first.GetHost(), "127.0.0.7");
    EXPECT_EQ(first.GetAddr(), MakeNetAddr(127, 0, 0, 7));
    EXPECT_EQ(first.GetNetPort(), HostToNet16(8081));
    const DnsSetting shared = GetCommonIntf()->GetDnsSetting();
    EXPECT_EQ(shared.m_mode, 1u);
    EXPECT_EQ(shared.m_server, kelvora_config::kFallbackDnsServer);

    CTCPHttp second("other.kelvora.test", 80);
    EXPECT_EQ(nettest::g_systemLookups.load(), 1);  // straight to the own resolver
    EXPECT_EQ(second.GetHost(), "127.0.0.7");
    EXPECT_EQ(stub.Queries().size(), 2u);
}

TEST_F(TCPClientTest, BothResolversFailing) {
    CLoopbackDnsStub stub([](const std::string&) { return std::vector<DnsDatagram>{}; });
    SetOwnResolverPort(stub.Port());
    EXPECT_EQ(ThrownText([] { CTCPHttp http("nowhere.kelvora.test", 80); }), "Can't resolve host name");
    EXPECT_EQ(GetCommonIntf()->GetDnsSetting().m_mode, 0u);
}

TEST_F(TCPClientTest, DirectConnectAndFailure) {
    CLoopbackHttpServer server(kOk);
    CTestClient ok(server.Port());
    ok.Connect();
    EXPECT_TRUE(ok.IsOpen());
    EXPECT_EQ(nettest::g_discoveries.load(), 0);

    CRefusingPort refusing;
    CTestClient bad(refusing.Port());
    EXPECT_EQ(ThrownText([&] { bad.ConnectOnce(); }), "Connect failed");
}

// Second attempts alternate: discovery after the 1st, 3rd... failure, direct after the 2nd...
TEST_F(TCPClientTest, RetryAlternatesBetweenDiscoveryAndDirect) {
    CRefusingPort refusing;
    CLoopbackConnectProxy proxy;
    proxy.SetRefusal("HTTP/1.1 502 Bad Gateway\r\n\r\n");
    nettest::g_discovered = HttpProxy(proxy.Port());

    CTestClient client(refusing.Port());
    EXPECT_EQ(ThrownText([&] { client.Connect(); }), "Proxy failed");
    EXPECT_EQ(nettest::g_discoveries.load(), 1);
    EXPECT_EQ(nettest::g_lastDiscoveryUrl, "http://127.0.0.1");
    EXPECT_EQ(ThrownText([&] { client.Connect(); }), "Connect failed");
    EXPECT_EQ(nettest::g_discoveries.load(), 1);
    EXPECT_EQ(ThrownText([&] { client.Connect(); }), "Proxy failed");
    EXPECT_EQ(nettest::g_discoveries.load(), 2);
    EXPECT_EQ(client.GetConnectFailures(), 3);
    EXPECT_EQ(proxy.ConnectLines().size(), 2u);
    EXPECT_EQ(GetCommonIntf()->GetProxySetting().m_type, 0u);  // nothing worked, nothing published
}

TEST_F(TCPClientTest, NoProxyFoundRetriesDirect) {
    CRefusingPort refusing;
    CTestClient client(refusing.Port());
    EXPECT_EQ(ThrownText([&] { client.Connect(); }), "Connect failed");
    EXPECT_EQ(nettest::g_discoveries.load(), 1);
    EXPECT_EQ(client.GetProxy().m_type, 0u);
}

TEST_F(TCPClientTest, WorkingProxyIsPublishedAndUsedByLaterClients) {
    CLoopbackHttpServer target(kOk);
    CLoopbackConnectProxy proxy;
    // The shared setting points at a dead proxy; the retry discovers the working one.
    CRefusingPort deadProxy;
    GetCommonIntf()->SetProxySetting(HttpProxy(deadProxy.Port()));
    nettest::g_discovered = HttpProxy(proxy.Port());

    CTestClient client(target.Port());
    client.Connect();
    const ProxySetting published = GetCommonIntf()->GetProxySetting();
    EXPECT_EQ(published.m_type, 1u);
    EXPECT_EQ(published.m_port, proxy.Port());

    CTestClient later(target.Port());
    later.Connect();
    EXPECT_EQ(nettest::g_discoveries.load(), 1);
    ASSERT_EQ(proxy.ConnectLines().size(), 2u);
    EXPECT_EQ(proxy.ConnectLines()[1], "CONNECT 127.0.0.1:" + std::to_string(target.Port()) + " HTTP/1.1");
}

TEST_F(TCPClientTest, TunnelRepliesTable) {
    CLoopbackHttpServer target(kOk);
    struct Case {
        const char* what;
        std::vector<std::string> pieces;  // the accepting reply; empty: refuse with `refusal`
        const char* refusal;
        const char* error;
    } cases[] = {
        {"HTTP/1.0 200", {"HTTP/1.0 200 Connection established\r\n\r\n"}, "", ""},
        {"head split across reads",
         {"HTTP/1.1 200 Connection established\r\n", "Proxy-agent: t\r\n\r\n"},
         "",
         ""},
        {"407",
         {},
         "HTTP/1.1 407 Proxy Authentication Required\r\nContent-Length: 0\r\n\r\n",
         "Proxy failed"},
        {"under 12 bytes", {}, "HTTP/1.1 20", "Proxy failed"},
    };
    for (const Case& c : cases) {
        CLoopbackConnectProxy proxy;
        if (!c.pieces.empty()) {
            proxy.SetAcceptPieces(c.pieces, 100);
        } else {
            proxy.SetRefusal(c.refusal);
        }
        CTCPHttp http("127.0.0.1", target.Port());
        http.SetProxy(HttpProxy(proxy.Port()));
        if (*c.error == '\0') {
            http.ConnectOnce();
            // Nothing of the proxy's own head may be left in front of the target's answer.
            http.SendAll(BuildGetRequest("127.0.0.1", "/"));
            const ResponseHead head = http.ReadResponseHead();
            EXPECT_EQ(head.m_status, "200") << c.what;
            EXPECT_EQ(http.ReadBody(head.m_contentLength, 0), "ok") << c.what;
        } else {
            EXPECT_EQ(ThrownText([&] { http.ConnectOnce(); }), c.error) << c.what;
        }
    }
}

TEST_F(TCPClientTest, ProxyConnectFailures) {
    CTestClient client(80);
    CRefusingPort refusing;
    client.SetProxy(HttpProxy(refusing.Port()));
    EXPECT_EQ(ThrownText([&] { client.ConnectOnce(); }), "Can't connect proxy server");
    client.SetProxy(HttpProxy(3128, "proxy.unknown.test"));
    EXPECT_EQ(ThrownText([&] { client.ConnectOnce(); }), "Can't connect proxy server");
    for (uint32_t type : {2u, 3u, 9u}) {
        CLoopbackConnectProxy proxy;
        ProxySetting other = HttpProxy(proxy.Port());
        other.m_type = type;
        client.SetProxy(other);
        EXPECT_EQ(ThrownText([&] { client.ConnectOnce(); }), "Proxy not support") << type;
        EXPECT_TRUE(proxy.ConnectLines().empty());
    }
}

// A peer that never answers: the direct connect would wait for the system's time-out, the proxy
// connect for its second; a cancel from another thread ends either within a wait slice, and
// Connect gives up without its second attempt.
TEST_F(TCPClientTest, ACancelEndsAConnectThatGetsNoAnswer) {
    CSilentPort silent;
    if (silent.Port() == 0) GTEST_SKIP() << "no loopback port here leaves a connect unanswered";
    struct Case {
        const char* what;
        bool viaProxy;
        bool cancel;
        const char* error;
        uint32_t atLeastMs, belowMs;
    } cases[] = {
        {"direct, cancelled", false, true, "Connect cancelled", 250, 250 + 2 * kConnectSliceMs + 150},
        {"proxy, cancelled", true, true, "Connect cancelled", 250, 250 + 2 * kConnectSliceMs + 150},
        {"proxy, its second runs out", true, false, "Can't connect proxy server", 950, 1600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CTestClient client(c.viaProxy ? 80 : silent.Port());
        if (c.viaProxy) client.SetProxy(HttpProxy(silent.Port()));
        std::thread canceller([&] {
            if (!c.cancel) return;
            SleepMs(250);
            client.Cancel();
        });
        const uint32_t start = GetTickMs();
        const std::string error = ThrownText([&] { c.viaProxy ? client.ConnectOnce() : client.Connect(); });
        const uint32_t took = GetTickMs() - start;
        canceller.join();
        EXPECT_EQ(c.error, error);
        EXPECT_GE(took, c.atLeastMs);
        EXPECT_LT(took, c.belowMs);
    }
    EXPECT_EQ(0, nettest::g_discoveries.load()) << "a cancelled Connect makes no second attempt";
}

TEST_F(TCPClientTest, SendAndReceiveHelpers) {
    HttpReply reply;
    reply.m_bytes = "HTTP/1.1 200 OK\r\n\r\nabc";
    reply.m_pieceSize = 2;
    reply.m_pauseMs = 10;
    CLoopbackHttpServer server([reply](const std::string&) { return reply; });
    CTestClient client(server.Port());
    client.Connect();
    EXPECT_TRUE(client.SetTimeouts(2000, 2000));
    client.SendAll("");
    client.SendAll("GET / HTTP/1.1\r\n\r\n");
    char buffer[22] = {};
    client.RecvExact(buffer, 19 + 3);
    EXPECT_EQ(std::string(buffer, 22), reply.m_bytes);
    EXPECT_EQ(client.RecvSome(buffer, sizeof buffer), 0u);
    EXPECT_EQ(ThrownText([&] { client.RecvExact(buffer, 1); }), "Server can't send data");
    client.Close();
    EXPECT_EQ(ThrownText([&] { client.RecvSome(buffer, 1); }), "socket recv failed");
    EXPECT_EQ(ThrownText([&] { client.SendSome("x", 1); }), "socket send failed");
}

TEST_F(TCPClientTest, ReceiveTimeoutEndsAStalledRead) {
    HttpReply reply;
    reply.m_stallMs = 3000;
    CLoopbackHttpServer server([reply](const std::string&) { return reply; });
    CTestClient client(server.Port());
    client.SetTimeouts(200, -1);  // stored now, applied to the socket Connect creates
    client.Connect();
    client.SendAll("GET / HTTP/1.1\r\n\r\n");
    char c = 0;
    EXPECT_EQ(ThrownText([&] { client.RecvSome(&c, 1); }), "socket recv failed");
}

}  // namespace
