// One range worker against scripted faults: whatever the server does, the range ends up exactly
// right, or the worker fails without writing a byte that does not belong where it was written.
#include <memory>

#include "DownloadTestEnv.h"
#include "download/CDownloadThread.h"
#include "platform/Timer.h"
#include "support/LoopbackContentServer.h"
#include "support/SilentPort.h"

using namespace dltest;

namespace {

constexpr int64_t kFirst = 3000;
constexpr int64_t kLast = 70000;
constexpr int64_t kSize = 100000;  // the file most cases serve

std::unique_ptr<CDownloadThread> RunWorker(const std::string& url, CRecordingSink& sink, int timeoutMs,
                                           int retries, int64_t first = kFirst, int64_t last = kLast,
                                           int64_t size = kSize) {
    auto worker = std::make_unique<CDownloadThread>(url, timeoutMs, retries, first, last, size, &sink, 0);
    worker->WaitFor(-1);
    return worker;
}

std::string RangeText(int64_t first, int64_t last) {
    return "Range:bytes=" + std::to_string(first) + "-" + std::to_string(last) + "\r\n";
}

}  // namespace

TEST_F(DownloadTest, WorkerSendsTheExactRangedGet) {
    const std::string content = MakeContent(100000, 2);
    CLoopbackContentServer server(content);
    CRecordingSink sink(kFirst, kLast);
    auto worker = RunWorker(server.Url(), sink, 2000, 3);
    EXPECT_EQ(DS_FINISHED, worker->GetState());
    EXPECT_EQ(content.substr(kFirst, kLast - kFirst + 1), sink.Bytes());
    const std::vector<ContentRequest> gets = server.Gets();
    ASSERT_EQ(1u, gets.size());
    EXPECT_EQ("GET /kelvora/Kelvora_install.exe HTTP/1.1\r\nHost:127.0.0.1\r\nAccept:*/*\r\n" +
                  RangeText(kFirst, kLast) +
                  "User-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\nConnection:close\r\n\r\n",
              gets[0].m_raw);
}

TEST_F(DownloadTest, WorkerSurvivesEveryScriptedFault) {
    const std::string content = MakeContent(100000, 3);
    const std::string expected = content.substr(kFirst, kLast - kFirst + 1);
    struct Case {
        const char* what;
        FaultPlan plan;
        int gets;             // requests until the range is complete
        int64_t secondFirst;  // the first byte the second request asks for
    } cases[] = {
        {"drop after n body bytes", {ContentFault::kDropAfter, 1234}, 2, kFirst + 1234},
        {"drop before any body byte", {ContentFault::kDropAfter, 0}, 2, kFirst},
        {"stall past the time-out", {ContentFault::kStall, 5000, 1000}, 2, kFirst + 5000},
        {"404 page", {ContentFault::kStatus404}, 2, kFirst},
        {"500 page", {ContentFault::kStatus500}, 2, kFirst},
        {"200 with the whole file", {ContentFault::kWhole200}, 1, -1},
        {"more bytes than asked", {ContentFault::kExtraBytes, 3000}, 1, -1},
        {"head in tiny pieces", {ContentFault::kSplitHead}, 1, -1},
        {"head longer than a receive", {ContentFault::kLongHead}, 1, -1},
        {"no Content-Length", {ContentFault::kNoLength}, 1, -1},
        {"206 starting elsewhere", {ContentFault::kWrongStart, 10}, 2, kFirst},
        {"206 of a file of another size", {ContentFault::kWrongTotal, 1}, 2, kFirst},
        {"200 of a file of another size", {ContentFault::kWrongLength200, 1}, 2, kFirst},
        {"chunked body", {ContentFault::kChunked}, 2, kFirst},
        {"compressed body", {ContentFault::kGzip}, 2, kFirst},
    };
    for (const Case& c : cases) {
        CLoopbackContentServer server(content);
        server.QueueFault(c.plan);
        CRecordingSink sink(kFirst, kLast);
        auto worker = RunWorker(server.Url(), sink, 300, 4);
        EXPECT_EQ(DS_FINISHED, worker->GetState()) << c.what;
        EXPECT_FALSE(sink.Misplaced()) << c.what;
        EXPECT_TRUE(sink.Bytes() == expected) << c.what;
        const std::vector<ContentRequest> gets = server.Gets();
        EXPECT_EQ(static_cast<size_t>(c.gets), gets.size()) << c.what;
        if (c.secondFirst >= 0 && gets.size() >= 2) {
            EXPECT_NE(std::string::npos, gets[1].m_raw.find(RangeText(c.secondFirst, kLast))) << c.what;
        }
    }
}

TEST_F(DownloadTest, WholeFileAnswerFillsTheFirstRangeLikeA206) {
    const std::string content = MakeContent(5000, 4);
    CLoopbackContentServer server(content);
    server.QueueFault({ContentFault::kWhole200});
    CRecordingSink sink(0, 4999);
    auto worker = RunWorker(server.Url(), sink, 1000, 1, 0, 4999, 5000);
    EXPECT_EQ(DS_FINISHED, worker->GetState());
    EXPECT_TRUE(sink.Bytes() == content);
}

