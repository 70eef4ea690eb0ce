#include "download/CDownloadThread.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>

#include "platform/Strings.h"
#include "platform/Timer.h"

namespace {

constexpr int kPauseSliceMs = 10;

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    const size_t n = std::char_traits<char>::length(prefix);
    if (text.size() < n) return false;
    for (size_t i = 0; i < n; ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    }
    return true;
}

bool EqualsNoCase(const std::string& text, const char* other) {
    return text.size() == std::char_traits<char>::length(other) && StartsWithNoCase(text, other);
}

// Position just after the first blank line in [data, data + size), or -1.
int32_t HeadEnd(const char* data, int32_t size) {
    for (int32_t i = 0; i + 3 < size; ++i) {
        if (data[i] == '\r' && data[i + 1] == '\n' && data[i + 2] == '\r' && data[i + 3] == '\n')
            return i + 4;
    }
    return -1;
}

// The header value after "Name:", without the blanks around it.
std::string HeaderValue(const std::string& line, const char* name) {
    std::string value = TrimLeftChars(line.substr(std::strlen(name)), " \t");
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
    return value;
}

// A decimal number of at most 18 digits at the start of `text` (so it cannot overflow); `used`
// gets the digits' count. -1 when there are none or too many.
int64_t LeadingNumber(const std::string& text, size_t& used) {
    used = 0;
    while (used < text.size() && std::isdigit(static_cast<unsigned char>(text[used]))) ++used;
    if (used == 0 || used > 18) return -1;
    return TextToInt64(text.substr(0, used));
}

struct ContentRange {
    int64_t m_first = -1;
    int64_t m_total = -1;  // -1 also for an unknown total ("*")
};

// "Content-Range: bytes first-last/total"; m_first stays -1 when the value is not that.
ContentRange ParseContentRange(const std::string& line) {
    ContentRange range;
    std::string value = HeaderValue(line, "Content-Range:");
    if (!StartsWithNoCase(value, "bytes")) return range;
    value = TrimLeftChars(value.substr(5), " \t=");
    size_t used = 0;
    const int64_t first = LeadingNumber(value, used);
    if (first < 0 || used >= value.size() || value[used] != '-') return range;
    value = value.substr(used + 1);
    if (LeadingNumber(value, used) < 0 || used >= value.size() || value[used] != '/') return range;
    value = value.substr(used + 1);
    const int64_t total = LeadingNumber(value, used);
    range.m_first = first;
    range.m_total = used == value.size() ? total : -1;
    return range;
}

// Framing or coding that would put other bytes on the wire than the file's own: a chunked body
// carries chunk sizes, a compressed one carries other bytes altogether.
bool HasForeignCoding(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        const char* name = StartsWithNoCase(line, "Transfer-Encoding:")  ? "Transfer-Encoding:"
                           : StartsWithNoCase(line, "Content-Encoding:") ? "Content-Encoding:"
                                                                         : nullptr;
        if (name != nullptr && !EqualsNoCase(HeaderValue(line, name), "identity")) return true;
    }
    return false;
}

}  // namespace

CDownloadThread::CDownloadThread(const std::string& url, int32_t timeoutMs, int32_t retryCount, int64_t first,
                                 int64_t last, int64_t fileSize, IRangeSink* owner, int32_t index)
    : m_retryCount(retryCount),
      m_position(first),
      m_end(last),
      m_rangeStart(first),
      m_fileSize(fileSize),
      m_url(url),
      m_pOwner(owner),
      m_index(index) {
    m_urlParts = ParseUrl(url);
    ResolveWithFallback(m_urlParts.m_host, static_cast<uint16_t>(m_urlParts.m_port));
    SetTimeouts(timeoutMs, timeoutMs);
    m_pBuf.reset(new (std::nothrow) char[kWorkerBufferSize]);
    if (!m_pBuf) throw "alloc buffer failed";
    if (GetHandle() == nullptr) throw "create thread failed";
    Resume();
}

CDownloadThread::~CDownloadThread() {
    m_state = DS_CANCELLED;
    Cancel();  // a connect in progress ends within its wait slice
    if (IsSuspended()) Resume();
    WaitFor(-1);
    Close();
}

void CDownloadThread::CheckCancel() {
    if (m_state.load() == DS_CANCELLED) throw "User cancel thread";
}

void CDownloadThread::Pause(int ms) {
    // In slices, so a cancel during the pause between attempts is seen at once.
    for (int waited = 0; waited < ms && m_state.load() != DS_CANCELLED; waited += kPauseSliceMs)
        SleepMs(static_cast<uint32_t>(std::min(kPauseSliceMs, ms - waited)));
}

uint32_t CDownloadThread::Run() {
    try {
        Pause(kFirstPauseMs);
        int connectFailures = 0;
        bool finished = m_position > m_end;
        for (int attempt = 0; attempt < m_retryCount && !finished; ++attempt) {
            CheckCancel();
            try {
                Connect();
            } catch (...) {
                if (++connectFailures > kMaxConnectFailures) throw;
                Pause(kConnectPauseMs);
                continue;
            }
            connectFailures = 0;
            finished = SendRangeRequest() && ReceiveRange();
            Close();
            if (!finished) Pause(kAttemptPauseMs);
        }
        if (!finished) throw "download failed";
        int32_t running = DS_RUNNING;
        m_state.compare_exchange_strong(running, DS_FINISHED);
        return 0;
    } catch (...) {
        Close();
        int32_t running = DS_RUNNING;
        m_state.compare_exchange_strong(running, DS_FAILED);
        return static_cast<uint32_t>(-1);
    }
}

