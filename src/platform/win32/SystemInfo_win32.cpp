#include <shlobj.h>
#include <windows.h>

#include "platform/Files.h"
#include "platform/Strings.h"
#include "platform/SystemInfo.h"

namespace {

int32_t g_osVersion = -1;

using RtlGetNtVersionNumbersFn = void(WINAPI*)(DWORD*, DWORD*, DWORD*);

// Looked up once and kept: ntdll is loaded into every process and never goes away.
RtlGetNtVersionNumbersFn GetNtVersionNumbersFn() {
    static RtlGetNtVersionNumbersFn fn = [] {
        HMODULE ntdll = LoadLibraryW(L"ntdll.dll");
        if (!ntdll) return static_cast<RtlGetNtVersionNumbersFn>(nullptr);
        return reinterpret_cast<RtlGetNtVersionNumbersFn>(
            reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetNtVersionNumbers")));
    }();
    return fn;
}

uint32_t RealMajorVersion() {
    RtlGetNtVersionNumbersFn fn = GetNtVersionNumbersFn();
    if (!fn) return 0;
    DWORD major = 0, minor = 0, build = 0;
    fn(&major, &minor, &build);
    return major;
}

// The mount paths of one volume, in the order the system gives them.
void AppendMountPaths(const wchar_t* volumeName, std::vector<std::wstring>& out) {
    std::vector<wchar_t> buffer(MAX_PATH, L'\0');
    DWORD needed = 0;
    BOOL ok = GetVolumePathNamesForVolumeNameW(volumeName, buffer.data(), static_cast<DWORD>(buffer.size()),
                                               &needed);
    if (!ok && GetLastError() == ERROR_MORE_DATA && needed > 0) {
        buffer.assign(needed, L'\0');
        ok = GetVolumePathNamesForVolumeNameW(volumeName, buffer.data(), static_cast<DWORD>(buffer.size()),
                                              &needed);
    }
    if (!ok) return;
    // A list of NUL-terminated names closed by an empty one.
    for (const wchar_t* p = buffer.data(); p < buffer.data() + buffer.size() && *p; p += wcslen(p) + 1) {
        out.emplace_back(p);
    }
}

std::vector<std::wstring> CollectMountPaths() {
    std::vector<std::wstring> mountPaths;
    wchar_t volumeName[MAX_PATH] = {};
    HANDLE find = FindFirstVolumeW(volumeName, MAX_PATH);
    if (find == INVALID_HANDLE_VALUE) return mountPaths;
    do {
        const size_t len = wcslen(volumeName);
        if (len >= 5 && wcsncmp(volumeName, L"\\\\?\\", 4) == 0 && volumeName[len - 1] == L'\\') {
            AppendMountPaths(volumeName, mountPaths);
        }
    } while (FindNextVolumeW(find, volumeName, MAX_PATH));
    FindVolumeClose(find);
    return mountPaths;
}

std::wstring WindowsDriveRoot() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_WINDOWS, nullptr, 0, folder))) return std::wstring();
    const auto pieces = SplitByChars(std::wstring(folder), L"\\");
    if (pieces.empty()) return std::wstring();
    return pieces[0] + L"\\";
}

}  // namespace

int32_t GetOsVersion() {
    if (g_osVersion != -1) return g_osVersion;
    g_osVersion = OS_OTHER;
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return g_osVersion;
#pragma GCC diagnostic pop
    g_osVersion =
        ClassifyOsVersion(info.dwMajorVersion, info.dwMinorVersion, info.wServicePackMajor, RealMajorVersion);
    return g_osVersion;
}

uint64_t GetDriveFreeSpace(const std::wstring& path) {
    const auto pieces = SplitByChars(path, L"\\");
    if (pieces.empty()) return 0;
    const std::wstring root = pieces[0] + L"\\";
    const UINT type = GetDriveTypeW(root.c_str());
    if (type != DRIVE_REMOVABLE && type != DRIVE_FIXED) return 0;
    ULARGE_INTEGER available = {}, total = {}, totalFree = {};
    if (!GetDiskFreeSpaceExW(root.c_str(), &available, &total, &totalFree)) return 0;
    return available.QuadPart;
}

std::wstring GetBestInstallDrive() {
    std::wstring result = PickInstallDrive(CollectMountPaths(), GetDriveFreeSpace);
    if (result.empty()) result = GetWorkDir();
    if (result.empty()) result = WindowsDriveRoot();
    return result;
}
