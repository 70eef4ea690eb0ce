// The download soak shared by the bounded test and bench/soak: downloads against servers that
// drop, stall, answer with the whole file, with error pages, with extra bytes, a split head or a
// range that starts elsewhere, at random; 1 to 8 workers and few attempts, resumed with Start
// until done. Every finished file is compared with what was served.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace dltest {

// The faults the soak's servers inject, in the order SoakFaultName names them.
enum SoakFault {
    kSoakDrop,
    kSoakStall,
    kSoakWhole200,
    kSoakStatus500,
    kSoakExtraBytes,
    kSoakWrongStart,
    kSoakSplitHead,
    kSoakChunked,
    kSoakWrongTotal,
    kSoakFaultKinds
};
const char* SoakFaultName(int kind);

struct SoakResult {
    std::atomic<int> m_started{0};
    std::atomic<int> m_done{0};
    std::atomic<int> m_identical{0};
    std::atomic<int> m_resumes{0};
    std::atomic<int> m_stuck{0};
    std::atomic<int> m_misplaced{0};
    std::atomic<int64_t> m_bytesCompared{0};
    std::atomic<int64_t> m_faults[kSoakFaultKinds]{};
    std::atomic<int64_t> m_cleanAnswers{0};
    uint32_t m_tookMs = 0;
};

struct SoakPlan {
    int m_downloads = 0;
    uint32_t m_budgetMs = 0;  // no new download starts after this
    int m_parallel = 12;
};

// Runs the plan with scratch files in `dir` (wide, with a trailing separator); the caller has
// installed the loopback-only seams.
void RunSoak(const SoakPlan& plan, const std::wstring& dir, SoakResult& result);

}  // namespace dltest
