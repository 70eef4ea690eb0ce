// The downloader end to end against the loopback content server: the split into ranges, the
// target file, resuming after a failure, the poll, and destruction at any moment.
#include <cstdint>
#include <memory>

#include "DownloadTestEnv.h"
#include "download/CDownloader.h"
#include "pkginfo/AppInfo.h"
#include "platform/Files.h"
#include "platform/Strings.h"
#include "platform/Timer.h"
#include "support/LoopbackContentServer.h"
#include "support/SilentPort.h"

using namespace dltest;

namespace {

struct ReleaseDownloader {
    void operator()(CDownloader* d) const { d->Release(); }
};
using DownloaderPtr = std::unique_ptr<CDownloader, ReleaseDownloader>;

DownloaderPtr MakeDownloader(const CLoopbackContentServer& server, int threads, int retries, int timeoutMs,
                             const std::wstring& path) {
    DownloadConfig config;
    config.m_threadCount = threads;
    config.m_retryCount = retries;
    config.m_timeout = timeoutMs;
    auto* downloader =
        static_cast<CDownloader*>(CreateDownloader(&config, path.empty() ? nullptr : path.c_str(), nullptr));
    downloader->SetQueryUrl(server.Url());
    return DownloaderPtr(downloader);
}

// A stream that takes at most `m_limit` bytes per write, as a full disk would.
class CShortWriteStream final : public ISarnovikStream {
public:
    explicit CShortWriteStream(int32_t limit) : m_limit(limit) {}
    int64_t GetPosition() override { return m_position; }
    int64_t SetPosition(int64_t position) override { return m_position = position; }
    int64_t GetSize() override { return m_size; }
    bool SetSize(int64_t size) override {
        m_size = size;
        return true;
    }
    int32_t Read(void*, int32_t) override { return -1; }
    int32_t Write(const void*, int32_t count) override {
        const int32_t n = std::min(count, m_limit);
        m_position += n;
        return n;
    }
    int64_t Seek(int64_t offset, int origin) override { return origin == 0 ? m_position = offset : -1; }
    bool IsEof() override { return false; }
    void Release() override { delete this; }

private:
    ~CShortWriteStream() = default;
    int32_t m_limit;
    int64_t m_position = 0;
    int64_t m_size = 0;
};

}  // namespace

TEST_F(DownloadTest, SplitsIntoRangesWithTheRestInTheLast) {
    struct Case {
        int threads;
        int64_t size;
        std::vector<std::pair<int64_t, int64_t>> ranges;  // first, last as split
        size_t gets;
    } cases[] = {
        {1, 10, {{0, 9}}, 1},
        {4, 10, {{0, 1}, {2, 3}, {4, 5}, {6, 9}}, 4},
        {3, 100000, {{0, 33332}, {33333, 66665}, {66666, 99999}}, 3},
        // More workers than bytes: empty ranges, no workers for them, the last takes the file.
        {16, 10, {}, 1},
    };
    for (const Case& c : cases) {
        const std::string content = MakeContent(static_cast<size_t>(c.size), 9);
        CLoopbackContentServer server(content);
        const std::wstring path = ScratchDir("split") + L"file.bin";
        DownloaderPtr d = MakeDownloader(server, c.threads, 3, 2000, path);
        EXPECT_EQ(0, d->GetProgress());
        ASSERT_TRUE(d->Start());
        EXPECT_EQ(DS_FINISHED, WaitForEnd(d.get(), 20000)) << c.threads;
        EXPECT_EQ(100, d->GetProgress());
        EXPECT_TRUE(ReadWholeFile(path) == content) << c.threads;
        const std::vector<ContentRequest> gets = server.Gets();
        EXPECT_EQ(c.gets, gets.size()) << c.threads;
        for (const auto& range : c.ranges) {
            bool asked = false;
            for (const ContentRequest& g : gets)
                asked |= g.m_first == range.first && g.m_last == range.second;
            EXPECT_TRUE(asked) << c.threads << " threads: " << range.first << "-" << range.second;
        }
        if (c.threads == 16) {
            ASSERT_EQ(1u, gets.size());
            EXPECT_EQ(0, gets[0].m_first);
            EXPECT_EQ(9, gets[0].m_last);
        }
    }
}

