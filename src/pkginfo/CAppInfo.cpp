#include "pkginfo/CAppInfo.h"

#include "platform/Files.h"

CAppInfo::CAppInfo() {
    Refresh();
}

bool CAppInfo::Refresh() {
    try {
        m_exePath.clear();
        m_version.clear();
        m_exePath = ReadDisplayIcon();
        if (!FileExists(m_exePath)) m_exePath.clear();
        if (!m_exePath.empty()) m_version = GetFileVersion(m_exePath);
        return true;
    } catch (...) {
        return false;
    }
}

IAppInfo* GetAppInfo() {
    // A static whose construction throws counts as not initialised, so the next call tries again.
    try {
        static CAppInfo instance;
        return &instance;
    } catch (...) {
        return nullptr;
    }
}
