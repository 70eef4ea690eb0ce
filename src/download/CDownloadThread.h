// One range worker: its own thread and its own connection. It sends the ranged GET, checks that
// the answer really is the range it asked for of the file the query found (its size, plain
// identity framing), and hands the body to its owner in blocks of up to
// 1 MiB at the range's next unwritten offset. A broken connection is resumed from the last byte
// received; redirects are followed.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "download/Downloader.h"
#include "download/Sinks.h"
#include "net/TCPClient.h"
#include "net/TCPHttp.h"
#include "platform/Thread.h"

constexpr int32_t kWorkerBufferSize = 1048576;
constexpr int32_t kRecvPiece = 1024;
constexpr int32_t kSendPiece = 1024;
constexpr int kMaxConnectFailures = 10;
constexpr int kFirstPauseMs = 10;
constexpr int kConnectPauseMs = 10;
constexpr int kAttemptPauseMs = 500;
// A response head that has not ended after this many bytes is not an HTTP answer we can use.
constexpr int32_t kMaxResponseHead = 64 * 1024;
// Redirects one worker follows in its lifetime before it gives up.
constexpr int kMaxWorkerRedirects = 10;

class CDownloadThread : public CSarnovikBasedThread, public CTCPClient {
public:
    // Resolves the URL's host and starts the thread. `fileSize` is the whole file's size as the
    // query found it: an answer that describes a file of another size is not this file. Throws
    // "init url failed", "Can't resolve host name" or "alloc buffer failed"; nothing runs then.
    CDownloadThread(const std::string& url, int32_t timeoutMs, int32_t retryCount, int64_t first,
                    int64_t last, int64_t fileSize, IRangeSink* owner, int32_t index);
    // Cancels, waits for the thread without limit, closes the socket.
    ~CDownloadThread() override;

    DownloadState GetState() const { return static_cast<DownloadState>(m_state.load()); }
    int64_t GetPosition() const { return m_position; }
    int64_t GetWritten() const { return m_written; }

    // Throws "User cancel thread" once the destructor asked for it.
    void CheckCancel();
    // False when a send fails.
    bool SendRangeRequest();
    // True when the whole range was received and handed over.
    bool ReceiveRange();
    // Moves the body bytes after the first blank line to the start of the buffer and returns
    // their count; -1 when the held bytes contain no blank line.
    int32_t StripHead();
    // Hands the held bytes over at m_rangeStart + m_written; throws " write file failed".
    void FlushBuffer();

protected:
    uint32_t Run() override;

private:
    enum class HeadVerdict { kData, kRedirect, kFailed };
    // Decides what the complete head held in the buffer means for this range.
    HeadVerdict JudgeHead(const std::string& head);
    // Takes `count` new body bytes that sit at m_pBuf + m_offest: skips what precedes the
    // requested offset, drops what lies past m_end.
    void TakeBody(int32_t count);
    void FollowRedirect(const std::string& head);
    void Pause(int ms);

    std::atomic<int32_t> m_state{DS_RUNNING};
    std::unique_ptr<char[]> m_pBuf;
    int32_t m_offest = 0;
    UrlParts m_urlParts;
    int32_t m_retryCount;
    int64_t m_position;
    int64_t m_end;
    int64_t m_rangeStart;
    int64_t m_fileSize;
    int64_t m_written = 0;
    std::string m_url;
    bool m_bNewSocket = true;
    IRangeSink* m_pOwner;
    int32_t m_index;

    int64_t m_skip = 0;  // body bytes of the current answer that precede m_position
    int m_redirects = 0;
};
