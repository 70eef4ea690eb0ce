#include "resources/win32/ResourceManager.h"

#include <algorithm>

#include "platform/FileStream.h"
#include "platform/Files.h"
#include "platform/Strings.h"
#include "resources/GdiPlus.h"
#include "resources/UnZip.h"

namespace {

// Never a relative name: without the run folder, a bare "images\\" or "Resource.zip" would be
// the current folder, usually the user's Downloads, where anybody can have placed pictures.
std::wstring ImagesFolderIn(const std::wstring& runFolder) {
    return runFolder.empty() ? std::wstring() : runFolder + L"images\\";
}
std::wstring ArchivePathIn(const std::wstring& runFolder) {
    return runFolder.empty() ? std::wstring() : runFolder + L"Resource.zip";
}

}  // namespace

std::wstring GetImagesFolder() {
    return ImagesFolderIn(GetRunDir());
}
std::wstring GetArchivePath() {
    return ArchivePathIn(GetRunDir());
}

ImageEntry::~ImageEntry() {
    delete m_pImage;
}

CResourceManager::CResourceManager(const wchar_t* name, const wchar_t* type, const std::wstring& runFolder)
    : m_imagesFolder(ImagesFolderIn(runFolder)), m_archivePath(ArchivePathIn(runFolder)) {
    if (runFolder.empty()) throw "load resource error";
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &input, nullptr);
    if (LoadImageFolder() || ExtractArchive()) return;
    if (WriteArchive(name, type)) return;
    throw "load resource error";
}

CResourceManager::~CResourceManager() = default;

void CResourceManager::Release() {
    const ULONG_PTR token = m_gdiplusToken;
    // Every picture must be gone before GDI+ stops.
    m_entries.clear();
    delete this;
    Gdiplus::GdiplusShutdown(token);
}

bool CResourceManager::LoadImageFolder() {
    const std::wstring& folder = m_imagesFolder;
    if (!DirExists(folder)) {
        if (!CreateDirectories(folder)) throw "make dir failed";
        return false;
    }
    m_entries.clear();
    FileFindPtr find(FindFirstEntry(folder, L"*"));
    for (bool more = find != nullptr; more; more = FindNextEntry(find.get())) {
        if (IsEntryDir(find.get())) continue;
        auto entry = std::make_unique<ImageEntry>();
        entry->m_path = GetEntryPath(find.get());
        entry->m_name = GetPathFileName(entry->m_path);
        m_entries.push_back(std::move(entry));
    }
    // A count other than kExpectedImageCount is a packaging mistake; the skin then simply
    // lacks the missing pictures, which the widgets tolerate.
    std::sort(m_entries.begin(), m_entries.end(),
              [](const std::unique_ptr<ImageEntry>& a, const std::unique_ptr<ImageEntry>& b) {
                  return a->m_name < b->m_name;
              });
    return !m_entries.empty();
}

bool CResourceManager::ExtractArchive() {
    const std::wstring& archive = m_archivePath;
    if (!FileExists(archive) || GetFileLength(archive) == 0) return false;
    if (UnzipAll(m_imagesFolder, archive) != 0) return false;
    return LoadImageFolder();
}

bool CResourceManager::WriteArchive(const wchar_t* name, const wchar_t* type) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, name, type);
    if (!found) return false;
    const DWORD size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return false;
    try {
        CFileStream stream(m_archivePath, kModeCreate);
        if (stream.Write(bytes, static_cast<int32_t>(size)) != static_cast<int32_t>(size)) return false;
    } catch (const char*) {
        return false;
    }
    FreeResource(loaded);
    return ExtractArchive();
}

Gdiplus::Image* CResourceManager::GetImage(const wchar_t* name) {
    if (!name) return nullptr;
    const std::wstring key = name;
    size_t lo = 0, hi = m_entries.size();
    // Half-open bounds: the same search without the signed underflow of "count - 1".
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        ImageEntry& entry = *m_entries[mid];
        if (entry.m_name == key) {
            if (!entry.m_pImage) entry.m_pImage = new Gdiplus::Image(entry.m_path.c_str(), FALSE);
            return entry.m_pImage;
        }
        if (key < entry.m_name) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    return nullptr;
}

IResourceMgr* CreateResourceMgr(const wchar_t* name, const wchar_t* type) {
    try {
        return new CResourceManager(name, type);
    } catch (...) {
        return nullptr;
    }
}
