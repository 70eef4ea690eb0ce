// Start-up and shutdown of the installer process, on the main thread.
#pragma once

#include <windows.h>

extern HINSTANCE g_hInstance;
extern HANDLE g_hInstanceMutex;

// Returns when this is the only copy for the user; otherwise hands over to the running copy and
// ends the process with status 0.
void EnsureSingleInstance();
// Posts WM_RAISE_WINDOW to the running copy's main window, when it has one yet.
void ActivateRunningInstance();
// Safe to call more than once.
void ReleaseSingleInstance();

// The whole life of the installer after the single-instance check; returns the exit status.
int RunInstaller(HINSTANCE instance);