TEST_F(DownloadTest, RedirectFromARangeAnswerIsFollowed) {
    const std::string content = MakeContent(100000, 5);
    CLoopbackContentServer target(content);
    target.SetContentPath("/mirror/k.exe");
    CLoopbackContentServer first(content);
    first.AddRedirect(CLoopbackContentServer::kPath, target.Url("/mirror/k.exe"));
    CRecordingSink sink(kFirst, kLast);
    auto worker = RunWorker(first.Url(), sink, 1000, 2);
    EXPECT_EQ(DS_FINISHED, worker->GetState());
    EXPECT_TRUE(sink.Bytes() == content.substr(kFirst, kLast - kFirst + 1));
    ASSERT_EQ(1u, target.Gets().size());
    EXPECT_NE(std::string::npos, target.Gets()[0].m_raw.find(RangeText(kFirst, kLast)));
}

TEST_F(DownloadTest, WorkerGivesUpWithoutWritingErrorPages) {
    CLoopbackContentServer server(MakeContent(100000, 6));
    server.SetChooser([](const ContentRequest&) { return FaultPlan{ContentFault::kStatus404}; });
    CRecordingSink sink(kFirst, kLast);
    auto worker = RunWorker(server.Url(), sink, 500, 3);
    EXPECT_EQ(DS_FAILED, worker->GetState());
    EXPECT_EQ(0, sink.Writes());
    EXPECT_EQ(3u, server.Gets().size());
}

TEST_F(DownloadTest, AnswersForAnotherFileNeverReachTheSink) {
    // Every answer of the server is of this kind, so the worker runs out of attempts; the
    // first byte of such a body is already one too many.
    const ContentFault faults[] = {ContentFault::kWrongTotal, ContentFault::kWrongLength200,
                                   ContentFault::kChunked, ContentFault::kGzip};
    for (ContentFault fault : faults) {
        CLoopbackContentServer server(MakeContent(kSize, 6));
        server.SetChooser([fault](const ContentRequest&) { return FaultPlan{fault, 1}; });
        CRecordingSink sink(kFirst, kLast);
        auto worker = RunWorker(server.Url(), sink, 500, 2);
        EXPECT_EQ(DS_FAILED, worker->GetState()) << static_cast<int>(fault);
        EXPECT_EQ(0, sink.Writes()) << static_cast<int>(fault);
        EXPECT_EQ(2u, server.Gets().size()) << static_cast<int>(fault);
    }
}

TEST_F(DownloadTest, ElevenConnectFailuresEndTheWorker) {
    // Bound but not listening: every connect is refused.
    const SocketHandle closed = OpenTcpSocket();
    ASSERT_TRUE(BindIPv4(closed, MakeNetAddr(127, 0, 0, 1), 0));
    const std::string url = "http://127.0.0.1:" + std::to_string(NetToHost16(LocalNetPort(closed))) +
                            "/kelvora/Kelvora_install.exe";
    CRecordingSink sink(kFirst, kLast);
    const uint32_t start = GetTickMs();
    auto worker = RunWorker(url, sink, 500, 1000);
    CloseSocket(closed);
    EXPECT_EQ(DS_FAILED, worker->GetState());
    EXPECT_LT(GetTickMs() - start, 5000u);
}

TEST_F(DownloadTest, RefusedWriteFailsTheWorker) {
    CLoopbackContentServer server(MakeContent(100000, 7));
    // The sink believes the range starts elsewhere, so it refuses the first block.
    CRecordingSink sink(kFirst + 1, kLast);
    auto worker = RunWorker(server.Url(), sink, 500, 5);
    EXPECT_EQ(DS_FAILED, worker->GetState());
    EXPECT_EQ(1u, server.Gets().size());
}

TEST_F(DownloadTest, DestroyingAWorkerWaitingInRecvEndsPromptly) {
    CLoopbackContentServer server(MakeContent(100000, 8));
    server.QueueFault({ContentFault::kStall, 100, 20000});
    CRecordingSink sink(kFirst, kLast);
    auto worker = std::make_unique<CDownloadThread>(server.Url(), 2000, 20, kFirst, kLast, kSize, &sink, 0);
    SleepMs(300);
    const uint32_t start = GetTickMs();
    worker.reset();
    EXPECT_LT(GetTickMs() - start, 2500u);
    EXPECT_FALSE(sink.Misplaced());
}

// A worker whose connects get no answer ends as soon as it is destroyed.
TEST_F(DownloadTest, DestroyingAWorkerWhileItConnectsOrPausesReturnsPromptly) {
    CSilentPort silent;
    if (silent.Port() == 0) GTEST_SKIP() << "no loopback port here leaves a connect unanswered";
    const std::string url =
        "http://127.0.0.1:" + std::to_string(silent.Port()) + "/kelvora/Kelvora_install.exe";
    CRecordingSink sink(kFirst, kLast);
    auto worker = std::make_unique<CDownloadThread>(url, 2000, 20, kFirst, kLast, kSize, &sink, 0);
    SleepMs(300);
    EXPECT_EQ(DS_RUNNING, worker->GetState());
    const uint32_t start = GetTickMs();
    worker.reset();
    EXPECT_LT(GetTickMs() - start, 1500u);
    EXPECT_EQ(0, sink.Writes());
}
