// The download engine as the progress page sees it: one object that learns the installer's size
// and address, creates the file at full size in the download folder, fetches it in byte ranges on
// worker threads and, after a failure, resumes with only the bytes still missing.
#pragma once

#include <cstdint>
#include <string>

#include "kelvora_config.h"

enum DownloadState : int32_t {
    DS_IDLE = 0,
    DS_RUNNING = 1,
    DS_CANCELLED = 3,
    DS_FINISHED = 4,
    DS_FAILED = 5,
};

struct DownloadConfig {
    int32_t m_threadCount = 1;  // ranges and workers
    int32_t m_timeout = 2000;   // receive and send time-out of every worker, milliseconds
    int32_t m_retryCount = 20;  // attempts per worker
};

// The product installer's address. The client ignores the scheme: it is fetched as plain HTTP.
inline const std::string kDownloadUrl =
    std::string("https://") + kelvora_config::kContentHost + "/kelvora/Kelvora_install.exe";

class IDownloader {
public:
    // True when the download runs or has already finished. After DS_FAILED it resumes: only the
    // unfinished parts of the ranges are fetched again.
    virtual bool Start() = 0;
    virtual bool Reserved1() = 0;
    virtual bool Reserved2() = 0;
    virtual bool Reserved3() = 0;
    // Percent of the file written, 0 while the size is unknown.
    virtual int32_t GetProgress() = 0;
    // The poll: advances and returns the state. DS_FINISHED is success, DS_CANCELLED and
    // DS_FAILED are failure.
    virtual DownloadState GetState() = 0;
    // Cancels and joins every thread, closes the file (a partial file stays) and frees the object.
    virtual void Release() = 0;
    // The target file; empty until chosen. Valid while the downloader lives.
    virtual const wchar_t* GetFilePath() = 0;
    // An address the user can fetch by hand.
    virtual std::string GetUrl() = 0;

protected:
    ~IDownloader() = default;
};

// Any argument may be null: the defaults of DownloadConfig, a file in the download folder named
// from the query, and kDownloadUrl. Null when the downloader cannot be created.
IDownloader* CreateDownloader(const DownloadConfig* config = nullptr, const wchar_t* filePath = nullptr,
                              const char* url = nullptr);
