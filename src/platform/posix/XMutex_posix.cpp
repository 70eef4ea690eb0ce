#include <chrono>
#include <mutex>

#include "platform/XMutex.h"

struct MutexImpl {
    std::recursive_timed_mutex m_mutex;
};

CXMutex::CXMutex() : m_hMutex(new MutexImpl) {}

CXMutex::~CXMutex() { delete m_hMutex; }

uint32_t CXMutex::Lock(int32_t timeoutMs) {
    if (!m_hMutex) return 0xFFFFFFFF;
    if (timeoutMs < 0) {
        m_hMutex->m_mutex.lock();
        return 0;
    }
    return m_hMutex->m_mutex.try_lock_for(std::chrono::milliseconds(timeoutMs)) ? 0 : 258;
}

void CXMutex::Unlock() {
    if (m_hMutex) m_hMutex->m_mutex.unlock();
}
