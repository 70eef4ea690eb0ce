// Bounded soak: a few hundred downloads, each against a server that drops, stalls, answers with
// the whole file or with error pages at random, with 1 to 8 workers and few attempts, resumed
// with Start until done. Every file must come out byte-identical; the downloader refuses any
// write outside a range, so a misplaced byte would show as a failed, never-finishing download.
#include <cstdio>

#include "DownloadTestEnv.h"
#include "SoakRun.h"

using namespace dltest;

namespace {

constexpr int kDownloads = 700;
// No new download starts after this; slow hosts (an emulator, a sanitizer) run fewer of them.
constexpr uint32_t kBudgetMs = 50000;
constexpr int kMinDownloads = 40;
constexpr int kParallel = 12;

}  // namespace

TEST_F(DownloadTest, SoakOfFaultyDownloadsResumedUntilDone) {
    SoakResult result;
    RunSoak(SoakPlan{kDownloads, kBudgetMs, kParallel}, ScratchDir("soak"), result);
    EXPECT_GE(result.m_started.load(), kMinDownloads);
    EXPECT_EQ(result.m_started.load(), result.m_done.load());
    EXPECT_EQ(result.m_started.load(), result.m_identical.load());
    EXPECT_EQ(0, result.m_stuck.load());
    EXPECT_EQ(0, result.m_misplaced.load());
    // The faults must really have forced resumes, or the soak proves nothing.
    EXPECT_GT(result.m_resumes.load(), result.m_started.load() / 5);
    std::printf("soak: %d downloads, %d resumes, %u ms\n", result.m_done.load(), result.m_resumes.load(),
                result.m_tookMs);
}
