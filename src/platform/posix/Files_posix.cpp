#include <dirent.h>
#include <errno.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/Files.h"
#include "platform/FilesBackend.h"
#include "platform/Strings.h"
#include "platform/posix/PosixPath.h"

struct FileFindState {
    std::wstring m_folder;
    std::string m_pattern;
    DIR* m_hFind = nullptr;
    std::wstring m_name;
    bool m_bDir = false;
};

namespace {

// Moves to the next entry matching the pattern, "." and ".." excluded.
bool ReadMatching(FileFindState* state) {
    while (dirent* entry = readdir(state->m_hFind)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (fnmatch(state->m_pattern.c_str(), name.c_str(), 0) != 0) continue;
        state->m_name = Utf8ToWide(name);
        struct stat st;
        std::string full = ToPosixPath(state->m_folder) + name;
        state->m_bDir = lstat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        return true;
    }
    return false;
}

}  // namespace

bool DirExists(const std::wstring& path) {
    if (path.empty()) return false;
    struct stat st;
    return stat(ToPosixPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDirectories(const std::wstring& path) {
    std::string target = ToPosixPath(path);
    std::vector<std::string> pieces = SplitByChars(target, "/");
    std::string prefix = (!target.empty() && target[0] == '/') ? "/" : "";
    for (const std::string& piece : pieces) {
        prefix += piece + "/";
        if (mkdir(prefix.c_str(), 0755) != 0 && (errno == ENOENT || errno == ENOTDIR)) break;
    }
    return DirExists(path);
}

bool FileExists(const std::wstring& path) {
    struct stat st;
    return !path.empty() && stat(ToPosixPath(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

uint64_t GetFileLength(const std::wstring& path) {
    struct stat st;
    if (path.empty() || stat(ToPosixPath(path).c_str(), &st) != 0) return 0;
    return static_cast<uint64_t>(st.st_size);
}

bool RemoveFile(const std::wstring& path) {
    struct stat st;
    std::string target = ToPosixPath(path);
    if (path.empty() || lstat(target.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return unlink(target.c_str()) == 0;
}

FileFindState* FindFirstEntry(const std::wstring& folder, const std::wstring& pattern) {
    auto* state = new FileFindState;
    state->m_folder = WithTrailingSlash(folder);
    state->m_pattern = WideToUtf8(pattern);
    state->m_hFind = opendir(ToPosixPath(state->m_folder).c_str());
    if (!state->m_hFind || !ReadMatching(state)) {
        CloseFind(state);
        return nullptr;
    }
    return state;
}

std::wstring GetEntryPath(const FileFindState* state) {
    return state ? state->m_folder + state->m_name : std::wstring();
}

bool IsEntryDir(const FileFindState* state) { return state && state->m_bDir; }

bool FindNextEntry(FileFindState* state) { return state && ReadMatching(state); }

void CloseFind(FileFindState* state) {
    if (!state) return;
    if (state->m_hFind) closedir(state->m_hFind);
    delete state;
}

std::wstring QueryAppDataFolder() {
    if (const char* xdg = getenv("XDG_DATA_HOME"); xdg && *xdg) return Utf8ToWide(xdg);
    if (const char* home = getenv("HOME"); home && *home) return Utf8ToWide(std::string(home) + "/.local/share");
    return std::wstring();
}

int RemoveIfLink(const std::wstring& path) {
    struct stat st;
    const std::string target = ToPosixPath(path);
    if (lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return 0;
    return unlink(target.c_str()) == 0 ? 1 : -1;
}

bool RemoveEmptyDir(const std::wstring& path) { return rmdir(ToPosixPath(path).c_str()) == 0; }

int MakeNewDir(const std::wstring& path) {
    if (mkdir(ToPosixPath(path).c_str(), 0700) == 0) return 1;
    return errno == EEXIST ? 0 : -1;
}

int64_t ThisProcessId() { return static_cast<int64_t>(getpid()); }
