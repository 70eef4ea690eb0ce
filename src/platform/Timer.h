// Periodic timer whose callback runs on a system thread, and the millisecond tick counter.
#pragma once

#include <cstdint>

using TimerCallback = void (*)(void* user);
struct TimerRecord;

// Null when the system refuses the timer. A callback that throws ends the ticking (the owner
// still calls StopTimer).
TimerRecord* StartPeriodicTimer(uint32_t periodMs, TimerCallback callback, void* user);
// Null allowed. When it returns no tick of this timer runs any more, so the owner may free what
// the callback uses. Called from inside the timer's own callback it returns at once (waiting would
// wait for itself); that tick then ends normally. Never call it while holding a lock that the
// callback takes.
void StopTimer(TimerRecord* timer);

// Milliseconds since an arbitrary start; wraps at 2^32, so measure with unsigned subtraction.
uint32_t GetTickMs();
// Sleeps the calling thread.
void SleepMs(uint32_t ms);
