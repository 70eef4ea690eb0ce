#include "pkginfo/CReadPkgInfoThread.h"

#include <mutex>
#include <vector>

#include "net/TCPHttp.h"
#include "pkginfo/CPkgInfo.h"
#include "pkginfo/JsonReader.h"
#include "platform/Timer.h"

namespace {

constexpr int kTimeoutMs = 5000;
constexpr int kRetryPauseMs = 300;
const char kPath[] = "/api/softversion";

}  // namespace

CReadPkgInfoThread::CReadPkgInfoThread(CPkgInfo* owner, const std::string& host, uint16_t port)
    : m_pOwner(owner), m_host(host), m_port(port) {
    Resume();
}

CReadPkgInfoThread::~CReadPkgInfoThread() {
    Stop();
}

bool CReadPkgInfoThread::Stop() {
    {
        CXMutexGuard guard(m_ownerLock);
        m_pOwner = nullptr;
    }
    m_bStop = true;
    if (IsSuspended()) Resume();
    if (WaitFor(1)) return true;
    Terminate();
    return false;
}

std::string CReadPkgInfoThread::Fetch() {
    try {
        CTCPHttp http(m_host, m_port);
        http.SetTimeouts(kTimeoutMs, kTimeoutMs);
        return http.HttpGet(m_host, kPath, 0);
    } catch (...) {
        // Resolution, connection and transfer failures all mean "try again".
        return std::string();
    }
}

void CReadPkgInfoThread::Report(const PkgInfoData* data) {
    CXMutexGuard guard(m_ownerLock);
    if (!m_pOwner) return;
    if (data) m_pOwner->SetData(*data);
    m_pOwner->SetResult(data != nullptr);
}

uint32_t CReadPkgInfoThread::Run() {
    try {
        std::string body;
        for (int attempt = 0; !m_bStop && body.empty(); ++attempt) {
            if (attempt > 0) SleepMs(kRetryPauseMs);
            body = Fetch();
            if (m_bStop) throw "user cancel";
        }
        if (m_bStop) throw "user cancel";
        const PkgInfoData data = ParseReply(body);
        Report(&data);
        return 0;
    } catch (...) {
        Report(nullptr);
        return 1;
    }
}

PkgInfoData CReadPkgInfoThread::ParseReply(const std::string& body) {
    CJsonValue root;
    if (!ParseJson(body, root)) throw "parse decrypt data error";
    // A member test on something that is not an object, or a structure read as a number or
    // text, throws; that reports as the step that met it.
    const char* step = "root member not exist";
    try {
        if (!root.IsMember("status") || !root.IsMember("message") || !root.IsMember("data")) throw step;
        step = "code error";
        if (root["status"].AsInt() != 0) throw step;
        step = "data member not exist";
        const CJsonValue& data = root["data"];
        if (!data.IsMember("versionInfo")) throw step;
        const CJsonValue& versionInfo = data["versionInfo"];
        if (!versionInfo.IsMember("version_code") || !versionInfo.IsMember("url")) throw step;
        PkgInfoData result;
        result.m_url = versionInfo["url"].AsString();
        result.m_version = versionInfo["version_code"].AsString();
        return result;
    } catch (const char*) {
        throw step;
    }
}

void AbandonThread(CReadPkgInfoThread* thread) {
    // Reachable from here for good, so nothing frees what a detached thread still runs on.
    // Never destroyed either: this may run while the process's statics are being torn down.
    static auto* lock = new std::mutex();
    static auto* abandoned = new std::vector<CReadPkgInfoThread*>();
    std::lock_guard<std::mutex> guard(*lock);
    abandoned->push_back(thread);
}
