// Bounded soak: a few hundred downloads, each against a server that drops, stalls, answers with
// the whole file, with error pages or with answers for another file at random, with 1 to 8
// workers and few attempts, resumed with Start until done. Every file must come out
// byte-identical; the downloader refuses any write outside a range, so a misplaced byte would
// show as a failed, never-finishing download.
#include <atomic>
#include <random>
#include <thread>

#include "DownloadTestEnv.h"
#include "download/CDownloader.h"
#include "platform/Files.h"
#include "platform/Strings.h"
#include "platform/Timer.h"
#include "support/LoopbackContentServer.h"

using namespace dltest;

namespace {

constexpr int kDownloads = 700;
// No new download starts after this; slow hosts (an emulator, a sanitizer) run fewer of them.
constexpr uint32_t kBudgetMs = 50000;
constexpr int kMinDownloads = 40;
constexpr int kParallel = 12;
constexpr int kResumeLimit = 60;

struct SoakResult {
    std::atomic<int> m_started{0};
    std::atomic<int> m_done{0};
    std::atomic<int> m_identical{0};
    std::atomic<int> m_resumes{0};
    std::atomic<int> m_stuck{0};
    std::atomic<int> m_misplaced{0};
};

void OneDownload(int n, const std::wstring& dir, SoakResult& result) {
    std::mt19937 random(static_cast<uint32_t>(n) * 7919u + 17u);
    const size_t size = 1 + random() % 600000;
    const std::string content = MakeContent(size, static_cast<uint32_t>(n));
    CLoopbackContentServer server(content, 300000);
    auto faults = std::make_shared<std::mt19937>(static_cast<uint32_t>(n) + 1000u);
    auto lock = std::make_shared<std::mutex>();
    server.SetChooser([faults, lock, size](const ContentRequest&) {
        std::lock_guard<std::mutex> guard(*lock);
        const uint32_t roll = (*faults)() % 100;
        const int64_t at = static_cast<int64_t>((*faults)() % (size + 1));
        if (roll < 20) return FaultPlan{ContentFault::kDropAfter, at};
        if (roll < 26) return FaultPlan{ContentFault::kStall, at, 1200};
        if (roll < 38) return FaultPlan{ContentFault::kWhole200};
        if (roll < 41) return FaultPlan{ContentFault::kStatus500};
        if (roll < 45) return FaultPlan{ContentFault::kExtraBytes, 1 + at % 5000};
        if (roll < 48) return FaultPlan{ContentFault::kWrongStart, 1 + at % 100};
        if (roll < 50) return FaultPlan{ContentFault::kSplitHead};
        if (roll < 52) return FaultPlan{ContentFault::kChunked};
        if (roll < 54) return FaultPlan{ContentFault::kWrongTotal, 1 + at % 100};
        return FaultPlan{};
    });
    DownloadConfig config;
    config.m_threadCount = 1 + static_cast<int32_t>(random() % 8);
    config.m_retryCount = 1 + static_cast<int32_t>(random() % 2);
    // Above what a loaded emulator needs between two segments, below the stall.
    config.m_timeout = 1000;
    const std::wstring path = dir + Utf8ToWide(std::to_string(n)) + L".bin";
    auto* d = static_cast<CDownloader*>(CreateDownloader(&config, path.c_str(), nullptr));
    d->SetQueryUrl(server.Url());
    DownloadState state = DS_FAILED;
    for (int round = 0; round < kResumeLimit && state != DS_FINISHED; ++round) {
        if (round > 0) ++result.m_resumes;
        if (!d->Start()) continue;
        state = WaitForEnd(d, 60000);
    }
    result.m_misplaced += d->GetMisplacedWrites();
    d->Release();
    if (state != DS_FINISHED) {
        ++result.m_stuck;
        return;
    }
    ++result.m_done;
    if (ReadWholeFile(path) == content) ++result.m_identical;
    RemoveFile(path);
}

}  // namespace

TEST_F(DownloadTest, SoakOfFaultyDownloadsResumedUntilDone) {
    const std::wstring dir = ScratchDir("soak");
    SoakResult result;
    std::atomic<int> next{0};
    std::vector<std::thread> runners;
    const uint32_t start = GetTickMs();
    for (int i = 0; i < kParallel; ++i) {
        runners.emplace_back([&] {
            for (int n = next++; n < kDownloads && GetTickMs() - start < kBudgetMs; n = next++) {
                ++result.m_started;
                OneDownload(n, dir, result);
            }
        });
    }
    for (std::thread& t : runners) t.join();
    const uint32_t took = GetTickMs() - start;
    EXPECT_GE(result.m_started.load(), kMinDownloads);
    EXPECT_EQ(result.m_started.load(), result.m_done.load());
    EXPECT_EQ(result.m_started.load(), result.m_identical.load());
    EXPECT_EQ(0, result.m_stuck.load());
    EXPECT_EQ(0, result.m_misplaced.load());
    // The faults must really have forced resumes, or the soak proves nothing.
    EXPECT_GT(result.m_resumes.load(), result.m_started.load() / 5);
    std::printf("soak: %d downloads, %d resumes, %u ms\n", result.m_done.load(), result.m_resumes.load(),
                took);
}
