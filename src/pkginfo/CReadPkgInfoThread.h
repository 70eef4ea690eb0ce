// The one fetch of the package information: retries until a body arrives or it is stopped,
// then parses it once and reports to its owner.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "pkginfo/PkgInfoData.h"
#include "platform/Thread.h"
#include "platform/XMutex.h"

class CPkgInfo;

class CReadPkgInfoThread : public CSarnovikBasedThread {
public:
    // Running when the constructor returns.
    CReadPkgInfoThread(CPkgInfo* owner, const std::string& host, uint16_t port);
    virtual ~CReadPkgInfoThread();

    // Cuts the owner off, asks the thread to stop and gives it 1 ms; a thread that is still busy
    // (blocked in a network call) is let go to end on its own or with the process. Returns false
    // in that case: the object must then be handed to AbandonThread instead of being deleted,
    // because the thread still runs on it.
    bool Stop();

    // Throws "parse decrypt data error", "root member not exist", "code error" or
    // "data member not exist".
    static PkgInfoData ParseReply(const std::string& body);

protected:
    uint32_t Run() override;

private:
    std::string Fetch();
    void Report(const PkgInfoData* data);

    std::atomic<bool> m_bStop{false};
    CPkgInfo* m_pOwner;  // guarded by m_ownerLock; null once the owner is gone
    CXMutex m_ownerLock;
    const std::string m_host;
    const uint16_t m_port;
};

// Keeps a thread object that was cut off alive for the rest of the process.
void AbandonThread(CReadPkgInfoThread* thread);