bool CDownloadThread::SendRangeRequest() {
    const std::string request = BuildRangeRequest(m_urlParts.m_host, m_urlParts.m_path, m_position, m_end);
    size_t sent = 0;
    while (sent < request.size()) {
        CheckCancel();
        const size_t piece = std::min(static_cast<size_t>(kSendPiece), request.size() - sent);
        const long n = SendBytes(m_socket, request.data() + sent, piece);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

bool CDownloadThread::ReceiveRange() {
    m_offest = 0;
    m_bNewSocket = true;
    m_skip = 0;
    for (;;) {
        if (m_state.load() == DS_CANCELLED) {
            // What arrived is good: handed over, a later Start need not fetch it again.
            if (!m_bNewSocket) FlushBuffer();
            CheckCancel();
        }
        const int32_t ask = std::min(kRecvPiece, kWorkerBufferSize - m_offest);
        const long got = RecvBytes(m_socket, m_pBuf.get() + m_offest, static_cast<size_t>(ask));
        if (got <= 0) {
            if (!m_bNewSocket) FlushBuffer();
            return false;
        }
        if (m_bNewSocket) {
            // The head may arrive in any number of pieces: they are kept until the blank line
            // shows, so the body bytes that came with its last piece are neither lost nor repeated.
            m_offest += static_cast<int32_t>(got);
            const int32_t headEnd = HeadEnd(m_pBuf.get(), m_offest);
            if (headEnd < 0) {
                if (m_offest >= kMaxResponseHead) return false;
                continue;
            }
            const HeadVerdict verdict = JudgeHead(std::string(m_pBuf.get(), static_cast<size_t>(headEnd)));
            if (verdict != HeadVerdict::kData) {
                if (verdict == HeadVerdict::kRedirect)
                    FollowRedirect(std::string(m_pBuf.get(), static_cast<size_t>(headEnd)));
                m_offest = 0;
                return false;
            }
            const int32_t body = StripHead();
            m_offest = 0;
            m_bNewSocket = false;
            TakeBody(body);
        } else {
            TakeBody(static_cast<int32_t>(got));
        }
        if (m_offest >= kWorkerBufferSize || m_position > m_end) FlushBuffer();
        if (m_position > m_end) return true;
    }
}

CDownloadThread::HeadVerdict CDownloadThread::JudgeHead(const std::string& head) {
    const std::vector<std::string> lines = SplitByChars(head, "\r\n");
    if (lines.empty() || lines[0].size() < 12 || !StartsWith(lines[0], "HTTP/")) return HeadVerdict::kFailed;
    const std::string digits = lines[0].substr(9, 3);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return HeadVerdict::kFailed;
    const int64_t code = TextToInt64(digits);
    if (code >= 300 && code <= 399) return HeadVerdict::kRedirect;
    if ((code == 200 || code == 206) && HasForeignCoding(lines)) return HeadVerdict::kFailed;
    if (code == 206) {
        // Another range than the one asked for is legal HTTP, but it does not belong here; nor
        // does a range of a file of another size (a new release published since the query).
        for (const std::string& line : lines) {
            if (!StartsWithNoCase(line, "Content-Range:")) continue;
            const ContentRange range = ParseContentRange(line);
            if (range.m_first != m_position || range.m_total != m_fileSize) return HeadVerdict::kFailed;
            m_skip = 0;
            return HeadVerdict::kData;
        }
        return HeadVerdict::kFailed;
    }
    if (code == 200) {
        for (const std::string& line : lines) {
            if (!StartsWithNoCase(line, "Content-Length:")) continue;
            const std::string value = HeaderValue(line, "Content-Length:");
            size_t used = 0;
            if (LeadingNumber(value, used) != m_fileSize || used != value.size()) return HeadVerdict::kFailed;
        }
        // The server ignored the Range header and sends the whole file: what precedes the
        // requested offset is read past, never written at it.
        m_skip = m_position;
        return HeadVerdict::kData;
    }
    // Error pages and every other answer are no part of the file.
    return HeadVerdict::kFailed;
}

void CDownloadThread::FollowRedirect(const std::string& head) {
    if (++m_redirects > kMaxWorkerRedirects) throw "too many redirects";
    for (const std::string& line : SplitByChars(head, "\r\n")) {
        if (!StartsWith(line, "Location:")) continue;
        m_urlParts = ParseUrl(TrimLeftChars(line.substr(9), " \t"));
        Resolve(m_urlParts.m_host, static_cast<uint16_t>(m_urlParts.m_port));
    }
}

int32_t CDownloadThread::StripHead() {
    const int32_t headEnd = HeadEnd(m_pBuf.get(), m_offest);
    if (headEnd < 0) return -1;
    const int32_t body = m_offest - headEnd;
    std::memmove(m_pBuf.get(), m_pBuf.get() + headEnd, static_cast<size_t>(body));
    return body;
}

void CDownloadThread::TakeBody(int32_t count) {
    char* at = m_pBuf.get() + m_offest;
    if (m_skip > 0) {
        const int32_t skipped = static_cast<int32_t>(std::min<int64_t>(m_skip, count));
        m_skip -= skipped;
        count -= skipped;
        std::memmove(at, at + skipped, static_cast<size_t>(count));
    }
    // Whatever a server sends past the range's last byte belongs to another range or to no
    // file at all.
    const int64_t wanted = m_end - m_position + 1;
    if (count > wanted) count = static_cast<int32_t>(std::max<int64_t>(wanted, 0));
    m_offest += count;
    m_position += count;
}

void CDownloadThread::FlushBuffer() {
    if (m_offest <= 0) return;
    if (!m_pOwner->WriteRange(m_index, m_pBuf.get(), m_offest, m_rangeStart + m_written))
        throw " write file failed";
    m_written += m_offest;
    m_offest = 0;
}