TEST_F(DownloadTest, ThreadCountBelowOneFailsLikeAParamError) {
    CLoopbackContentServer server(MakeContent(100, 1));
    const std::wstring path = ScratchDir("zero") + L"file.bin";
    DownloaderPtr d = MakeDownloader(server, 0, 3, 2000, path);
    ASSERT_TRUE(d->Start());
    EXPECT_EQ(DS_FAILED, WaitForEnd(d.get(), 10000));
    EXPECT_TRUE(server.Gets().empty());
    EXPECT_FALSE(FileExists(path));
}

TEST_F(DownloadTest, StartTwiceWhileRunningCreatesNothingNew) {
    CLoopbackContentServer server(MakeContent(200000, 1));
    const std::wstring path = ScratchDir("twice") + L"file.bin";
    DownloaderPtr d = MakeDownloader(server, 1, 3, 2000, path);
    ASSERT_TRUE(d->Start());
    EXPECT_TRUE(d->Start());
    EXPECT_EQ(DS_FINISHED, WaitForEnd(d.get(), 20000));
    EXPECT_TRUE(d->Start());
    size_t heads = 0;
    for (const ContentRequest& r : server.Requests()) heads += r.m_method == "HEAD";
    EXPECT_EQ(1u, heads);
    EXPECT_EQ(1u, server.Gets().size());
}

TEST_F(DownloadTest, StartAfterAFailureFetchesOnlyTheMissingBytes) {
    const std::string content = MakeContent(400000, 11);
    CLoopbackContentServer server(content);
    // The third range is cut after 5000 bytes; with one attempt per worker that fails the download.
    server.SetChooser([](const ContentRequest& r) {
        return r.m_first == 200000 ? FaultPlan{ContentFault::kDropAfter, 5000} : FaultPlan{};
    });
    const std::wstring path = ScratchDir("resume") + L"file.bin";
    DownloaderPtr d = MakeDownloader(server, 4, 1, 2000, path);
    ASSERT_TRUE(d->Start());
    EXPECT_EQ(DS_FAILED, WaitForEnd(d.get(), 20000));
    const std::vector<RangeInfo> ranges = d->GetRanges();
    ASSERT_EQ(4u, ranges.size());
    EXPECT_EQ(205000, ranges[2].m_start);
    EXPECT_EQ(400000 - 95000, d->GetDownloaded());
    const size_t getsBefore = server.Gets().size();

    server.SetChooser(nullptr);
    ASSERT_TRUE(d->Start());
    EXPECT_EQ(DS_FINISHED, WaitForEnd(d.get(), 20000));
    EXPECT_TRUE(ReadWholeFile(path) == content);
    const std::vector<ContentRequest> gets = server.Gets();
    std::vector<std::string> resumed;
    for (size_t i = getsBefore; i < gets.size(); ++i)
        resumed.push_back(std::to_string(gets[i].m_first) + "-" + std::to_string(gets[i].m_last));
    // Every range but the cut one was complete: only its missing part is asked for.
    EXPECT_EQ(std::vector<std::string>{"205000-299999"}, resumed);
    EXPECT_EQ(400000, d->GetDownloaded());
}

