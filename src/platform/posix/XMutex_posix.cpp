// A recursive mutex with an optional time-out, built on a plain mutex and a condition
// variable so that every step is visible to the thread sanitizer.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/XMutex.h"

struct MutexImpl {
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::thread::id m_owner;
    unsigned m_depth = 0;
};

CXMutex::CXMutex() : m_hMutex(new MutexImpl) {}

CXMutex::~CXMutex() { delete m_hMutex; }

uint32_t CXMutex::Lock(int32_t timeoutMs) {
    if (!m_hMutex) return 0xFFFFFFFF;
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock<std::mutex> lock(m_hMutex->m_mutex);
    if (m_hMutex->m_depth > 0 && m_hMutex->m_owner == self) {
        ++m_hMutex->m_depth;
        return 0;
    }
    auto isFree = [this] { return m_hMutex->m_depth == 0; };
    if (timeoutMs < 0) {
        m_hMutex->m_cv.wait(lock, isFree);
    } else if (!m_hMutex->m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), isFree)) {
        return 258;  // the time-out, as the Windows wait reports it
    }
    m_hMutex->m_owner = self;
    m_hMutex->m_depth = 1;
    return 0;
}

void CXMutex::Unlock() {
    if (!m_hMutex) return;
    std::lock_guard<std::mutex> lock(m_hMutex->m_mutex);
    if (m_hMutex->m_depth == 0 || m_hMutex->m_owner != std::this_thread::get_id()) return;
    if (--m_hMutex->m_depth == 0) {
        m_hMutex->m_owner = std::thread::id();
        m_hMutex->m_cv.notify_one();
    }
}
