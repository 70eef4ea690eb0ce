#include <sys/statvfs.h>

#include <string>

#include "platform/Files.h"
#include "platform/Strings.h"
#include "platform/SystemInfo.h"
#include "platform/posix/PosixPath.h"

int32_t GetOsVersion() {
    return OS_OTHER;
}

uint64_t GetDriveFreeSpace(const std::wstring& path) {
    std::string native = ToPosixPath(path);
    if (native.empty() || native[0] != '/') return 0;
    // A proposed installation folder usually does not exist yet: measure the nearest existing
    // folder above it, which lives on the same file system.
    while (true) {
        struct statvfs st = {};
        if (statvfs(native.c_str(), &st) == 0) {
            return static_cast<uint64_t>(st.f_bavail) * static_cast<uint64_t>(st.f_frsize);
        }
        const size_t slash = native.find_last_of('/');
        if (slash == std::string::npos || native == "/") return 0;
        native.erase(slash == 0 ? 1 : slash);
    }
}

// There are no drive letters to choose from: the work folder is the proposal.
std::wstring GetBestInstallDrive() {
    return GetWorkDir();
}
