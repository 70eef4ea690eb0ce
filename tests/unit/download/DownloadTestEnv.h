// Shared pieces of the download tests: no test reaches the machine's resolver or the user's
// proxy configuration, content with a recognisable byte at every offset, a scratch folder, and a
// range sink that notices every byte written out of place.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <mutex>
#include <string>

#include "download/CDownloader.h"
#include "download/Sinks.h"

namespace dltest {

// Loopback servers only: no proxy, no resolver but one that knows localhost, the own resolver
// on a port where nothing answers; then the settings object. Test executables get it by linking.
void UseLoopbackOnly();
// Bytes that differ from their neighbours and from any HTTP text, so a misplaced block shows.
std::string MakeContent(size_t size, uint32_t seed);
// A fresh folder under the build's test home (wide, with a trailing separator).
std::wstring ScratchDir(const std::string& name);
std::string ReadWholeFile(const std::wstring& path);
// Polls GetState every 20 ms until it leaves DS_RUNNING or the time is up.
DownloadState WaitForEnd(IDownloader* downloader, int timeoutMs);

// Holds one range [first, last] of a file and accepts only the range's next bytes.
class CRecordingSink : public IRangeSink, public IUrlInfoSink {
public:
    CRecordingSink(int64_t first, int64_t last);
    bool WriteRange(int32_t index, const void* data, int32_t count, int64_t offset) override;
    bool OnUrlInfo(const UrlInfo& info) override;

    std::string Bytes();  // the range as written so far
    bool Misplaced();     // a write outside the range or not at its next offset
    int UrlInfoCalls();
    UrlInfo LastInfo();
    int Writes();

private:
    std::mutex m_lock;
    int64_t m_first;
    int64_t m_last;
    int64_t m_next;
    std::string m_bytes;
    bool m_bMisplaced = false;
    int m_writes = 0;
    int m_infoCalls = 0;
    UrlInfo m_info;
};

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override;
};

}  // namespace dltest
