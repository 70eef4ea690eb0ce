#include <windows.h>

#include "download/OwnExecutable.h"

std::wstring GetOwnExecutablePath() {
    wchar_t buffer[1024] = {};
    const DWORD n = GetModuleFileNameW(nullptr, buffer, 1023);
    if (n == 0 || n >= 1023) return std::wstring();
    return std::wstring(buffer, n);
}
