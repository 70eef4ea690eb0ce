#include "support/LoopbackContentServer.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "platform/Strings.h"
#include "platform/Timer.h"

namespace {

constexpr size_t kSendBlock = 64 * 1024;

std::string StatusText(int status) {
    switch (status) {
        case 200:
            return "200 OK";
        case 206:
            return "206 Partial Content";
        case 301:
            return "301 Moved Permanently";
        case 302:
            return "302 Found";
        case 307:
            return "307 Temporary Redirect";
        case 404:
            return "404 Not Found";
        case 416:
            return "416 Range Not Satisfiable";
        default:
            return std::to_string(status) + " Error";
    }
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

ContentRequest ParseRequest(const std::string& raw) {
    ContentRequest request;
    request.m_raw = raw;
    const std::vector<std::string> lines = SplitByChars(raw, "\r\n");
    if (lines.empty()) return request;
    const std::vector<std::string> words = SplitByChars(lines[0], " ");
    if (words.size() >= 2) {
        request.m_method = words[0];
        request.m_path = words[1];
    }
    for (const std::string& line : lines) {
        const std::string lower = Lower(line);
        if (lower.compare(0, 6, "range:") != 0) continue;
        const size_t eq = lower.find("bytes=");
        const size_t dash = lower.find('-', eq);
        if (eq == std::string::npos || dash == std::string::npos) continue;
        request.m_first = TextToInt64(line.substr(eq + 6, dash - eq - 6));
        const std::string last = line.substr(dash + 1);
        request.m_last = last.empty() ? -1 : TextToInt64(last);
    }
    return request;
}

}  // namespace

CLoopbackContentServer::CLoopbackContentServer(std::string content, int lifetimeMs)
    : CLoopbackTcpServer(lifetimeMs), m_content(std::move(content)) {
    Start();
}

CLoopbackContentServer::~CLoopbackContentServer() {
    Stop();
}

std::string CLoopbackContentServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(Port()) + path;
}

void CLoopbackContentServer::SetContentPath(const std::string& path) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_path = path;
}

void CLoopbackContentServer::AddRedirect(const std::string& from, const std::string& location, int status) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_redirects[from] = {status, location};
}

void CLoopbackContentServer::QueueFault(const FaultPlan& plan) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_queue.push_back(plan);
}

void CLoopbackContentServer::SetChooser(Chooser chooser) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_chooser = std::move(chooser);
}

void CLoopbackContentServer::SetHeadExtra(const std::string& lines) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_headExtra = lines;
}

void CLoopbackContentServer::SetHeadWithoutLength(bool without) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_bHeadWithoutLength = without;
}

void CLoopbackContentServer::SetHeadStatus(int status) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_headStatus = status;
}

void CLoopbackContentServer::SetHeadSilent(bool silent) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_bHeadSilent = silent;
}

std::vector<ContentRequest> CLoopbackContentServer::Requests() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_requests;
}

std::vector<ContentRequest> CLoopbackContentServer::Gets() const {
    std::vector<ContentRequest> gets;
    for (const ContentRequest& r : Requests())
        if (r.m_method == "GET") gets.push_back(r);
    return gets;
}

void CLoopbackContentServer::Hold(int ms) const {
    for (int waited = 0; waited < ms && !Stopping(); waited += 10) SleepMs(10);
}

void CLoopbackContentServer::Serve(SocketHandle client) {
    const std::string raw = ReadHead(client);
    if (raw.empty()) return;
    const ContentRequest request = ParseRequest(raw);
    FaultPlan plan;
    std::string path;
    std::pair<int, std::string> redirect{0, ""};
    std::string headExtra;
    bool headWithoutLength = false;
    int headStatus = 200;
    bool headSilent = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_requests.push_back(request);
        path = m_path;
        auto found = m_redirects.find(request.m_path);
        if (found != m_redirects.end()) redirect = found->second;
        headExtra = m_headExtra;
        headWithoutLength = m_bHeadWithoutLength;
        headStatus = m_headStatus;
        headSilent = m_bHeadSilent;
        if (request.m_method == "GET" && request.m_path == path && redirect.first == 0) {
            if (!m_queue.empty()) {
                plan = m_queue.front();
                m_queue.pop_front();
            } else if (m_chooser) {
                plan = m_chooser(request);
            }
        }
    }

    if (redirect.first != 0) {
        SendText(client, "HTTP/1.1 " + StatusText(redirect.first) + "\r\nLocation: " + redirect.second +
                             "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    } else if (request.m_path != path) {
        SendText(client, "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found");
    } else if (request.m_method == "HEAD") {
        if (headSilent) {
            Hold(60000);
            return;
        }
        std::string head = "HTTP/1.1 " + StatusText(headStatus) + "\r\n";
        if (!headWithoutLength) head += "Content-Length: " + std::to_string(m_content.size()) + "\r\n";
        head += "Accept-Ranges: bytes\r\n" + headExtra + "Connection: close\r\n\r\n";
        SendText(client, head);
    } else if (request.m_method == "GET") {
        ServeGet(client, request, plan);
    }
    ShutdownSend(client);
    // Let the client read to the end before the socket goes, so the close is seen as an end.
    char sink[256];
    for (int i = 0; i < 100 && WaitReadable(client, 20) == 1; ++i) {
        if (RecvBytes(client, sink, sizeof sink) <= 0) break;
    }
}

