#include "SoakRun.h"

#include <memory>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "DownloadTestEnv.h"
#include "download/CDownloader.h"
#include "platform/Files.h"
#include "platform/Strings.h"
#include "platform/Timer.h"
#include "support/LoopbackContentServer.h"

namespace dltest {

namespace {

constexpr int kResumeLimit = 60;

FaultPlan Injected(SoakResult& result, SoakFault kind, const FaultPlan& plan) {
    ++result.m_faults[kind];
    return plan;
}

FaultPlan ChooseFault(std::mt19937& faults, size_t size, SoakResult& result) {
    const uint32_t roll = faults() % 100;
    const int64_t at = static_cast<int64_t>(faults() % (size + 1));
    if (roll < 20) return Injected(result, kSoakDrop, {ContentFault::kDropAfter, at});
    if (roll < 26) return Injected(result, kSoakStall, {ContentFault::kStall, at, 1200});
    if (roll < 38) return Injected(result, kSoakWhole200, {ContentFault::kWhole200});
    if (roll < 41) return Injected(result, kSoakStatus500, {ContentFault::kStatus500});
    if (roll < 45) return Injected(result, kSoakExtraBytes, {ContentFault::kExtraBytes, 1 + at % 5000});
    if (roll < 48) return Injected(result, kSoakWrongStart, {ContentFault::kWrongStart, 1 + at % 100});
    if (roll < 50) return Injected(result, kSoakSplitHead, {ContentFault::kSplitHead});
    if (roll < 52) return Injected(result, kSoakChunked, {ContentFault::kChunked});
    if (roll < 54) return Injected(result, kSoakWrongTotal, {ContentFault::kWrongTotal, 1 + at % 100});
    ++result.m_cleanAnswers;
    return FaultPlan{};
}

void OneDownload(int n, const std::wstring& dir, SoakResult& result) {
    std::mt19937 random(static_cast<uint32_t>(n) * 7919u + 17u);
    const size_t size = 1 + random() % 600000;
    const std::string content = MakeContent(size, static_cast<uint32_t>(n));
    CLoopbackContentServer server(content, 300000);
    auto faults = std::make_shared<std::mt19937>(static_cast<uint32_t>(n) + 1000u);
    auto lock = std::make_shared<std::mutex>();
    server.SetChooser([faults, lock, size, &result](const ContentRequest&) {
        std::lock_guard<std::mutex> guard(*lock);
        return ChooseFault(*faults, size, result);
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
    result.m_bytesCompared += static_cast<int64_t>(size);
    if (ReadWholeFile(path) == content) ++result.m_identical;
    RemoveFile(path);
}

}  // namespace

const char* SoakFaultName(int kind) {
    static const char* const kNames[kSoakFaultKinds] = {"drop",       "stall",       "200 for 206",
                                                        "status 500", "extra bytes", "wrong range",
                                                        "split head", "chunked",     "wrong total"};
    return kind >= 0 && kind < kSoakFaultKinds ? kNames[kind] : "?";
}

void RunSoak(const SoakPlan& plan, const std::wstring& dir, SoakResult& result) {
    std::atomic<int> next{0};
    std::vector<std::thread> runners;
    const uint32_t start = GetTickMs();
    for (int i = 0; i < plan.m_parallel; ++i) {
        runners.emplace_back([&] {
            for (int n = next++; n < plan.m_downloads && GetTickMs() - start < plan.m_budgetMs; n = next++) {
                ++result.m_started;
                OneDownload(n, dir, result);
            }
        });
    }
    for (std::thread& t : runners) t.join();
    result.m_tookMs = GetTickMs() - start;
}

}  // namespace dltest
