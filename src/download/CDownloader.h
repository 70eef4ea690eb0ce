// The downloader behind IDownloader: owns the query thread, the target file, the range table and
// one worker per unfinished range. Workers write through WriteRange under m_lock; the polling
// thread advances the state in GetState.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "download/CDownloadThread.h"
#include "download/CGetUrlInfoThread.h"
#include "download/Downloader.h"
#include "download/Sinks.h"
#include "platform/FileStream.h"
#include "platform/XMutex.h"

struct RangeInfo {
    std::string m_url;
    CDownloadThread* m_pWorker = nullptr;
    int64_t m_start = 0;  // next offset not yet written; the range is complete once above m_end
    int64_t m_end = -1;   // last offset, inclusive
};

// The download names that the second number of the installer's own ProductVersion selects.
struct ChannelFileName {
    int m_second;
    const wchar_t* m_name;
};
extern const ChannelFileName kChannelFileNames[4];
// The name for a version text "a.b.c.d" whose b is in the table; empty otherwise.
std::wstring ChannelFileNameForVersion(const std::wstring& version);

class CDownloader final : public IDownloader, public IUrlInfoSink, public IRangeSink {
public:
    CDownloader(const DownloadConfig* config, const wchar_t* filePath, const char* url);
    CDownloader(const CDownloader&) = delete;
    CDownloader& operator=(const CDownloader&) = delete;

    bool Start() override;
    bool Reserved1() override { return false; }
    bool Reserved2() override { return false; }
    bool Reserved3() override { return false; }
    int32_t GetProgress() override;
    DownloadState GetState() override;
    void Release() override;
    const wchar_t* GetFilePath() override;
    std::string GetUrl() override;

    bool OnUrlInfo(const UrlInfo& info) override;
    bool WriteRange(int32_t index, const void* data, int32_t count, int64_t offset) override;

    // The address the query asks instead of kDownloadUrl, for tests and the benchmark, which run
    // their own servers. Set before Start.
    void SetQueryUrl(const std::string& url) { m_queryUrl = url; }
    // How the target file is created (a CFileStream in kModeCreate unless a test replaces it
    // with a stream that misbehaves). Set before Start.
    using FileOpener = std::function<ISarnovikStream*(const std::wstring& path)>;
    void SetFileOpener(FileOpener opener) { m_openFile = std::move(opener); }
    // How the free bytes of the download folder's drive are measured (GetDriveFreeSpace unless a
    // test replaces it). Set before Start.
    using FreeSpaceProbe = std::function<uint64_t(const std::wstring& path)>;
    void SetFreeSpaceProbe(FreeSpaceProbe probe) { m_freeSpace = std::move(probe); }
    // A copy of the range table, taken under the lock.
    std::vector<RangeInfo> GetRanges();
    int64_t GetDownloaded() const { return m_downloaded.load(); }
    // Writes refused because they did not start at their range's next offset or ran past its end.
    int32_t GetMisplacedWrites() const { return m_misplacedWrites.load(); }

private:
    ~CDownloader();
    bool StartWorkers();
    void StopWorkers();
    void CloseFile();

    std::atomic<int32_t> m_state{DS_IDLE};
    std::string m_url;
    CXMutex m_lock;
    std::wstring m_filePath;
    std::atomic<int64_t> m_fileSize{0};
    std::atomic<int64_t> m_downloaded{0};
    ISarnovikStream* m_pFile = nullptr;
    DownloadConfig m_config;
    std::unique_ptr<QueryUrlInfoThread> m_pQueryThread;
    std::vector<RangeInfo> m_ranges;

    std::string m_queryUrl = kDownloadUrl;
    FileOpener m_openFile;
    FreeSpaceProbe m_freeSpace;
    std::atomic<int32_t> m_misplacedWrites{0};
    bool m_bSocketsStarted = false;
};
