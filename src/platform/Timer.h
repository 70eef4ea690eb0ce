// Periodic timer whose callback runs on a system thread, and the millisecond tick counter.
#pragma once

#include <cstdint>

using TimerCallback = void (*)(void* user);
struct TimerRecord;

// Null when the system refuses the timer.
TimerRecord* StartPeriodicTimer(uint32_t periodMs, TimerCallback callback, void* user);
// Null allowed. May be called from inside the timer's own callback; it then returns without
// waiting for that callback to finish.
void StopTimer(TimerRecord* timer);

// Milliseconds since an arbitrary start; wraps at 2^32, so measure with unsigned subtraction.
uint32_t GetTickMs();
// Sleeps the calling thread.
void SleepMs(uint32_t ms);
