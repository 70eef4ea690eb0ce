#include <windows.h>
#include <mmsystem.h>

#include "platform/Timer.h"

struct TimerRecord {
    TimerCallback m_callback;
    void* m_user;
    UINT m_timerId;
};

namespace {
void CALLBACK Trampoline(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    auto* record = reinterpret_cast<TimerRecord*>(user);
    // The record may be freed by the callback itself (StopTimer from inside it): read first.
    TimerCallback callback = record->m_callback;
    void* data = record->m_user;
    callback(data);
}
}  // namespace

TimerRecord* StartPeriodicTimer(uint32_t periodMs, TimerCallback callback, void* user) {
    auto* record = new TimerRecord{callback, user, 0};
    record->m_timerId = timeSetEvent(periodMs, 1000, &Trampoline, reinterpret_cast<DWORD_PTR>(record), TIME_PERIODIC);
    if (record->m_timerId == 0) {
        delete record;
        return nullptr;
    }
    return record;
}

void StopTimer(TimerRecord* timer) {
    if (!timer) return;
    timeKillEvent(timer->m_timerId);
    delete timer;
}

uint32_t GetTickMs() { return timeGetTime(); }
void SleepMs(uint32_t ms) { Sleep(ms); }