void CLoopbackContentServer::ServeGet(SocketHandle client, const ContentRequest& request,
                                      const FaultPlan& plan) {
    const int64_t size = static_cast<int64_t>(m_content.size());
    if (plan.m_kind == ContentFault::kStatus404 || plan.m_kind == ContentFault::kStatus500) {
        const int status = plan.m_kind == ContentFault::kStatus404 ? 404 : 500;
        SendText(client, "HTTP/1.1 " + StatusText(status) +
                             "\r\nContent-Length: 20\r\nConnection: close\r\n\r\nERRORPAGE-ERRORPAGE");
        return;
    }
    int64_t first = 0;
    int64_t last = size - 1;
    const bool whole = plan.m_kind == ContentFault::kWhole200 || plan.m_kind == ContentFault::kWrongLength200;
    bool ranged = request.m_first >= 0 && !whole;
    if (ranged) {
        first = request.m_first;
        if (request.m_last >= 0) last = std::min(request.m_last, size - 1);
        if (first >= size || first > last) {
            SendText(client, "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Length: 0\r\n\r\n");
            return;
        }
        if (plan.m_kind == ContentFault::kWrongStart)
            first = std::min(last, first + std::max<int64_t>(plan.m_after, 1));
    }
    const int64_t extra = std::max<int64_t>(plan.m_after, 1);
    std::string head = "HTTP/1.1 " + StatusText(ranged ? 206 : 200) + "\r\n";
    if (plan.m_kind == ContentFault::kChunked) {
        head += "Transfer-Encoding: chunked\r\n";
    } else if (plan.m_kind != ContentFault::kNoLength) {
        const int64_t length = last - first + 1 + (plan.m_kind == ContentFault::kWrongLength200 ? extra : 0);
        head += "Content-Length: " + std::to_string(length) + "\r\n";
    }
    if (plan.m_kind == ContentFault::kGzip) head += "Content-Encoding: gzip\r\n";
    if (ranged)
        head += "Content-Range: bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" +
                std::to_string(size + (plan.m_kind == ContentFault::kWrongTotal ? extra : 0)) + "\r\n";
    if (plan.m_kind == ContentFault::kLongHead) head += "X-Padding: " + std::string(5000, 'p') + "\r\n";
    head += "Connection: close\r\n\r\n";

    int64_t bodyEnd = last + 1;
    if (plan.m_kind == ContentFault::kDropAfter || plan.m_kind == ContentFault::kStall)
        bodyEnd = std::min(bodyEnd, first + plan.m_after);
    int64_t at = first;
    if (plan.m_kind == ContentFault::kSplitHead) {
        const size_t tailAt = head.size() - 3;
        for (size_t i = 0; i < tailAt; i += 3) {
            if (!SendText(client, head.substr(i, std::min<size_t>(3, tailAt - i)))) return;
            SleepMs(1);
        }
        const int64_t withTail = std::min<int64_t>(bodyEnd - at, 100);
        if (!SendText(client, head.substr(tailAt) +
                                  m_content.substr(static_cast<size_t>(at), static_cast<size_t>(withTail))))
            return;
        at += withTail;
    } else if (!SendText(client, head)) {
        return;
    }
    if (plan.m_kind == ContentFault::kChunked) {
        // One chunk for the whole range: its size line is what must never reach the file.
        char size16[32];
        std::snprintf(size16, sizeof size16, "%llx\r\n", static_cast<unsigned long long>(bodyEnd - at));
        SendText(client, size16 +
                             m_content.substr(static_cast<size_t>(at), static_cast<size_t>(bodyEnd - at)) +
                             "\r\n0\r\n\r\n");
        return;
    }
    while (at < bodyEnd && !Stopping()) {
        const size_t n = static_cast<size_t>(std::min<int64_t>(bodyEnd - at, kSendBlock));
        if (!SendText(client, m_content.substr(static_cast<size_t>(at), n))) return;
        at += static_cast<int64_t>(n);
    }
    if (plan.m_kind == ContentFault::kExtraBytes)
        SendText(client, std::string(static_cast<size_t>(std::max<int64_t>(plan.m_after, 1)), 'Z'));
    if (plan.m_kind == ContentFault::kStall) Hold(plan.m_stallMs);
}
