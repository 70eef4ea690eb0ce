// Every test executable runs its cases under a watchdog: a case that runs past its limit is
// reported by name, with what it last said it was waiting for, and ends the executable with a
// failure at once, instead of stalling until the runner kills the whole executable.
#pragma once

// Remembered for the watchdog's report; `what` must outlive the wait (a literal).
void NoteWaitingFor(const char* what);