TEST_F(DownloadTest, TwoCutsThenSuccessOnTheSameDownloaderGiveTheServedFile) {
    // One worker whose range is cut a quarter in on the first and on the resumed request, as the
    // progress page sees it: failed, Start again, failed, Start again, finished.
    const size_t size = 1887088;
    const int64_t cut = static_cast<int64_t>(size / 4);
    const std::string content = MakeContent(size, 17);
    CLoopbackContentServer server(content);
    server.QueueFault({ContentFault::kDropAfter, cut});
    server.QueueFault({ContentFault::kDropAfter, cut});
    const std::wstring path = ScratchDir("two_cuts") + L"file.bin";
    DownloaderPtr d = MakeDownloader(server, 1, 1, 2000, path);
    ASSERT_TRUE(d->Start());
    EXPECT_EQ(DS_FAILED, WaitForEnd(d.get(), 20000));
    ASSERT_TRUE(d->Start());
    EXPECT_EQ(DS_FAILED, WaitForEnd(d.get(), 20000));
    EXPECT_EQ(2 * cut, d->GetRanges()[0].m_start);
    ASSERT_TRUE(d->Start());
    EXPECT_EQ(DS_FINISHED, WaitForEnd(d.get(), 20000));
    EXPECT_TRUE(ReadWholeFile(path) == content);
    std::vector<int64_t> starts;
    for (const ContentRequest& r : server.Gets()) starts.push_back(r.m_first);
    EXPECT_EQ((std::vector<int64_t>{0, cut, 2 * cut}), starts);
    EXPECT_EQ(0, d->GetMisplacedWrites());
}

TEST_F(DownloadTest, ShortWriteFailsInsteadOfCounting) {
    const std::string content = MakeContent(50000, 12);
    CLoopbackContentServer server(content);
    DownloaderPtr d = MakeDownloader(server, 1, 5, 2000, ScratchDir("short") + L"file.bin");
    d->SetFileOpener([](const std::wstring&) { return new CShortWriteStream(1000); });
    ASSERT_TRUE(d->Start());
    EXPECT_EQ(DS_FAILED, WaitForEnd(d.get(), 20000));
    // Only what the stream took is counted, so a later Start asks for the rest.
    EXPECT_EQ(1000, d->GetDownloaded());
    EXPECT_EQ(1000, d->GetRanges()[0].m_start);
    EXPECT_EQ(1u, server.Gets().size());
}

TEST_F(DownloadTest, ASizeTheDriveCannotHoldFailsBeforeAnyFileIsMade) {
    struct Case {
        const char* what;
        std::string headLength;  // the HEAD answer's Content-Length line; empty: the real size
        uint64_t freeBytes;
        DownloadState end;
    } cases[] = {
        {"one byte more than the drive holds", "", 999, DS_FAILED},
        {"exactly what the drive holds", "", 1000, DS_FINISHED},
        {"above 4 GiB on a drive with room", "Content-Length: 4294967297\r\n", UINT64_MAX, DS_FAILED},
        {"far above what 64 bits hold", "Content-Length: 99999999999999999999999\r\n", UINT64_MAX, DS_FAILED},
    };
    for (const Case& c : cases) {
        CLoopbackContentServer server(MakeContent(1000, 18));
        if (!c.headLength.empty()) {
            server.SetHeadWithoutLength(true);
            server.SetHeadExtra(c.headLength);
        }
        const std::wstring path = ScratchDir("no_room") + L"file.bin";
        DownloaderPtr d = MakeDownloader(server, 2, 2, 2000, path);
        std::wstring measured;
        d->SetFreeSpaceProbe([&](const std::wstring& at) {
            measured = at;
            return c.freeBytes;
        });
        ASSERT_TRUE(d->Start()) << c.what;
        EXPECT_EQ(c.end, WaitForEnd(d.get(), 20000)) << c.what;
        EXPECT_EQ(c.end == DS_FINISHED, FileExists(path)) << c.what;
        if (c.end == DS_FAILED) {
            EXPECT_TRUE(server.Gets().empty()) << c.what;
        }
        if (c.headLength.empty()) {
            EXPECT_EQ(path, measured) << c.what;
        }
    }
}

TEST_F(DownloadTest, DefaultFileGoesToTheDownloadFolder) {
    CLoopbackContentServer server(MakeContent(1000, 13));
    DownloaderPtr d = MakeDownloader(server, 1, 3, 2000, std::wstring());
    EXPECT_EQ(std::wstring(), d->GetFilePath());
    ASSERT_TRUE(d->Start());
    EXPECT_EQ(DS_FINISHED, WaitForEnd(d.get(), 20000));
    // The test executable of the Windows build carries ProductVersion 3.97.0.1.
    const std::wstring name = ChannelFileNameForVersion(L"3.97.0.1");
    const std::wstring expected =
        GetWorkDir() + L"kelvora\\" +
        (GetAppInfo() && !GetAppInfo()->GetFileVersion(L"").empty() ? name : L"kelvora_install.exe");
    EXPECT_EQ(expected, std::wstring(d->GetFilePath()));
    EXPECT_EQ(1000u, GetFileLength(d->GetFilePath()));
}

