// The folder logic shared by both backends: tree removal on top of the enumeration API, the
// work folder and the per-run folder.
#include "platform/Files.h"

#include <ctime>

#include "platform/FilesBackend.h"
#include "platform/Strings.h"

bool RemoveDirTree(const std::wstring& path) {
    if (path.empty()) return false;
    // The elevated installer empties a folder that the user's own programs can write: a link
    // planted in it would otherwise have this process empty the link's target. A link goes
    // itself, is never entered. The name loses its trailing separators first, because through
    // "link/" the system looks at the target instead of the link.
    std::wstring name = path;
    while (name.size() > 1 && (name.back() == L'\\' || name.back() == L'/')) name.pop_back();
    if (const int link = RemoveIfLink(name)) return link > 0;
    if (FileFindPtr entry{FindFirstEntry(path, L"*")}) {
        do {
            std::wstring child = GetEntryPath(entry.get());
            if (IsEntryDir(entry.get()))
                RemoveDirTree(child);
            else
                RemoveFile(child);
        } while (FindNextEntry(entry.get()));
    } else if (!DirExists(path)) {
        if (FileExists(path)) RemoveFile(path);
        return true;
    }
    return RemoveEmptyDir(path);
}

std::wstring GetWorkDir() {
    static std::wstring workDir;
    if (!workDir.empty()) return workDir;
    std::wstring appData = QueryAppDataFolder();
    if (appData.empty()) return workDir;
    workDir = WithTrailingSlash(appData) + L"kelvora\\";
    if (!DirExists(workDir)) CreateDirectories(workDir);
    return workDir;
}

namespace {

// The run folder holds the skin this elevated process unpacks and then trusts, so it must be a
// folder this process made itself: a name that already exists (planted, or another copy started
// in the same second) is never reused, and another name is tried instead.
class RunFolder {
public:
    RunFolder() {
        std::wstring work = GetWorkDir();
        if (work.empty()) return;
        std::wstring base = work + L"vandorel_" + AnsiToWide(Int64ToText(static_cast<int64_t>(time(nullptr))));
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::wstring candidate = base;
            if (attempt > 0)
                candidate += L"_" + AnsiToWide(Int64ToText(ThisProcessId())) + L"_" +
                             AnsiToWide(Int64ToText(attempt));
            int made = MakeNewDir(candidate);
            if (made > 0) {
                m_path = WithTrailingSlash(candidate);
                return;
            }
            if (made < 0) return;  // the work folder itself is unusable
        }
    }
    ~RunFolder() {
        RemoveDirTree(m_path);
        m_path.clear();
    }
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
};

RunFolder& TheRunFolder() {
    static RunFolder folder;
    return folder;
}

// Made before the entry function runs, as the skin loader expects it to exist from the start.
const bool g_runFolderMade = (TheRunFolder(), true);

}  // namespace

std::wstring GetRunDir() { return TheRunFolder().Path(); }
