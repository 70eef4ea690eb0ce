#include "platform/SystemInfo.h"

#include "platform/FilesBackend.h"
#include "platform/Strings.h"

int32_t ClassifyOsVersion(uint32_t major, uint32_t minor, uint32_t servicePackMajor,
                          const std::function<uint32_t()>& realMajor) {
    if (major == 5 && minor == 1) return OS_XP;
    if (major != 6) return OS_OTHER;
    if (minor == 0) return OS_VISTA;
    if (minor == 1) return servicePackMajor > 0 ? OS_WIN7_SP : OS_WIN7;
    return realMajor && realMajor() == 10 ? OS_WIN10 : OS_WIN8;
}

bool CanCreateFolderAt(const std::wstring& root) {
    // Under Wine a drive letter can map onto the Linux root, where anything may already carry the
    // probe's name. Only a folder made by this very call is removed again, and only while it is
    // still empty; a taken name moves the probe on to the next one in a short, fixed run.
    constexpr int kProbeNames = 64;
    for (int i = 0; i < kProbeNames; ++i) {
        std::wstring probe = root + L"vandorel";
        if (i > 0) probe += L"." + Utf8ToWide(Int64ToText(i));
        const int made = MakeNewDir(probe);
        if (made == 0) continue;
        if (made < 0) return false;
        RemoveEmptyDir(probe);
        return true;
    }
    return false;
}

std::wstring PickInstallDrive(const std::vector<std::wstring>& mountPaths,
                              const std::function<uint64_t(const std::wstring&)>& freeSpace) {
    uint64_t best = 0;
    std::wstring result;
    for (const auto& mountPath : mountPaths) {
        const uint64_t free = freeSpace(mountPath);
        if (free > best && CanCreateFolderAt(mountPath)) {
            best = free;
            result = mountPath;
        }
    }
    return result;
}