TEST(ChannelFileNames, SecondNumberOfTheProductVersion) {
    struct Case {
        const wchar_t* version;
        const wchar_t* name;
    } cases[] = {
        {L"3.96.0.1", L"install_zodoziv0.exe"},
        {L"3.97.0.1", L"install_vodu3600.exe"},
        {L"1.98.2.3", L"install_rudazev0.exe"},
        {L"3.99.0.0", L"install_zozavi00.exe"},
        {L"3.100.0.1", L""},
        {L"1.0.0.1", L""},
        {L"3.97.0", L""},
        {L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.name, ChannelFileNameForVersion(c.version)) << c.version;
}

TEST_F(DownloadTest, GetUrlFallsBackToTheInstallerAddress) {
    CLoopbackContentServer server(MakeContent(100, 14));
    DownloaderPtr d = MakeDownloader(server, 1, 3, 2000, ScratchDir("url") + L"file.bin");
    EXPECT_EQ(kDownloadUrl, d->GetUrl());
    ASSERT_TRUE(d->Start());
    EXPECT_EQ(DS_FINISHED, WaitForEnd(d.get(), 20000));
    EXPECT_EQ(server.Url(), d->GetUrl());
    EXPECT_FALSE(d->Reserved1() || d->Reserved2() || d->Reserved3());
}

TEST_F(DownloadTest, DestroyDuringTheQueryEndsPromptly) {
    CLoopbackContentServer server(MakeContent(100, 15));
    server.SetHeadSilent(true);
    const std::wstring path = ScratchDir("cancel_query") + L"file.bin";
    DownloaderPtr d = MakeDownloader(server, 2, 3, 2000, path);
    ASSERT_TRUE(d->Start());
    SleepMs(200);
    EXPECT_EQ(DS_RUNNING, d->GetState());
    const uint32_t start = GetTickMs();
    d.reset();
    EXPECT_LT(GetTickMs() - start, 3500u);
    EXPECT_FALSE(FileExists(path));
    EXPECT_TRUE(server.Gets().empty());
}

TEST_F(DownloadTest, DestroyWhileAWorkerWaitsInRecvEndsPromptly) {
    CLoopbackContentServer server(MakeContent(100000, 16));
    server.QueueFault({ContentFault::kStall, 100, 20000});
    DownloaderPtr d = MakeDownloader(server, 1, 20, 2000, ScratchDir("cancel_recv") + L"file.bin");
    ASSERT_TRUE(d->Start());
    SleepMs(400);
    EXPECT_EQ(DS_RUNNING, d->GetState());
    const uint32_t start = GetTickMs();
    d.reset();
    EXPECT_LT(GetTickMs() - start, 2500u);
}

// Every connect of the query gets no answer (the system would wait for its own time-out, over a
// minute for the attempts in a row): destroying the downloader, as closing the program does,
// still returns at once.
TEST_F(DownloadTest, DestroyWhileConnectsGetNoAnswerReturnsWithinASecondAndAHalf) {
    CSilentPort silent;
    if (silent.Port() == 0) GTEST_SKIP() << "no loopback port here leaves a connect unanswered";
    DownloadConfig config;
    auto* downloader = static_cast<CDownloader*>(CreateDownloader(&config, nullptr, nullptr));
    DownloaderPtr d(downloader);
    d->SetQueryUrl("http://127.0.0.1:" + std::to_string(silent.Port()) + "/kelvora/Kelvora_install.exe");
    ASSERT_TRUE(d->Start());
    SleepMs(300);
    EXPECT_EQ(DS_RUNNING, d->GetState());
    const uint32_t start = GetTickMs();
    d.reset();
    EXPECT_LT(GetTickMs() - start, 1500u);
}
