// A loopback content server for the download engine: HEAD, ranged GET answered with 206 and
// Content-Range, redirects, and scripted faults per GET (drops, stalls, error statuses, a whole
// file instead of a range, more bytes than asked, a head split into tiny pieces, a long head, a
// missing Content-Length, a range that starts elsewhere, answers that describe a file of another
// size, chunked or compressed bodies). Records every request.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "support/LoopbackTcpServer.h"

enum class ContentFault {
    kNone,
    kDropAfter,  // close after m_after body bytes
    kStall,      // send m_after body bytes, then hold the connection m_stallMs, then close
    kStatus404,  // an error page instead of the range
    kStatus500,
    kWhole200,        // ignore the Range header: 200 and the whole file
    kExtraBytes,      // the range followed by m_after bytes of junk
    kSplitHead,       // the head in pieces of 3 bytes, its last piece sent with the first body bytes
    kLongHead,        // a head of several kilobytes
    kNoLength,        // no Content-Length, the end of the body is the close
    kWrongStart,      // 206 for a range that starts m_after bytes later than asked
    kWrongTotal,      // 206 whose Content-Range total is m_after bytes more than the file's size
    kWrongLength200,  // 200 and the whole file, but a Content-Length m_after bytes larger
    kChunked,         // the range in chunked framing
    kGzip,            // the range's bytes labelled "Content-Encoding: gzip"
};

struct FaultPlan {
    ContentFault m_kind = ContentFault::kNone;
    int64_t m_after = 0;
    int m_stallMs = 0;
};

struct ContentRequest {
    std::string m_method;
    std::string m_path;
    std::string m_raw;     // the request head as received
    int64_t m_first = -1;  // the Range header's bytes, -1 without one
    int64_t m_last = -1;
};

class CLoopbackContentServer : public CLoopbackTcpServer {
public:
    static constexpr const char* kPath = "/kelvora/Kelvora_install.exe";
    using Chooser = std::function<FaultPlan(const ContentRequest&)>;

    explicit CLoopbackContentServer(std::string content, int lifetimeMs = 120000);
    ~CLoopbackContentServer() override;

    std::string Url(const std::string& path = kPath) const;
    // Where the content is served (kPath unless changed).
    void SetContentPath(const std::string& path);
    // `from` answers `status` with "Location: " + location.
    void AddRedirect(const std::string& from, const std::string& location, int status = 302);
    // Faults for the next GETs of the content, in order; then the chooser, if any, decides.
    void QueueFault(const FaultPlan& plan);
    void SetChooser(Chooser chooser);
    // HEAD answers: extra header lines (each ending in "\r\n"), no Content-Length, another status.
    void SetHeadExtra(const std::string& lines);
    void SetHeadWithoutLength(bool without);
    void SetHeadStatus(int status);
    // HEAD requests get no answer at all while this is set (the connection stays open).
    void SetHeadSilent(bool silent);

    std::vector<ContentRequest> Requests() const;
    std::vector<ContentRequest> Gets() const;

private:
    void Serve(SocketHandle client) override;
    void ServeGet(SocketHandle client, const ContentRequest& request, const FaultPlan& plan);
    void Hold(int ms) const;

    const std::string m_content;
    mutable std::mutex m_lock;
    std::string m_path = kPath;
    std::map<std::string, std::pair<int, std::string>> m_redirects;
    std::deque<FaultPlan> m_queue;
    Chooser m_chooser;
    std::string m_headExtra;
    bool m_bHeadWithoutLength = false;
    int m_headStatus = 200;
    bool m_bHeadSilent = false;
    std::vector<ContentRequest> m_requests;
};
