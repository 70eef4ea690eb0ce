// A periodic timer on a thread of its own, standing in for the system timer thread.
#include <time.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/Timer.h"

struct TimerRecord {
    TimerCallback m_callback = nullptr;
    void* m_user = nullptr;
    uint32_t m_timerId = 1;
    uint32_t m_period = 0;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bStop = false;
    bool m_bSelfDelete = false;
    std::thread m_thread;

    void Loop() {
        auto next = std::chrono::steady_clock::now();
        for (;;) {
            next += std::chrono::milliseconds(m_period);
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                if (m_cv.wait_until(lock, next, [this] { return m_bStop; })) break;
            }
            // As on Windows: a callback that threw ends the ticking, not the process.
            bool threw = false;
            try {
                m_callback(m_user);
            } catch (...) {
                threw = true;
            }
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_bStop || threw) break;
        }
        bool selfDelete;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            selfDelete = m_bSelfDelete;
        }
        if (selfDelete) delete this;
    }
};

TimerRecord* StartPeriodicTimer(uint32_t periodMs, TimerCallback callback, void* user) {
    if (!callback || periodMs == 0) return nullptr;
    auto* record = new TimerRecord;
    record->m_callback = callback;
    record->m_user = user;
    record->m_period = periodMs;
    try {
        // Held until the thread object is stored: the loop's first wait takes the same lock.
        std::lock_guard<std::mutex> lock(record->m_mutex);
        record->m_thread = std::thread([record] { record->Loop(); });
    } catch (...) {
        delete record;
        return nullptr;
    }
    return record;
}

void StopTimer(TimerRecord* timer) {
    if (!timer) return;
    if (std::this_thread::get_id() == timer->m_thread.get_id()) {
        // Called from inside the callback: the timer thread frees the record when it unwinds.
        std::lock_guard<std::mutex> lock(timer->m_mutex);
        timer->m_bStop = true;
        timer->m_bSelfDelete = true;
        timer->m_thread.detach();
        return;
    }
    {
        std::lock_guard<std::mutex> lock(timer->m_mutex);
        timer->m_bStop = true;
    }
    timer->m_cv.notify_all();
    timer->m_thread.join();
    delete timer;
}

uint32_t GetTickMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u +
                                 static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

void SleepMs(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
