// CTCPHttp: just enough HTTP/1.1 for the installer (GET with a body, HEAD with the header lines),
// plus the URL splitter and the exact texts of every request the installer sends. The readers
// take an IByteSource so tests and fuzzers feed them without a socket.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/ByteSource.h"
#include "net/TCPClient.h"

struct UrlParts {
    std::string m_host;
    int32_t m_port = 80;
    std::string m_path;  // starts with "/"
};

// "scheme://host[:port]/path..." -> parts; the scheme is ignored (always plain HTTP), runs of
// slashes count as one, a trailing slash is dropped, a query stays in the last piece. A URL
// without a path fails. Every failure throws "init url failed".
UrlParts ParseUrl(const std::string& url);

// The request texts, byte for byte. The Host line is left out of GET and HEAD when `host` is
// empty; it never carries the port.
std::string BuildGetRequest(const std::string& host, const std::string& path);
std::string BuildHeadRequest(const std::string& host, const std::string& path);
// Ranged GET of the inclusive byte offsets first..last, as the range workers send it.
std::string BuildRangeRequest(const std::string& host, const std::string& path, int64_t first, int64_t last);

struct ResponseHead {
    std::vector<std::string> m_lines;  // status line first, no line breaks, empty lines dropped
    std::string m_status;              // the three status digits, or empty
    int64_t m_contentLength = 0;       // 0 without a "Content-Length:" line
};

// No body is ever held beyond this: a longer one fails with "Read body stream error".
constexpr int64_t kMaxBodyBytes = 16 * 1024 * 1024;
constexpr size_t kMaxHeadBytes = 4096;

// Byte by byte up to the blank line or 4096 bytes; what follows stays in the source.
ResponseHead ReadResponseHead(IByteSource& source);
// `contentLength` bytes, or `limit` when a non-zero limit is smaller.
std::string ReadBody(IByteSource& source, int64_t contentLength, int64_t limit);
// A chunked body; "Read body stream error" for a size line without "\r\n" in 10 bytes, a size
// with the top bit set, or a total over kMaxBodyBytes.
std::string ReadChunkedBody(IByteSource& source);
// Single bytes until the line ends with "\r\n" or holds 10 bytes.
std::string ReadChunkLine(IByteSource& source);
// Hex digits before the first "\r\n" (other characters count as 0); -1 without "\r\n".
int64_t ParseChunkSize(const std::string& line);

class CTCPHttp : public CTCPClient {
public:
    // Resolves host with the fallback policy; throws "Can't resolve host name". No connection yet.
    CTCPHttp(const std::string& host, uint16_t port);
    ~CTCPHttp() override = default;

    // A fresh connection per request. The body only for status "200", else empty. limit 0 = all.
    std::string HttpGet(const std::string& host, const std::string& path, int64_t limit);
    // The header lines of a HEAD request; `status` receives the status digits (or empty).
    std::vector<std::string> Head(const std::string& host, const std::string& path, std::string& status);

    ResponseHead ReadResponseHead() { return ::ReadResponseHead(*this); }
    std::string ReadBody(int64_t contentLength, int64_t limit) {
        return ::ReadBody(*this, contentLength, limit);
    }
    std::string ReadChunkedBody() { return ::ReadChunkedBody(*this); }
};
