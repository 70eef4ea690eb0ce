#include <windows.h>
// delayimp.h needs the types of windows.h.
#include <delayimp.h>

#include <string>

#include "platform/SystemDlls.h"

namespace {

// Both exist from Windows 8, and on Windows 7 with its secure-loading update; the
// process must still start without them, so neither is a load-time import.
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

// The delayed imports name their DLL in ANSI; the names are the plain ASCII of system DLLs.
FARPROC WINAPI DelayLoadNotify(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary || !info || !info->szDll) return nullptr;
    std::wstring name;
    for (const char* c = info->szDll; *c; ++c) name += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return reinterpret_cast<FARPROC>(LoadSystemLibrary(name.c_str()));
}

}  // namespace

// Defined here, the hook replaces the toolchain's empty default whenever this file is linked,
// which RestrictDllSearchToSystemFolder guarantees for every program that calls it.
PfnDliHook __pfnDliNotifyHook2 = &DelayLoadNotify;

void RestrictDllSearchToSystemFolder() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault && setDefault(kSearchSystem32)) return;
    // Without it, at least the current folder leaves the search order.
    SetDllDirectoryW(L"");
}

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
    HMODULE module = LoadLibraryExW(fileName, nullptr, kSearchSystem32);
    if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
    // The flag is unknown to this system: name the file by its full path instead.
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    std::wstring path(folder, length);
    path += L'\\';
    path += fileName;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
