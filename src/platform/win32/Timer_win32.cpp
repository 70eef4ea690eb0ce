#include <windows.h>
// After windows.h, whose types it uses.
#include <mmsystem.h>

#include <map>

#include "platform/Timer.h"

// The system may still call the trampoline for a timer that timeKillEvent has just killed (a
// tick already dispatched), so the trampoline never dereferences what it was handed: it looks the
// timer up by a key that is never reused, and StopTimer waits for a tick in progress before it
// frees the record.
struct TimerRecord {
    TimerCallback m_callback;
    void* m_user;
    UINT m_timerId;
    DWORD_PTR m_key;
    // Guarded by the registry lock.
    DWORD m_tickThread;  // the thread running the callback now, 0 between ticks
    bool m_bStopped;
    bool m_bFreedByTick;  // stopped from inside its own callback: the tick frees it on return
};

namespace {

SRWLOCK g_lock = SRWLOCK_INIT;
CONDITION_VARIABLE g_tickEnded = CONDITION_VARIABLE_INIT;

struct Registry {
    std::map<DWORD_PTR, TimerRecord*> live;
    DWORD_PTR nextKey = 1;
};
Registry& Timers() {
    static Registry registry;
    return registry;
}

class RegistryLock {
public:
    RegistryLock() { AcquireSRWLockExclusive(&g_lock); }
    ~RegistryLock() { ReleaseSRWLockExclusive(&g_lock); }
    RegistryLock(const RegistryLock&) = delete;
    RegistryLock& operator=(const RegistryLock&) = delete;
};

void CALLBACK Trampoline(UINT, UINT, DWORD_PTR key, DWORD_PTR, DWORD_PTR) {
    TimerRecord* record = nullptr;
    {
        RegistryLock lock;
        auto found = Timers().live.find(key);
        if (found == Timers().live.end() || found->second->m_bStopped) return;
        record = found->second;
        record->m_tickThread = GetCurrentThreadId();
    }
    bool threw = false;
    // The system's timer thread cannot take an exception; a callback that threw has left its
    // owner in a state no later tick should build on, so its timer ticks no more.
    try {
        record->m_callback(record->m_user);
    } catch (...) {
        threw = true;
    }
    bool freeIt = false;
    {
        RegistryLock lock;
        if (threw) record->m_bStopped = true;
        record->m_tickThread = 0;
        if (record->m_bFreedByTick) {
            Timers().live.erase(record->m_key);
            freeIt = true;
        }
    }
    WakeAllConditionVariable(&g_tickEnded);
    if (freeIt) delete record;
}

}  // namespace

TimerRecord* StartPeriodicTimer(uint32_t periodMs, TimerCallback callback, void* user) {
    if (!callback) return nullptr;
    auto* record = new TimerRecord{callback, user, 0, 0, 0, false, false};
    {
        RegistryLock lock;
        record->m_key = Timers().nextKey++;
        Timers().live[record->m_key] = record;
        // Under the lock, so a first tick cannot see the record without its identifier.
        record->m_timerId = timeSetEvent(periodMs, 1000, &Trampoline, record->m_key, TIME_PERIODIC);
        if (record->m_timerId != 0) return record;
        Timers().live.erase(record->m_key);
    }
    delete record;
    return nullptr;
}

void StopTimer(TimerRecord* timer) {
    if (!timer) return;
    bool fromOwnTick = false;
    {
        RegistryLock lock;
        timer->m_bStopped = true;
        fromOwnTick = timer->m_tickThread == GetCurrentThreadId();
    }
    timeKillEvent(timer->m_timerId);
    {
        RegistryLock lock;
        if (fromOwnTick) {
            // Waiting here would wait for ourselves.
            timer->m_bFreedByTick = true;
            return;
        }
        while (timer->m_tickThread != 0) SleepConditionVariableSRW(&g_tickEnded, &g_lock, INFINITE, 0);
        Timers().live.erase(timer->m_key);
    }
    delete timer;
}

uint32_t GetTickMs() {
    return timeGetTime();
}
void SleepMs(uint32_t ms) {
    Sleep(ms);
}
