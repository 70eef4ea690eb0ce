// Windows only. The installer runs elevated from a folder the user can write (usually
// Downloads), so any DLL found through the executable's folder or the current folder would run
// with those rights. Only KnownDLLs are load-time imports of the product; every other system DLL
// (VERSION, WINMM, WINHTTP, GDI+) is a delayed import that resolves through this module on first
// use, from the system folder only.
#pragma once

#include <windows.h>

// Makes every later DLL load of the process (LoadLibrary without search flags, the delayed
// imports, and the DLLs that system DLLs load on our behalf) search the system folder only.
// Called first in the process entry, before the C runtime and any static initialiser run.
void RestrictDllSearchToSystemFolder();

// Loads a system DLL (a plain file name such as L"wintrust.dll") from the system folder only,
// never through the executable's or the current folder; null when it cannot be loaded. For DLLs
// that are used late through GetProcAddress.
HMODULE LoadSystemLibrary(const wchar_t* fileName);
