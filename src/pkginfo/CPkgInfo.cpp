#include "pkginfo/CPkgInfo.h"

#include "kelvora_config.h"
#include "pkginfo/CReadPkgInfoThread.h"

CPkgInfo::CPkgInfo() : CPkgInfo(kelvora_config::kPkgInfoHost, kelvora_config::kPkgInfoPort) {}

CPkgInfo::CPkgInfo(const std::string& host, uint16_t port) {
    m_pThread = new CReadPkgInfoThread(this, host, port);
}

CPkgInfo::~CPkgInfo() {
    if (m_pThread->Stop()) {
        delete m_pThread;
    } else {
        AbandonThread(m_pThread);
    }
    m_pThread = nullptr;
}

// The sizes are read under the lock as well: the thread may be storing its reply right then.
int64_t CPkgInfo::GetPackageSize() {
    CXMutexGuard guard(m_lock);
    return m_data.m_packageSize;
}

int64_t CPkgInfo::GetRequiredSpace() {
    CXMutexGuard guard(m_lock);
    return m_data.m_requiredSpace;
}

const char* CPkgInfo::GetVersion() {
    CXMutexGuard guard(m_lock);
    return m_data.m_version.empty() ? nullptr : m_data.m_version.c_str();
}

const char* CPkgInfo::GetUrl(int32_t index) {
    CXMutexGuard guard(m_lock);
    return m_data.m_url.c_str();
}

void CPkgInfo::Reset() {
    CXMutexGuard guard(m_lock);
    m_data.m_version.clear();
    m_data.m_url.clear();
    m_data.m_packageSize = 0;
    m_data.m_requiredSpace = 0;
}

void CPkgInfo::SetData(const PkgInfoData& data) {
    CXMutexGuard guard(m_lock);
    m_data = data;
}

void CPkgInfo::SetResult(bool ok) {
    m_state.store(ok ? PKG_READY : PKG_FAILED);
}

IPkgInfo* GetPkgInfo() {
    // A static whose construction throws counts as not initialised, so the next call tries again.
    try {
        static CPkgInfo instance;
        return &instance;
    } catch (...) {
        return nullptr;
    }
}
