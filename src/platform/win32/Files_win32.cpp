#include <windows.h>
#include <shlobj.h>
#include <sys/stat.h>

#include "platform/Files.h"
#include "platform/FilesBackend.h"
#include "platform/Strings.h"

struct FileFindState {
    std::wstring m_folder;
    WIN32_FIND_DATAW m_data{};
    HANDLE m_hFind = INVALID_HANDLE_VALUE;
};

bool DirExists(const std::wstring& path) {
    if (path.empty()) return false;
    std::wstring probe = path;
    if (probe.back() != L'/' && probe.back() != L'\\') probe += L"/";
    probe += L".";
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
    } else {
        DWORD error = GetLastError();
        if (error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME) return false;
    }
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExW(probe.c_str(), GetFileExInfoStandard, &data) &&
           (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateDirectories(const std::wstring& path) {
    std::vector<std::wstring> pieces = SplitByChars(path, L"\\/");
    std::wstring prefix;
    for (size_t i = 0; i < pieces.size(); ++i) {
        prefix += pieces[i] + L"/";
        if (i == 0) continue;
        if (!CreateDirectoryW(prefix.c_str(), nullptr)) {
            DWORD error = GetLastError();
            if (error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME) break;
        }
    }
    return DirExists(path);
}

bool FileExists(const std::wstring& path) {
    struct _stat64 st;
    return _wstat64(path.c_str(), &st) == 0 && !(st.st_mode & _S_IFDIR);
}

uint64_t GetFileLength(const std::wstring& path) {
    struct _stat64 st;
    if (_wstat64(path.c_str(), &st) != 0) return 0;
    return static_cast<uint64_t>(st.st_size);
}

bool RemoveFile(const std::wstring& path) { return DeleteFileW(path.c_str()) != FALSE; }

FileFindState* FindFirstEntry(const std::wstring& folder, const std::wstring& pattern) {
    auto* state = new FileFindState;
    state->m_folder = WithTrailingSlash(folder);
    state->m_hFind = FindFirstFileW((state->m_folder + pattern).c_str(), &state->m_data);
    if (state->m_hFind == INVALID_HANDLE_VALUE) {
        delete state;
        return nullptr;
    }
    for (int skipped = 0; skipped < 2; ++skipped) {
        std::wstring name = state->m_data.cFileName;
        if (name != L"." && name != L"..") break;
        if (!FindNextFileW(state->m_hFind, &state->m_data)) {
            CloseFind(state);
            return nullptr;
        }
    }
    return state;
}

std::wstring GetEntryPath(const FileFindState* state) {
    return state ? state->m_folder + state->m_data.cFileName : std::wstring();
}

bool IsEntryDir(const FileFindState* state) {
    return state && (state->m_data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FindNextEntry(FileFindState* state) {
    return state && FindNextFileW(state->m_hFind, &state->m_data) != FALSE;
}

void CloseFind(FileFindState* state) {
    if (!state) return;
    if (state->m_hFind != INVALID_HANDLE_VALUE) FindClose(state->m_hFind);
    delete state;
}

std::wstring QueryAppDataFolder() {
    wchar_t buffer[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_APPDATA, FALSE)) return std::wstring();
    return buffer;
}

int RemoveIfLink(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return 0;
    // RemoveDirectoryW on a junction or a folder link removes the link, never the target's content.
    const BOOL removed =
        (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str());
    return removed ? 1 : -1;
}

bool RemoveEmptyDir(const std::wstring& path) { return RemoveDirectoryW(path.c_str()) != FALSE; }

int MakeNewDir(const std::wstring& path) {
    if (CreateDirectoryW(path.c_str(), nullptr)) return 1;
    return GetLastError() == ERROR_ALREADY_EXISTS ? 0 : -1;
}

int64_t ThisProcessId() { return static_cast<int64_t>(GetCurrentProcessId()); }
