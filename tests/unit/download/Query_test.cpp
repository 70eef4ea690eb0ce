// The URL information query against the loopback content server: size, final URL and name, the
// redirect rules, failures that still report to the owner, and stopping.
#include <memory>
#include <thread>

#include "DownloadTestEnv.h"
#include "download/CGetUrlInfoThread.h"
#include "net/Sockets.h"
#include "platform/CommonIntf.h"
#include "platform/Timer.h"
#include "support/LoopbackContentServer.h"

using namespace dltest;

namespace {

class QueryTest : public DownloadTest {
protected:
    // Runs one query to its end and returns what the owner was told.
    UrlInfo Query(const std::string& url) {
        auto thread = std::make_unique<QueryUrlInfoThread>(nullptr, &m_sink, url);
        while (!thread->IsFinished()) SleepMs(5);
        EXPECT_EQ(1, m_sink.UrlInfoCalls());
        return m_sink.LastInfo();
    }
    CRecordingSink m_sink{0, 0};
};

}  // namespace

TEST(ChooseFileName, TagThenServerNameThenDefault) {
    struct Case {
        const char* tag;
        std::vector<std::string> lines;
        const char* version;
        const wchar_t* expected;
    } cases[] = {
        {"kelvora_setup_ch42",
         {"Content-Disposition: attachment; filename=\"srv.exe\""},
         "",
         L"kelvora_setup_ch42.exe"},
        {"", {"HTTP/1.1 200 OK", "Content-Disposition: attachment; filename=\"srv.exe\""}, "", L"srv.exe"},
        {"", {"Content-Disposition: attachment; filename=plain.exe; size=3"}, "", L"plain.exe"},
        // A server may not choose where the file goes, only what its last piece is called.
        {"", {"Content-Disposition: attachment; filename=\"..\\..\\Windows\\evil.exe\""}, "", L"evil.exe"},
        {"", {"Content-Disposition: attachment; filename=\"../../x/evil.exe\""}, "", L"evil.exe"},
        {"", {"Content-Disposition: attachment; filename=\"..\""}, "", L"kelvora_install.exe"},
        {"", {"Content-Disposition: attachment; filename=\"c:evil.exe\""}, "", L"kelvora_install.exe"},
        {"", {"HTTP/1.1 200 OK"}, "", L"kelvora_install.exe"},
        {"", {}, "3.1", L"kelvora_install_v3.1.exe"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, ChooseFileName(c.tag, c.lines, c.version)) << c.tag;
}

TEST_F(QueryTest, HeadGivesSizeFinalUrlAndDefaultName) {
    CLoopbackContentServer server(MakeContent(12345, 1));
    const UrlInfo info = Query(server.Url());
    EXPECT_EQ(12345, info.m_fileSize);
    ASSERT_EQ(1u, info.m_urls.size());
    EXPECT_EQ(server.Url(), info.m_urls[0]);
    EXPECT_EQ(L"kelvora_install.exe", info.m_fileName);
    const std::vector<ContentRequest> requests = server.Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ(
        "HEAD /kelvora/Kelvora_install.exe HTTP/1.1\r\nHost:127.0.0.1\r\nAccept:*/*\r\n"
        "User-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\nConnection:close\r\n\r\n",
        requests[0].m_raw);
}

TEST_F(QueryTest, ChannelTagNamesTheFile) {
    GetCommonIntf()->SetChannelTag("kelvora_setup_web7");
    CLoopbackContentServer server(MakeContent(10, 1));
    EXPECT_EQ(L"kelvora_setup_web7.exe", Query(server.Url()).m_fileName);
}

TEST_F(QueryTest, RelativeRedirectStaysOnHostAndPort) {
    CLoopbackContentServer server(MakeContent(77, 1));
    server.SetContentPath("/x/y.exe");
    server.AddRedirect(CLoopbackContentServer::kPath, "/x/y.exe");
    const UrlInfo info = Query(server.Url());
    EXPECT_EQ(77, info.m_fileSize);
    ASSERT_EQ(1u, info.m_urls.size());
    EXPECT_EQ("http://127.0.0.1:" + std::to_string(server.Port()) + "/x/y.exe", info.m_urls[0]);
    const std::vector<ContentRequest> requests = server.Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("/x/y.exe", requests[1].m_path);
}

TEST_F(QueryTest, AbsoluteRedirectToAnotherServer) {
    CLoopbackContentServer target(MakeContent(99, 1));
    CLoopbackContentServer first{std::string()};
    first.AddRedirect(CLoopbackContentServer::kPath, target.Url(), 301);
    const UrlInfo info = Query(first.Url());
    EXPECT_EQ(99, info.m_fileSize);
    ASSERT_EQ(1u, info.m_urls.size());
    EXPECT_EQ(target.Url(), info.m_urls[0]);
}

TEST_F(QueryTest, HttpsRedirectGoesToPort80) {
    // A listener on port 80 of a second loopback address stands for the named host.
    const SocketHandle listener = OpenTcpSocket();
    if (!BindIPv4(listener, MakeNetAddr(127, 0, 0, 2), HostToNet16(80)) || !ListenSocket(listener, 4)) {
        CloseSocket(listener);
        GTEST_SKIP() << "port 80 of 127.0.0.2 is not available here";
    }
    std::string seen;
    std::thread answer([&] {
        if (WaitReadable(listener, 10000) != 1) return;
        const SocketHandle client = AcceptSocket(listener);
        char buffer[2048];
        const long n = RecvBytes(client, buffer, sizeof buffer);
        if (n > 0) seen.assign(buffer, static_cast<size_t>(n));
        const std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: 4242\r\n\r\n";
        SendBytes(client, reply.data(), reply.size());
        ShutdownSend(client);
        SleepMs(100);
        CloseSocket(client);
    });
    CLoopbackContentServer first{std::string()};
    first.AddRedirect(CLoopbackContentServer::kPath, "https://127.0.0.2/kelvora/other.exe");
    const UrlInfo info = Query(first.Url());
    answer.join();
    CloseSocket(listener);
    EXPECT_EQ(4242, info.m_fileSize);
    EXPECT_EQ(0u, seen.find("HEAD /kelvora/other.exe HTTP/1.1\r\nHost:127.0.0.2\r\n")) << seen;
}

TEST_F(QueryTest, FailuresStillReportOnce) {
    struct Case {
        const char* what;
        int headStatus;
        bool withoutLength;
        bool loop;
    } cases[] = {
        {"404", 404, false, false},
        {"500", 500, false, false},
        {"200 without Content-Length", 200, true, false},
        {"redirect loop", 200, false, true},
    };
    for (const Case& c : cases) {
        CRecordingSink sink(0, 0);
        CLoopbackContentServer server(MakeContent(50, 1));
        server.SetHeadStatus(c.headStatus);
        server.SetHeadWithoutLength(c.withoutLength);
        if (c.loop) server.AddRedirect(CLoopbackContentServer::kPath, CLoopbackContentServer::kPath);
        {
            QueryUrlInfoThread thread(nullptr, &sink, server.Url());
            while (!thread.IsFinished()) SleepMs(5);
        }
        EXPECT_EQ(1, sink.UrlInfoCalls()) << c.what;
        EXPECT_EQ(0, sink.LastInfo().m_fileSize) << c.what;
        EXPECT_TRUE(sink.LastInfo().m_urls.empty()) << c.what;
        EXPECT_TRUE(sink.LastInfo().m_fileName.empty()) << c.what;
        // A definite answer is not asked again; a redirect chain stops at its bound.
        EXPECT_EQ(c.loop ? size_t(kMaxRedirects + 1) : 1u, server.Requests().size()) << c.what;
    }
}

TEST_F(QueryTest, TenAttemptsAgainstAServerThatHangsUp) {
    // Accepts and closes at once: each HEAD fails without an answer.
    const SocketHandle listener = OpenTcpSocket();
    ASSERT_TRUE(BindIPv4(listener, MakeNetAddr(127, 0, 0, 1), 0) && ListenSocket(listener, 16));
    std::atomic<int> accepted{0};
    std::atomic<bool> done{false};
    std::thread hangUp([&] {
        while (!done) {
            if (WaitReadable(listener, 20) != 1) continue;
            CloseSocket(AcceptSocket(listener));
            ++accepted;
        }
    });
    const uint32_t start = GetTickMs();
    const UrlInfo info = Query("http://127.0.0.1:" + std::to_string(NetToHost16(LocalNetPort(listener))) +
                               "/kelvora/Kelvora_install.exe");
    const uint32_t took = GetTickMs() - start;
    done = true;
    hangUp.join();
    CloseSocket(listener);
    EXPECT_EQ(0, info.m_fileSize);
    EXPECT_EQ(10, accepted.load());
    EXPECT_GE(took, 9u * kHeadPauseMs);
}

TEST_F(QueryTest, StoppingDuringTheQueryEndsItAndStillReports) {
    CLoopbackContentServer server(MakeContent(50, 1));
    server.SetHeadSilent(true);
    CRecordingSink sink(0, 0);
    auto thread = std::make_unique<QueryUrlInfoThread>(nullptr, &sink, server.Url());
    SleepMs(200);
    const uint32_t start = GetTickMs();
    thread.reset();
    // At most the rest of one receive time-out.
    EXPECT_LT(GetTickMs() - start, static_cast<uint32_t>(kHeadTimeoutMs + 500));
    EXPECT_EQ(1, sink.UrlInfoCalls());
    EXPECT_EQ(0, sink.LastInfo().m_fileSize);
    EXPECT_EQ(1u, server.Requests().size());
}
