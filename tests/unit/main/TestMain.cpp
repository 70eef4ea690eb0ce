// The test executables' entry: GoogleTest with a per-case watchdog (see CaseWatchdog.h).
// KELVORA_CASE_TIMEOUT_S sets the limit in seconds (default 180).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "main/CaseWatchdog.h"

namespace {

std::atomic<const char*> g_waitingFor{nullptr};

class CaseWatchdog : public ::testing::EmptyTestEventListener {
public:
    explicit CaseWatchdog(int limitSeconds) : m_limit(limitSeconds) {
        m_thread = std::thread([this] { Watch(); });
    }
    ~CaseWatchdog() override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bQuit = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }

    void OnTestStart(const ::testing::TestInfo& info) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_name = std::string(info.test_suite_name()) + "." + info.name();
        m_deadline = std::chrono::steady_clock::now() + m_limit;
        m_bRunning = true;
        g_waitingFor = nullptr;
        m_changed.notify_all();
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bRunning = false;
        m_changed.notify_all();
    }

private:
    void Watch() {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_bQuit) {
            if (!m_bRunning) {
                m_changed.wait(lock);
                continue;
            }
            const auto deadline = m_deadline;
            if (m_changed.wait_until(lock, deadline) == std::cv_status::no_timeout) continue;
            if (!m_bRunning || m_deadline != deadline) continue;
            const char* what = g_waitingFor.load();
            std::fprintf(stderr, "[  HUNG    ] %s did not end within %d s; last waiting for: %s\n",
                         m_name.c_str(), static_cast<int>(m_limit.count()), what ? what : "(nothing noted)");
            std::fflush(stderr);
            std::fflush(stdout);
            std::_Exit(3);
        }
    }

    const std::chrono::seconds m_limit;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_name;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_bRunning = false;
    bool m_bQuit = false;
    std::thread m_thread;
};

}  // namespace

void NoteWaitingFor(const char* what) {
    g_waitingFor = what;
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    int limit = 180;
    if (const char* text = std::getenv("KELVORA_CASE_TIMEOUT_S")) {
        const int value = std::atoi(text);
        if (value > 0) limit = value;
    }
    // Owned by GoogleTest's listener list from here on.
    ::testing::UnitTest::GetInstance()->listeners().Append(new CaseWatchdog(limit));
    return RUN_ALL_TESTS();
}
