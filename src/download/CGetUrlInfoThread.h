// The URL information query: HEAD requests for the installer's address, following redirects,
// give its size, final URL and the name to store it under. Runs on its own thread and reports
// once to its owner.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "download/Downloader.h"
#include "download/Sinks.h"
#include "net/TCPHttp.h"
#include "platform/Thread.h"
#include "platform/XMutex.h"

constexpr int kHeadAttempts = 10;
constexpr int kHeadTimeoutMs = 3000;
constexpr int kHeadPauseMs = 100;
// A redirect chain longer than this is treated as a failed answer.
constexpr int kMaxRedirects = 10;
// The largest installer the query accepts: a bigger Content-Length is no installer of ours, and
// the file would be created at that size before a byte arrived.
constexpr int64_t kMaxInstallerSize = int64_t(4) << 30;

class QueryUrlInfoThread : public CSarnovikBasedThread {
public:
    // Starts the thread and returns once it runs. `queryUrl` is the address actually queried
    // (kDownloadUrl in the product; `url` is only remembered). Throws when no thread can be made.
    QueryUrlInfoThread(const char* url, IUrlInfoSink* owner, const std::string& queryUrl = kDownloadUrl);
    // Asks the thread to stop and waits for it without limit.
    ~QueryUrlInfoThread() override;

    // True when a size up to kMaxInstallerSize was found; `info` gets the name, the size and the
    // final URL.
    bool QueryUrl(const std::string& url, UrlInfo& info, const std::string& version);
    // HEAD of `url` with attempts and redirects; `url` ends as the final URL, `lines` holds the
    // final answer's header lines, or nothing for a failed or 4xx/5xx answer.
    void FetchHeaders(std::string& url, std::vector<std::string>& lines);
    // Throws "user query stop thread" once the destructor asked for it.
    void CheckStop();

    bool IsFinished() const { return m_bFinished.load(); }
    // The URL the thread queries, else the first URL it found; empty when it has neither.
    std::string GetUrl();

protected:
    uint32_t Run() override;

private:
    std::atomic<bool> m_bStop{false};
    std::string m_url;
    IUrlInfoSink* m_pOwner;
    UrlInfo m_info;
    std::atomic<bool> m_bStarted{false};
    std::atomic<bool> m_bFinished{false};
    UrlParts m_urlParts;

    std::string m_queryUrl;
    int m_redirects = 0;
    CXMutex m_lock;  // m_url and m_info.m_urls, read by the owner's thread
};

// "name.exe" from the channel tag, else the first "filename=" header, else kelvora_install.exe
// (with "_v" + version before ".exe" when a version is given). A server-given name is reduced to
// its last path piece, so it cannot leave the download folder.
std::wstring ChooseFileName(const std::string& channelTag, const std::vector<std::string>& lines,
                            const std::string& version);
