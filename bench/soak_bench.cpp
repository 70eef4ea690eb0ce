// The driver of bench/soak: the download soak at a chosen scale. Prints what ran, the faults the
// servers injected by kind, the resumes and the bytes compared; exits non-zero when any file
// differs, any download never finished, or any write fell outside its range.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "download/DownloadTestEnv.h"
#include "download/SoakRun.h"
#include "platform/Files.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: soak_bench COUNT [BUDGET_SECONDS] [PARALLEL]\n");
        return 2;
    }
    dltest::SoakPlan plan;
    plan.m_downloads = std::atoi(argv[1]);
    plan.m_budgetMs = static_cast<uint32_t>((argc > 2 ? std::atof(argv[2]) : 3600.0) * 1000.0);
    plan.m_parallel = argc > 3 ? std::atoi(argv[3]) : 12;
    if (plan.m_downloads <= 0 || plan.m_budgetMs == 0 || plan.m_parallel <= 0) {
        std::fprintf(stderr, "soak_bench: COUNT, BUDGET_SECONDS and PARALLEL must be positive\n");
        return 2;
    }
    dltest::UseLoopbackOnly();
    const std::wstring dir = GetWorkDir() + L"soak-bench\\";
    RemoveDirTree(dir);
    CreateDirectories(dir);

    dltest::SoakResult result;
    dltest::RunSoak(plan, dir, result);
    RemoveDirTree(dir);

    const int started = result.m_started.load();
    std::printf("downloads: %d started, %d finished, %d byte-identical, %d never finished (of %d asked)\n",
                started, result.m_done.load(), result.m_identical.load(), result.m_stuck.load(),
                plan.m_downloads);
    std::printf("writes outside their range: %d\n", result.m_misplaced.load());
    std::printf("resumes: %d\n", result.m_resumes.load());
    long long faults = 0;
    for (int kind = 0; kind < dltest::kSoakFaultKinds; ++kind) faults += result.m_faults[kind].load();
    std::printf("faults injected: %lld (clean answers %lld)\n", faults,
                static_cast<long long>(result.m_cleanAnswers.load()));
    for (int kind = 0; kind < dltest::kSoakFaultKinds; ++kind) {
        std::printf("  %-12s %lld\n", dltest::SoakFaultName(kind),
                    static_cast<long long>(result.m_faults[kind].load()));
    }
    std::printf("bytes compared: %lld\n", static_cast<long long>(result.m_bytesCompared.load()));
    std::printf("time: %.1f s\n", result.m_tookMs / 1000.0);
    const bool sound = started > 0 && result.m_identical.load() == started && result.m_stuck.load() == 0 &&
                       result.m_misplaced.load() == 0;
    std::printf("%s\n", sound ? "soak: every file byte-identical" : "soak: FAILED");
    return sound ? 0 : 1;
}
