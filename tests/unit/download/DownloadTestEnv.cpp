#include "DownloadTestEnv.h"

#include <cstdio>
#include <random>

#include "net/Dns.h"
#include "net/TCPClient.h"
#include "platform/CommonIntf.h"
#include "platform/Files.h"
#include "platform/Strings.h"
#include "platform/Timer.h"

namespace dltest {

namespace {

bool LocalOnlyResolver(const char* host, uint32_t& netAddr) {
    if (std::string(host) != "localhost") return false;
    netAddr = MakeNetAddr(127, 0, 0, 1);
    return true;
}

void NoProxy(const std::string&, ProxySetting& setting) {
    setting = ProxySetting();
}

class CSeamEnvironment : public ::testing::Environment {
public:
    void SetUp() override { UseLoopbackOnly(); }
};
::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new CSeamEnvironment);

}  // namespace

void UseLoopbackOnly() {
    SetSystemResolver(&LocalOnlyResolver);
    SetProxyDiscoverer(&NoProxy);
    SetOwnResolverPort(1);
    CreateCommonIntf();
}

std::string MakeContent(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::string content(size, '\0');
    for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>(random() & 0xFF);
    return content;
}

std::wstring ScratchDir(const std::string& name) {
    const std::wstring dir = GetWorkDir() + L"dltest\\" + Utf8ToWide(name) + L"\\";
    RemoveDirTree(dir);
    CreateDirectories(dir);
    return dir;
}

std::string ReadWholeFile(const std::wstring& path) {
    CFileStream file(path, kModeRead);
    std::string bytes(static_cast<size_t>(file.GetSize()), '\0');
    size_t at = 0;
    while (at < bytes.size()) {
        const int32_t n =
            file.Read(&bytes[at], static_cast<int32_t>(std::min<size_t>(bytes.size() - at, 1 << 20)));
        if (n <= 0) break;
        at += static_cast<size_t>(n);
    }
    bytes.resize(at);
    return bytes;
}

DownloadState WaitForEnd(IDownloader* downloader, int timeoutMs) {
    const uint32_t start = GetTickMs();
    DownloadState state = downloader->GetState();
    while (state == DS_RUNNING && static_cast<int32_t>(GetTickMs() - start) < timeoutMs) {
        SleepMs(20);
        state = downloader->GetState();
    }
    return state;
}

CRecordingSink::CRecordingSink(int64_t first, int64_t last) : m_first(first), m_last(last), m_next(first) {}

bool CRecordingSink::WriteRange(int32_t, const void* data, int32_t count, int64_t offset) {
    std::lock_guard<std::mutex> guard(m_lock);
    ++m_writes;
    if (count <= 0 || offset != m_next || offset + count - 1 > m_last) {
        m_bMisplaced = true;
        return false;
    }
    m_bytes.append(static_cast<const char*>(data), static_cast<size_t>(count));
    m_next += count;
    return true;
}

bool CRecordingSink::OnUrlInfo(const UrlInfo& info) {
    std::lock_guard<std::mutex> guard(m_lock);
    ++m_infoCalls;
    m_info = info;
    return true;
}

std::string CRecordingSink::Bytes() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_bytes;
}
bool CRecordingSink::Misplaced() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_bMisplaced;
}
int CRecordingSink::UrlInfoCalls() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_infoCalls;
}
UrlInfo CRecordingSink::LastInfo() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_info;
}
int CRecordingSink::Writes() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_writes;
}

void DownloadTest::SetUp() {
    GetCommonIntf()->SetProxySetting(ProxySetting());
    GetCommonIntf()->SetDnsSetting(DnsSetting());
    GetCommonIntf()->SetChannelTag("");
}

}  // namespace dltest
