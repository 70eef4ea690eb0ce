#include "app/win32/DesktopLaunch.h"

#include <shellapi.h>

namespace {

constexpr DWORD kMediumIntegrity = 0x2000;

using CreateWithTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID, LPCWSTR,
                                        LPSTARTUPINFOW, LPPROCESS_INFORMATION);

FARPROC Lookup(const char* module, const char* name) {
    HMODULE handle = GetModuleHandleA(module);
    return handle ? GetProcAddress(handle, name) : nullptr;
}

void HandOver(PROCESS_INFORMATION& info, PROCESS_INFORMATION* out) {
    if (out) {
        *out = info;
        return;
    }
    if (info.hThread) CloseHandle(info.hThread);
    if (info.hProcess) CloseHandle(info.hProcess);
}

}  // namespace

DWORD GetProcessIntegrityLevel(DWORD processId, DWORD* level) {
    *level = 0;
    HANDLE process = nullptr;
    HANDLE token = nullptr;
    TOKEN_MANDATORY_LABEL* label = nullptr;
    HANDLE heap = GetProcessHeap();
    DWORD needed = 0;
    process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (process && OpenProcessToken(process, TOKEN_QUERY, &token) &&
        (GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &needed) ||
         GetLastError() == ERROR_INSUFFICIENT_BUFFER)) {
        label = static_cast<TOKEN_MANDATORY_LABEL*>(HeapAlloc(heap, 0, needed));
        if (!label) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        } else if (GetTokenInformation(token, TokenIntegrityLevel, label, needed, &needed)) {
            PSID sid = label->Label.Sid;
            const UCHAR count = *GetSidSubAuthorityCount(sid);
            // A label without sub-authorities has no level to read.
            if (count > 0) *level = *GetSidSubAuthority(sid, count - 1);
            SetLastError(0);
        }
    }
    const DWORD result = GetLastError();
    if (label) HeapFree(heap, 0, label);
    if (token) CloseHandle(token);
    if (process) CloseHandle(process);
    return result;
}

DWORD LaunchAsDesktopUser(const wchar_t* path, wchar_t* commandLine, const wchar_t* folder,
                          PROCESS_INFORMATION* out) {
    bool elevated = false;
    if (Lookup("Kernel32", "GetProductInfo")) {
        DWORD level = 0;
        const DWORD err = GetProcessIntegrityLevel(GetCurrentProcessId(), &level);
        if (err != 0) return err;
        elevated = level > kMediumIntegrity;
    }

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!elevated) {
        if (!CreateProcessW(path, commandLine, nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                            &info)) {
            return GetLastError();
        }
        HandOver(info, out);
        return 0;
    }

    auto createWithToken = reinterpret_cast<CreateWithTokenFn>(
        reinterpret_cast<void*>(Lookup("Advapi32", "CreateProcessWithTokenW")));
    if (!createWithToken) return 1;

    HANDLE shellProcess = nullptr;
    HANDLE shellToken = nullptr;
    HANDLE primaryToken = nullptr;
    DWORD shellPid = 0;
    HWND shell = GetShellWindow();
    if (shell) GetWindowThreadProcessId(shell, &shellPid);
    // Without a shell window OpenProcess(0) fails and its error is the result.
    shellProcess = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, shellPid);
    bool launched = false;
    if (shellProcess && OpenProcessToken(shellProcess, TOKEN_DUPLICATE, &shellToken) &&
        DuplicateTokenEx(shellToken, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary,
                         &primaryToken) &&
        createWithToken(primaryToken, 0, path, commandLine, 0, nullptr, folder, &startup, &info)) {
        launched = true;
        SetLastError(0);
    }
    const DWORD result = GetLastError();
    if (primaryToken) CloseHandle(primaryToken);
    if (shellToken) CloseHandle(shellToken);
    if (shellProcess) CloseHandle(shellProcess);
    if (launched) {
        HandOver(info, out);
    } else if (!out) {
        HandOver(info, nullptr);
    }
    return result;
}

namespace {

void ShellOpenHere(const std::wstring& target) {
    ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

void StartForDesktopUser(const std::wstring& path) {
    if (path.empty()) return;
    if (LaunchAsDesktopUser(path.c_str(), nullptr, nullptr, nullptr) == 0) return;
    ShellOpenHere(path);
}

void OpenAddressForDesktopUser(const std::wstring& address) {
    if (address.empty()) return;
    wchar_t windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        const std::wstring explorer = std::wstring(windows, length) + L"\\explorer.exe";
        std::wstring commandLine = L"\"" + explorer + L"\" \"" + address + L"\"";
        if (LaunchAsDesktopUser(explorer.c_str(), &commandLine[0], nullptr, nullptr) == 0) return;
    }
    ShellOpenHere(address);
}
