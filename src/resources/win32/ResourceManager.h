// The one implementation of IResourceMgr. Visible to tests so they can watch the constructor's
// failure message; everybody else goes through CreateResourceMgr.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "resources/ResourceMgr.h"

struct ImageEntry {
    std::wstring m_path;  // folder and file name
    std::wstring m_name;  // the file name alone: the lookup key
    Gdiplus::Image* m_pImage = nullptr;

    ImageEntry() = default;
    ImageEntry(const ImageEntry&) = delete;
    ImageEntry& operator=(const ImageEntry&) = delete;
    ~ImageEntry();
};

class CResourceManager final : public IResourceMgr {
public:
    // Starts GDI+, then makes the pictures available: an images folder already in the run
    // folder, else Resource.zip there, else the resource written out as Resource.zip.
    // Throws "make dir failed" or "load resource error" (also when there is no run folder).
    CResourceManager(const wchar_t* name, const wchar_t* type, const std::wstring& runFolder = GetRunDir());
    CResourceManager(const CResourceManager&) = delete;
    CResourceManager& operator=(const CResourceManager&) = delete;

    Gdiplus::Image* GetImage(const wchar_t* name) override;
    void Release() override;

    size_t GetEntryCount() const { return m_entries.size(); }

private:
    ~CResourceManager();

    bool LoadImageFolder();
    bool ExtractArchive();
    bool WriteArchive(const wchar_t* name, const wchar_t* type);

    const std::wstring m_imagesFolder;
    const std::wstring m_archivePath;
    std::vector<std::unique_ptr<ImageEntry>> m_entries;
    ULONG_PTR m_gdiplusToken = 0;
};

// Where the pictures and the archive are in this run's folder; empty without a run folder.
std::wstring GetImagesFolder();
std::wstring GetArchivePath();
