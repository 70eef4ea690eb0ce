#include "download/CGetUrlInfoThread.h"

#include <memory>

#include "platform/CommonIntf.h"
#include "platform/Strings.h"
#include "platform/Timer.h"

namespace {

constexpr int kStartPollMs = 5;

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// The name a server suggests may carry folders ("../x.exe", "C:\\x.exe") or characters no file
// name can hold; only a plain last piece is taken, anything else is not used at all.
std::wstring SafeServerName(const std::wstring& suggested) {
    std::wstring name = suggested;
    const size_t cut = name.find_last_of(L"/\\");
    if (cut != std::wstring::npos) name = name.substr(cut + 1);
    while (!name.empty() && (name.back() == L' ' || name.back() == L'.')) name.pop_back();
    while (!name.empty() && name.front() == L' ') name.erase(0, 1);
    if (name.empty()) return name;
    for (wchar_t ch : name) {
        if (ch < 0x20 || std::wstring(L"<>:\"|?*").find(ch) != std::wstring::npos) return std::wstring();
    }
    return name;
}

}  // namespace

std::wstring ChooseFileName(const std::string& channelTag, const std::vector<std::string>& lines,
                            const std::string& version) {
    std::wstring name;
    // Without a tag the rule would give a bare ".exe"; the next source is asked instead.
    if (!channelTag.empty()) name = Utf8ToWide(channelTag + ".exe");
    if (name.empty()) {
        for (const std::string& line : lines) {
            const size_t at = FindText(line, 0, "filename=");
            if (at == kNotFound) continue;
            const std::vector<std::string> pieces = SplitByChars(line.substr(at + 9), "\"");
            if (!pieces.empty()) {
                std::string piece = pieces[0];
                const size_t semicolon = piece.find(';');
                if (semicolon != std::string::npos) piece.resize(semicolon);
                name = SafeServerName(AnsiToWide(piece));
            }
            break;
        }
    }
    if (name.empty()) {
        std::string base = "kelvora.exe";
        base = base.substr(0, base.rfind('.'));
        if (FindText(base, 0, "_install") == kNotFound) base += "_install";
        if (!version.empty()) base += "_v" + version;
        name = Utf8ToWide(base + ".exe");
    }
    return name;
}

QueryUrlInfoThread::QueryUrlInfoThread(const char* url, IUrlInfoSink* owner, const std::string& queryUrl)
    : m_url(url != nullptr ? url : ""), m_pOwner(owner), m_queryUrl(queryUrl) {
    if (GetHandle() == nullptr) throw "create thread failed";
    Resume();
    while (!m_bStarted.load()) SleepMs(kStartPollMs);
}

QueryUrlInfoThread::~QueryUrlInfoThread() {
    m_bStop = true;
    if (IsSuspended()) Resume();
    WaitFor(-1);
}

void QueryUrlInfoThread::CheckStop() {
    if (m_bStop.load()) throw "user query stop thread";
}

std::string QueryUrlInfoThread::GetUrl() {
    CXMutexGuard guard(m_lock);
    if (!m_url.empty()) return m_url;
    if (!m_info.m_urls.empty()) return m_info.m_urls[0];
    return std::string();
}

uint32_t QueryUrlInfoThread::Run() {
    m_bStarted = true;
    {
        CXMutexGuard guard(m_lock);
        m_url = m_queryUrl;
    }
    UrlInfo info;
    try {
        QueryUrl(m_queryUrl, info, std::string());
    } catch (...) {
    }
    {
        CXMutexGuard guard(m_lock);
        m_info = info;
    }
    if (m_pOwner != nullptr) m_pOwner->OnUrlInfo(info);
    m_bFinished = true;
    return 0;
}

bool QueryUrlInfoThread::QueryUrl(const std::string& url, UrlInfo& info, const std::string& version) {
    if (url.empty()) return false;
    m_urlParts = ParseUrl(url);
    m_redirects = 0;
    std::string finalUrl = url;
    std::vector<std::string> lines;
    FetchHeaders(finalUrl, lines);
    if (lines.empty()) throw "http get url header information error";

    CCommonIntf* common = GetCommonIntf();
    info.m_fileName =
        ChooseFileName(common != nullptr ? common->GetChannelTag() : std::string(), lines, version);

    static const char kLengthName[] = "Content-Length:";
    const size_t nameLen = sizeof kLengthName - 1;
    if (info.m_fileSize <= 0) {
        for (const std::string& line : lines) {
            if (line.size() > nameLen && line.compare(0, nameLen, kLengthName) == 0) {
                info.m_fileSize = TextToInt64(TrimLeftChars(line.substr(nameLen), " \t"));
                break;
            }
        }
    }
    if (info.m_fileSize > kMaxInstallerSize) info.m_fileSize = 0;
    if (info.m_fileSize > 0) {
        info.m_urls.push_back(finalUrl);
        return true;
    }
    info.m_fileName.clear();
    return false;
}

void QueryUrlInfoThread::FetchHeaders(std::string& url, std::vector<std::string>& lines) {
    lines.clear();
    const UrlParts parts = ParseUrl(url);
    std::string status;
    for (int attempt = 0; attempt < kHeadAttempts; ++attempt) {
        CheckStop();
        // Resolution failures are not retried: they end the whole query.
        auto http = std::make_unique<CTCPHttp>(parts.m_host, static_cast<uint16_t>(parts.m_port));
        http->SetCancelFlag(&m_bStop);
        http->SetTimeouts(kHeadTimeoutMs, kHeadTimeoutMs);
        try {
            lines = http->Head(parts.m_host, parts.m_path, status);
        } catch (...) {
        }
        if (!lines.empty()) break;
        // In slices, so that a stop during the pause is seen at once.
        for (int waited = 0; attempt != kHeadAttempts - 1 && waited < kHeadPauseMs && !m_bStop.load();
             waited += kStartPollMs)
            SleepMs(kStartPollMs);
    }

    const int64_t code = status.empty() ? 400 : TextToInt64(status);
    if (code >= 300 && code <= 399) {
        for (const std::string& line : lines) {
            if (!StartsWith(line, "Location:")) continue;
            // A loop of redirects would otherwise recurse until the stack ends.
            if (++m_redirects > kMaxRedirects) {
                lines.clear();
                return;
            }
            const std::string value = TrimLeftChars(line.substr(9), " \t");
            if (!StartsWith(value, "http") && StartsWith(value, "/")) {
                url = "http://" + m_urlParts.m_host + ":" + Int64ToText(m_urlParts.m_port) + value;
            } else {
                url = value;
            }
            FetchHeaders(url, lines);
            return;
        }
        return;
    }
    if (code >= 400) lines.clear();
}
