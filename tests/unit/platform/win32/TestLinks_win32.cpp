#include <windows.h>
// winioctl.h needs the types of windows.h.
#include <winioctl.h>

#include <cstddef>
#include <vector>

#include "../TestLinks.h"

namespace {

constexpr DWORD kAllowUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE

// Only a name the system really shows as a reparse point counts: some Wine versions answer
// CreateSymbolicLinkW with success without making anything.
bool IsReparsePoint(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The mount-point reparse buffer, which mingw's headers do not declare.
struct MountPointBuffer {
    DWORD m_tag;
    WORD m_dataLength;
    WORD m_reserved;
    WORD m_substituteOffset;
    WORD m_substituteLength;
    WORD m_printOffset;
    WORD m_printLength;
    wchar_t m_paths[1];
};

bool MakeJunction(const std::wstring& link, const std::wstring& target) {
    if (!CreateDirectoryW(link.c_str(), nullptr)) return false;
    HANDLE folder = CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    bool made = false;
    if (folder != INVALID_HANDLE_VALUE) {
        const std::wstring substitute = L"\\??\\" + target;
        const WORD substituteBytes = static_cast<WORD>(substitute.size() * sizeof(wchar_t));
        std::vector<char> bytes(offsetof(MountPointBuffer, m_paths) + substituteBytes + 2 * sizeof(wchar_t));
        auto* buffer = reinterpret_cast<MountPointBuffer*>(bytes.data());
        buffer->m_tag = IO_REPARSE_TAG_MOUNT_POINT;
        buffer->m_dataLength = static_cast<WORD>(bytes.size() - 8);
        buffer->m_substituteLength = substituteBytes;
        buffer->m_printOffset = static_cast<WORD>(substituteBytes + sizeof(wchar_t));
        memcpy(buffer->m_paths, substitute.c_str(), substituteBytes);
        DWORD returned = 0;
        made = DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, bytes.data(),
                               static_cast<DWORD>(bytes.size()), nullptr, 0, &returned, nullptr) != FALSE;
        CloseHandle(folder);
    }
    if (!made || !IsReparsePoint(link)) {
        RemoveDirectoryW(link.c_str());
        return false;
    }
    return true;
}

}  // namespace

bool MakeFolderLink(const std::wstring& link, const std::wstring& target) {
    if (CreateSymbolicLinkW(link.c_str(), target.c_str(),
                            SYMBOLIC_LINK_FLAG_DIRECTORY | kAllowUnprivileged) &&
        IsReparsePoint(link))
        return true;
    return MakeJunction(link, target);
}

bool MakeFileLink(const std::wstring& link, const std::wstring& target) {
    return CreateSymbolicLinkW(link.c_str(), target.c_str(), kAllowUnprivileged) && IsReparsePoint(link);
}
