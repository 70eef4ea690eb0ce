#include "platform/SystemInfo.h"

#include "platform/Files.h"
#include "platform/Strings.h"

int32_t ClassifyOsVersion(uint32_t major, uint32_t minor, uint32_t servicePackMajor,
                          const std::function<uint32_t()>& realMajor) {
    if (major == 5 && minor == 1) return OS_XP;
    if (major != 6) return OS_OTHER;
    if (minor == 0) return OS_VISTA;
    if (minor == 1) return servicePackMajor > 0 ? OS_WIN7_SP : OS_WIN7;
    return realMajor && realMajor() == 10 ? OS_WIN10 : OS_WIN8;
}

namespace {

bool PathTaken(const std::wstring& path) {
    return DirExists(path) || FileExists(path);
}

}  // namespace

bool CanCreateFolderAt(const std::wstring& root) {
    // Under Wine a drive letter can map onto the Linux root, where anything may already carry the
    // probe's name; a bounded run of alternative names keeps the probe from ever adopting it.
    constexpr int kProbeNames = 64;
    for (int i = 0; i < kProbeNames; ++i) {
        std::wstring probe = root + L"vandorel";
        if (i > 0) probe += L"." + Utf8ToWide(Int64ToText(i));
        if (PathTaken(probe)) continue;
        if (!CreateDirectories(probe)) return false;
        RemoveDirTree(probe);
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
