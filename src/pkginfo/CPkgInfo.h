// The package-information client. Its thread writes the data under the lock strictly before it
// publishes the final state, so whoever sees PKG_READY finds complete data.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "pkginfo/PkgInfo.h"
#include "pkginfo/PkgInfoData.h"
#include "platform/XMutex.h"

class CReadPkgInfoThread;

class CPkgInfo : public IPkgInfo {
public:
    // Starts fetching from the compiled-in server at once.
    CPkgInfo();
    // Starts fetching from the given server (a test's loopback server).
    CPkgInfo(const std::string& host, uint16_t port);
    CPkgInfo(const CPkgInfo&) = delete;
    CPkgInfo& operator=(const CPkgInfo&) = delete;
    virtual ~CPkgInfo();

    int32_t IsReady() override { return m_state.load(); }
    int64_t GetPackageSize() override;
    int64_t GetRequiredSpace() override;
    const char* GetVersion() override;
    int32_t GetUrlCount() override { return 1; }
    const char* GetUrl(int32_t index) override;
    void Reset() override;

    void SetData(const PkgInfoData& data);
    void SetResult(bool ok);

private:
    std::atomic<int32_t> m_state{PKG_PENDING};
    CXMutex m_lock;
    PkgInfoData m_data;
    CReadPkgInfoThread* m_pThread = nullptr;
};
