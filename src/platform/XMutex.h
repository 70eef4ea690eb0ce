// The program's only lock: recursive and owned by the locking thread.
#pragma once

#include <cstdint>

struct MutexImpl;

class CXMutex {
public:
    CXMutex();
    CXMutex(const CXMutex&) = delete;
    CXMutex& operator=(const CXMutex&) = delete;
    virtual ~CXMutex();

    // Returns the wait result (0 when acquired, 258 on time-out); -1 waits without limit.
    uint32_t Lock(int32_t timeoutMs = -1);
    void Unlock();

private:
    MutexImpl* m_hMutex = nullptr;
};

class CXMutexGuard {
public:
    explicit CXMutexGuard(CXMutex& mutex) : m_mutex(mutex) { m_mutex.Lock(-1); }
    ~CXMutexGuard() { m_mutex.Unlock(); }
    CXMutexGuard(const CXMutexGuard&) = delete;
    CXMutexGuard& operator=(const CXMutexGuard&) = delete;

private:
    CXMutex& m_mutex;
};
