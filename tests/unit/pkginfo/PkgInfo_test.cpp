#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "net/TCPClient.h"
#include "pkginfo/CPkgInfo.h"
#include "platform/CommonIntf.h"
#include "support/LoopbackHttpServer.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

void NoSystemProxy(const std::string&, ProxySetting& setting) {
    setting = ProxySetting();
}

// The client shares its proxy and resolver choices through the settings object, and must never
// go looking for the machine's proxy configuration here. The settings object stays until the
// process ends: fetch threads that were cut off may still be reading it.
class NetEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(CreateCommonIntf());
        SetProxyDiscoverer(NoSystemProxy);
    }
};
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new NetEnvironment);

std::string Reply(const std::string& status, const std::string& body) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

// Answers the n-th request with the n-th reply (the last one repeats) and notes when each came.
class ScriptedServer {
public:
    explicit ScriptedServer(std::vector<HttpReply> replies)
        : m_replies(std::move(replies)), m_server([this](const std::string&) { return Next(); }) {}
    explicit ScriptedServer(const std::vector<std::string>& replies) : ScriptedServer(Wrap(replies)) {}

    uint16_t Port() const { return m_server.Port(); }
    std::vector<std::string> Requests() const { return m_server.Requests(); }
    std::vector<Clock::time_point> Times() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_times;
    }

private:
    static std::vector<HttpReply> Wrap(const std::vector<std::string>& texts) {
        std::vector<HttpReply> replies;
        for (const auto& text : texts) replies.push_back(HttpReply{text});
        return replies;
    }
    HttpReply Next() {
        std::lock_guard<std::mutex> guard(m_lock);
        m_times.push_back(Clock::now());
        return m_replies[std::min(m_times.size(), m_replies.size()) - 1];
    }

    std::vector<HttpReply> m_replies;
    std::mutex m_lock;
    std::vector<Clock::time_point> m_times;
    CLoopbackHttpServer m_server;  // last: it is stopped before the script goes
};

const std::string kGood = Reply(
    "200 OK",
    R"({"status":0,"message":"ok","data":{"versionInfo":{"version_code":"3.1.2.450","url":"http://127.0.0.1/k.exe"}}})");

int32_t WaitForResult(IPkgInfo& info, std::chrono::milliseconds limit = 10s) {
    const auto end = Clock::now() + limit;
    while (info.IsReady() == PKG_PENDING && Clock::now() < end) std::this_thread::sleep_for(5ms);
    return info.IsReady();
}

// A port on which nothing listens.
uint16_t DeadPort() {
    SocketHandle s = OpenTcpSocket();
    BindIPv4(s, MakeNetAddr(127, 0, 0, 1), 0);
    const uint16_t port = NetToHost16(LocalNetPort(s));
    CloseSocket(s);
    return port;
}

TEST(PkgInfo, AcceptedReplyIsPublishedAfterOneRequest) {
    ScriptedServer server({kGood});
    CPkgInfo info("127.0.0.1", server.Port());
    ASSERT_EQ(WaitForResult(info), PKG_READY);
    ASSERT_NE(info.GetVersion(), nullptr);
    EXPECT_STREQ(info.GetVersion(), "3.1.2.450");
    EXPECT_EQ(info.GetUrlCount(), 1);
    EXPECT_STREQ(info.GetUrl(0), "http://127.0.0.1/k.exe");
    EXPECT_EQ(info.GetUrl(7), info.GetUrl(0));
    EXPECT_EQ(info.GetRequiredSpace(), 100673700);
    EXPECT_EQ(info.GetPackageSize(), 100000808);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], "GET /api/softversion HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");

    info.Reset();
    EXPECT_EQ(info.GetVersion(), nullptr);
    EXPECT_STREQ(info.GetUrl(0), "");
    EXPECT_EQ(info.GetRequiredSpace(), 0);
    EXPECT_EQ(info.IsReady(), PKG_READY);
}

TEST(PkgInfo, RejectedBodyFailsWithoutAnotherRequest) {
    struct Case {
        const char* name;
        std::string body;
    } cases[] = {
        {"status one", R"({"status":1,"message":"","data":{"versionInfo":{"version_code":"9","url":"u"}}})"},
        {"no message", R"({"status":0,"data":{"versionInfo":{"version_code":"9","url":"u"}}})"},
        {"root not object", "[0]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server({Reply("200 OK", c.body), kGood});
        CPkgInfo info("127.0.0.1", server.Port());
        ASSERT_EQ(WaitForResult(info), PKG_FAILED);
        std::this_thread::sleep_for(400ms);  // longer than a retry pause
        EXPECT_EQ(server.Requests().size(), 1u);
        EXPECT_EQ(info.GetVersion(), nullptr);
        EXPECT_STREQ(info.GetUrl(0), "");
        EXPECT_EQ(info.GetRequiredSpace(), 100673700);
    }
}

TEST(PkgInfo, MissingOrEmptyBodiesAreRetriedAfterAPause) {
    ScriptedServer server({Reply("404 Not Found", "nope"), Reply("200 OK", ""), kGood});
    CPkgInfo info("127.0.0.1", server.Port());
    EXPECT_EQ(info.GetRequiredSpace(), 100673700);
    ASSERT_EQ(WaitForResult(info), PKG_READY);
    EXPECT_STREQ(info.GetVersion(), "3.1.2.450");
    const auto times = server.Times();
    ASSERT_EQ(times.size(), 3u);
    for (size_t i = 1; i < times.size(); ++i) EXPECT_GE(times[i] - times[i - 1], 290ms) << i;
}

TEST(PkgInfo, EmptyVersionIsReadyWithoutVersion) {
    ScriptedServer server({Reply(
        "200 OK", R"({"status":0,"message":"","data":{"versionInfo":{"version_code":"","url":"x"}}})")});
    CPkgInfo info("127.0.0.1", server.Port());
    ASSERT_EQ(WaitForResult(info), PKG_READY);
    EXPECT_EQ(info.GetVersion(), nullptr);
    EXPECT_STREQ(info.GetUrl(0), "x");
}

TEST(PkgInfo, NumericVersionBecomesText) {
    ScriptedServer server({Reply(
        "200 OK", R"({"status":0,"message":null,"data":{"versionInfo":{"version_code":12,"url":"x"}}})")});
    CPkgInfo info("127.0.0.1", server.Port());
    ASSERT_EQ(WaitForResult(info), PKG_READY);
    EXPECT_STREQ(info.GetVersion(), "12");
}

// Whatever the fetch is doing, giving the client up must not wait for it.
TEST(PkgInfo, UnansweredFetchIsCutOffPromptly) {
    HttpReply silence;
    silence.m_stallMs = 3000;
    ScriptedServer stalling(std::vector<HttpReply>{silence});
    const uint16_t dead = DeadPort();
    for (uint16_t port : {dead, stalling.Port()}) {
        SCOPED_TRACE(port);
        auto info = std::make_unique<CPkgInfo>("127.0.0.1", port);
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(info->IsReady(), PKG_PENDING);
            EXPECT_EQ(info->GetRequiredSpace(), 100673700);
            std::this_thread::sleep_for(100ms);
        }
        const auto start = Clock::now();
        info.reset();
        EXPECT_LT(Clock::now() - start, 250ms);
    }
    EXPECT_GE(stalling.Requests().size(), 1u);
}

TEST(PkgInfo, ProcessWideClientIsMadeOnce) {
    IPkgInfo* first = GetPkgInfo();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetPkgInfo(), first);
    EXPECT_EQ(first->GetRequiredSpace(), 100673700);
}

}  // namespace
