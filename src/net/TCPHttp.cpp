#include "net/TCPHttp.h"

#include "platform/Strings.h"

namespace {

constexpr size_t kChunkLineMax = 10;
const char kAgentLine[] = "User-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\n";

bool EndsWith(const std::string& text, const char* tail) {
    const size_t n = std::char_traits<char>::length(tail);
    return text.size() >= n && text.compare(text.size() - n, n, tail) == 0;
}

// Appends exactly `count` bytes, growing the text only as data arrives: an announced size is a
// claim, and memory is spent on bytes actually received.
void AppendExact(IByteSource& source, std::string& text, size_t count) {
    const size_t kStep = 64 * 1024;
    while (count > 0) {
        const size_t step = count < kStep ? count : kStep;
        const size_t at = text.size();
        text.resize(at + step);
        ReadExact(source, &text[at], step);
        count -= step;
    }
}

}  // namespace

UrlParts ParseUrl(const std::string& url) {
    const std::vector<std::string> pieces = SplitByChars(url, "/");
    if (pieces.size() < 3) throw "init url failed";
    const std::vector<std::string> hostPort = SplitByChars(pieces[1], ":");
    UrlParts parts;
    if (hostPort.size() == 1) {
        parts.m_host = hostPort[0];
        parts.m_port = 80;
    } else if (hostPort.size() == 2) {
        parts.m_host = hostPort[0];
        const int64_t port = TextToInt64(hostPort[1]);
        // A port the socket cannot carry would connect somewhere else after truncation.
        if (port <= 0 || port > 65535) throw "init url failed";
        parts.m_port = static_cast<int32_t>(port);
    } else {
        throw "init url failed";
    }
    for (size_t i = 2; i < pieces.size(); ++i) parts.m_path += "/" + pieces[i];
    return parts;
}

std::string BuildGetRequest(const std::string& host, const std::string& path) {
    std::string text = "GET " + path + " HTTP/1.1\r\n";
    if (!host.empty()) text += "Host: " + host + "\r\n";
    text += "Connection: close\r\n\r\n";
    return text;
}

std::string BuildHeadRequest(const std::string& host, const std::string& path) {
    std::string text = "HEAD " + path + " HTTP/1.1\r\n";
    if (!host.empty()) text += "Host:" + host + "\r\n";
    text += "Accept:*/*\r\n";
    text += kAgentLine;
    text += "Connection:close\r\n\r\n";
    return text;
}

std::string BuildRangeRequest(const std::string& host, const std::string& path, int64_t first, int64_t last) {
    std::string text = "GET " + path + " HTTP/1.1\r\n";
    text += "Host:" + host + "\r\n";
    text += "Accept:*/*\r\n";
    text += "Range:bytes=" + Int64ToText(first) + "-" + Int64ToText(last) + "\r\n";
    text += kAgentLine;
    text += "Connection:close\r\n\r\n";
    return text;
}

ResponseHead ReadResponseHead(IByteSource& source) {
    std::string text;
    // One byte per read, so not a byte of the body is taken from the source.
    while (text.size() < kMaxHeadBytes && !EndsWith(text, "\r\n\r\n")) {
        char c = 0;
        ReadExact(source, &c, 1);
        text += c;
    }
    ResponseHead head;
    head.m_lines = SplitByChars(text, "\r\n");
    if (!head.m_lines.empty() && head.m_lines[0].size() >= 12) head.m_status = head.m_lines[0].substr(9, 3);
    static const char kLengthName[] = "Content-Length:";
    const size_t nameLen = sizeof kLengthName - 1;
    for (const std::string& line : head.m_lines) {
        if (line.size() > nameLen && line.compare(0, nameLen, kLengthName) == 0) {
            head.m_contentLength = TextToInt64(TrimLeftChars(line.substr(nameLen), " \t"));
            break;
        }
    }
    return head;
}

std::string ReadBody(IByteSource& source, int64_t contentLength, int64_t limit) {
    int64_t count = contentLength;
    if (limit > 0 && limit < count) count = limit;
    if (count <= 0) return std::string();
    // The announced length is the server's word; nothing above the ceiling is allocated for it.
    if (count > kMaxBodyBytes) throw "Read body stream error";
    std::string body;
    AppendExact(source, body, static_cast<size_t>(count));
    return body;
}

std::string ReadChunkLine(IByteSource& source) {
    std::string line;
    while (line.size() < kChunkLineMax && !EndsWith(line, "\r\n")) {
        char c = 0;
        ReadExact(source, &c, 1);
        line += c;
    }
    return line;
}

int64_t ParseChunkSize(const std::string& line) {
    const size_t end = FindText(line, 0, "\r\n");
    if (end == kNotFound) return -1;
    uint32_t value = 0;
    for (size_t i = 0; i < end; ++i) {
        const char c = line[i];
        uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<uint32_t>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<uint32_t>(c - 'A' + 10);
        }
        value = (value << 4) | digit;
    }
    return static_cast<int32_t>(value);
}

std::string ReadChunkedBody(IByteSource& source) {
    std::string body;
    for (;;) {
        int64_t size = ParseChunkSize(ReadChunkLine(source));
        // A zero here is the line break that closes the previous chunk's data; the size follows.
        if (size == 0) size = ParseChunkSize(ReadChunkLine(source));
        if (size < 0) throw "Read body stream error";
        if (size == 0) return body;
        if (static_cast<int64_t>(body.size()) + size > kMaxBodyBytes) throw "Read body stream error";
        AppendExact(source, body, static_cast<size_t>(size));
    }
}

CTCPHttp::CTCPHttp(const std::string& host, uint16_t port) {
    ResolveWithFallback(host, port);
}

std::string CTCPHttp::HttpGet(const std::string& host, const std::string& path, int64_t limit) {
    Connect();
    SendAll(BuildGetRequest(host, path));
    const ResponseHead head = ReadResponseHead();
    if (head.m_status != "200") return std::string();
    if (head.m_contentLength > 0) return ReadBody(head.m_contentLength, limit);
    return ReadChunkedBody();
}

std::vector<std::string> CTCPHttp::Head(const std::string& host, const std::string& path,
                                        std::string& status) {
    Connect();
    SendAll(BuildHeadRequest(host, path));
    ResponseHead head = ReadResponseHead();
    status = head.m_status;
    return std::move(head.m_lines);
}
