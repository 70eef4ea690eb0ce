// Facts about the machine: the Windows version class, free drive space and the drive on which a
// default installation folder is proposed. Nothing here throws; failure shows as OS_OTHER, 0 or
// an empty path.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum : int32_t {
    OS_XP = 0,
    OS_VISTA = 1,
    OS_WIN7 = 2,
    OS_WIN7_SP = 3,
    OS_WIN8 = 4,
    OS_WIN10 = 5,
    OS_OTHER = 6,
};

// Computed once per process (on the main thread, before any worker can ask).
int32_t GetOsVersion();
// Bytes free to the calling user on the drive of `path` (the drive letter that begins it, not a
// volume mounted below it); 0 for network, optical and RAM drives, relative paths and failures.
uint64_t GetDriveFreeSpace(const std::wstring& path);
// Root of the writable drive with the most free space, else the work folder, else the root of
// the Windows drive; empty when all of that failed.
std::wstring GetBestInstallDrive();

// The classification behind GetOsVersion, given what the system reported. `realMajor` is the
// major number from the kernel's own version query, 0 when that query is unavailable; it is only
// consulted for 6.2 and later, which is all a program without a newer manifest is told.
int32_t ClassifyOsVersion(uint32_t major, uint32_t minor, uint32_t servicePackMajor,
                          const std::function<uint32_t()>& realMajor);

// Whether a folder can be made directly under `root` (which ends with a separator). Proves it by
// making a probe folder and removing it again; a probe name that is already taken belongs to
// somebody else and is left alone, so another unused name is tried instead.
bool CanCreateFolderAt(const std::wstring& root);

// The choice among mount paths: the first one with the strictly largest free space that also
// takes a new folder. Empty when none has free space or none is writable.
std::wstring PickInstallDrive(const std::vector<std::wstring>& mountPaths,
                              const std::function<uint64_t(const std::wstring&)>& freeSpace);
