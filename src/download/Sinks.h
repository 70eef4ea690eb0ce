// What the query thread and the range workers hand their results to. The downloader is the one
// owner in the product; tests put recorders in its place.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct UrlInfo {
    int64_t m_fileSize = 0;
    std::wstring m_fileName;
    std::vector<std::string> m_urls;  // the final URL after redirects, on success
};

class IUrlInfoSink {
public:
    // Called once on the query thread, whether the query succeeded or not. True when the
    // workers were started.
    virtual bool OnUrlInfo(const UrlInfo& info) = 0;

protected:
    ~IUrlInfoSink() = default;
};

class IRangeSink {
public:
    // Called on worker threads: `count` bytes of range `index` belong at file `offset`. True only
    // when every byte was written.
    virtual bool WriteRange(int32_t index, const void* data, int32_t count, int64_t offset) = 0;

protected:
    ~IRangeSink() = default;
};
