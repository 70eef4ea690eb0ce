// The installed product as its own setup program recorded it in the uninstall entry. No lock:
// Refresh belongs to the main thread, and other threads only ask for file versions.
#pragma once

#include <string>

#include "pkginfo/AppInfo.h"

class CAppInfo : public IAppInfo {
public:
    CAppInfo();
    CAppInfo(const CAppInfo&) = delete;
    CAppInfo& operator=(const CAppInfo&) = delete;
    virtual ~CAppInfo() = default;

    bool Refresh() override;
    const std::wstring& GetExePath() override { return m_exePath; }
    const std::wstring& GetVersion() override { return m_version; }
    std::wstring GetFileVersion(const std::wstring& path) override;

    // The executable named by the uninstall entry, or empty when there is none or it does not
    // exist.
    std::wstring ReadDisplayIcon();

private:
    std::wstring m_exePath;
    std::wstring m_version;
};
