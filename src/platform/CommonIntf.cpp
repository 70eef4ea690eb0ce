#include "platform/CommonIntf.h"

#include <atomic>
#include <new>

namespace {
std::atomic<CCommonIntf*> g_commonIntf{nullptr};
// Worker threads that are cut off at exit (the package-information fetch) may have read the
// pointer just before shutdown, so a destroyed object is retired, not freed: it stays valid
// until the process ends, and GetCommonIntf no longer hands it out.
std::atomic<CCommonIntf*> g_retired{nullptr};
bool g_screenScaleComputed = false;
}  // namespace

bool CreateCommonIntf() {
    if (!g_commonIntf.load()) {
        try {
            g_commonIntf.store(new CCommonIntf);
        } catch (...) {
        }
    }
    return g_commonIntf.load() != nullptr;
}

void DestroyCommonIntf() {
    CCommonIntf* old = g_commonIntf.exchange(nullptr);
    if (old) delete g_retired.exchange(old);
}

CCommonIntf* GetCommonIntf() { return g_commonIntf.load(); }

double CCommonIntf::GetScreenScale() {
    if (!g_screenScaleComputed) {
        m_screenScale = QueryScreenScale();
        g_screenScaleComputed = true;
    }
    return m_screenScale;
}

ProxySetting CCommonIntf::GetProxySetting() {
    CXMutexGuard guard(m_lock);
    return m_proxy;
}

void CCommonIntf::SetProxySetting(const ProxySetting& setting) {
    CXMutexGuard guard(m_lock);
    m_proxy = setting;
}

DnsSetting CCommonIntf::GetDnsSetting() {
    CXMutexGuard guard(m_lock);
    return m_dns;
}

void CCommonIntf::SetDnsSetting(const DnsSetting& setting) {
    CXMutexGuard guard(m_lock);
    m_dns = setting;
}
