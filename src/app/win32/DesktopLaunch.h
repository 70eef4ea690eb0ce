// Starting the installed product as the desktop user: an elevated installer must not hand its
// elevation to the product, so it borrows the desktop shell's token. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// 0 on success, otherwise a system error code (1 when the token launch is not offered). With
// `out` the caller receives the new process's and thread's handles and closes them.
DWORD LaunchAsDesktopUser(const wchar_t* path, wchar_t* commandLine, const wchar_t* folder,
                          PROCESS_INFORMATION* out);

// Starts the program at `path` for the desktop user. Only when that launch fails (no desktop
// shell to borrow the token from) does the shell open `path` from this process instead.
void StartForDesktopUser(const std::wstring& path);

// Opens a web address in the desktop user's browser: the shell's own explorer.exe, started for
// the desktop user with the address, hands it to the user's default browser, which so never
// runs elevated. Only when that launch fails does the shell open the address from this process.
void OpenAddressForDesktopUser(const std::wstring& address);

// The relative id of the process token's mandatory label (0x1000 low, 0x2000 medium, 0x3000
// high, 0x4000 system) in `level`; 0 or a system error code.
DWORD GetProcessIntegrityLevel(DWORD processId, DWORD* level);
