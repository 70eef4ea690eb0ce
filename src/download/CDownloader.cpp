#include "download/CDownloader.h"

#include "download/OwnExecutable.h"
#include "download/SocketLibrary.h"
#include "pkginfo/AppInfo.h"
#include "platform/Files.h"
#include "platform/Strings.h"
#include "platform/SystemInfo.h"

const ChannelFileName kChannelFileNames[4] = {
    {96, L"install_zodoziv0.exe"},
    {97, L"install_vodu3600.exe"},
    {98, L"install_rudazev0.exe"},
    {99, L"install_zozavi00.exe"},
};

std::wstring ChannelFileNameForVersion(const std::wstring& version) {
    const std::vector<std::wstring> pieces = SplitByChars(version, L".");
    if (pieces.size() != 4) return std::wstring();
    const int64_t second = TextToInt64(WideToUtf8(pieces[1]));
    for (const ChannelFileName& entry : kChannelFileNames) {
        if (entry.m_second == second) return entry.m_name;
    }
    return std::wstring();
}

namespace {

std::wstring DownloadFolder() {
    const std::wstring work = GetWorkDir();
    if (work.empty()) throw "no work folder";
    return work + L"kelvora\\";
}

// The installer's own file name: what the download is called when the query gave no name.
std::wstring OwnExecutableName() {
    const std::wstring path = GetOwnExecutablePath();
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

IDownloader* CreateDownloader(const DownloadConfig* config, const wchar_t* filePath, const char* url) {
    try {
        return new CDownloader(config, filePath, url);
    } catch (...) {
        return nullptr;
    }
}

CDownloader::CDownloader(const DownloadConfig* config, const wchar_t* filePath, const char* url)
    : m_url(url != nullptr ? url : ""), m_filePath(filePath != nullptr ? filePath : L"") {
    if (config != nullptr) m_config = *config;
    m_bSocketsStarted = StartSocketLibrary();
}

CDownloader::~CDownloader() {
    m_state = DS_CANCELLED;
    m_pQueryThread.reset();
    StopWorkers();
    CloseFile();
    if (m_bSocketsStarted) EndSocketLibrary();
}

void CDownloader::Release() {
    delete this;
}

bool CDownloader::Start() {
    const int32_t state = m_state.load();
    if (state == DS_RUNNING || state == DS_FINISHED) return true;
    if (!m_ranges.empty()) {
        const bool started = StartWorkers();
        if (started) m_state = DS_RUNNING;
        return started;
    }
    m_pQueryThread.reset();
    try {
        m_pQueryThread.reset(new QueryUrlInfoThread(m_url.c_str(), this, m_queryUrl));
    } catch (...) {
        return false;
    }
    m_state = DS_RUNNING;
    return true;
}

bool CDownloader::OnUrlInfo(const UrlInfo& info) {
    ISarnovikStream* file = nullptr;
    try {
        // The owner is being destroyed: nothing may be created that it would not stop.
        if (m_state.load() == DS_CANCELLED) throw "user cancel";
        if (m_config.m_threadCount < 1) throw "param error";
        if (info.m_fileSize <= 0 || info.m_urls.empty()) throw "param error";
        m_fileSize = info.m_fileSize;

        std::wstring path;
        {
            CXMutexGuard guard(m_lock);
            path = m_filePath;
        }
        if (path.empty()) {
            std::wstring name = info.m_fileName;
            if (name.empty()) name = OwnExecutableName();
            const std::wstring folder = DownloadFolder();
            CreateDirectories(folder);
            path = folder + name;
            if (IAppInfo* appInfo = GetAppInfo()) {
                const std::wstring channelName = ChannelFileNameForVersion(appInfo->GetFileVersion(L""));
                if (!channelName.empty()) path = folder + channelName;
            }
        }

        // The file is created at full size at once: a size the drive cannot hold is refused
        // before anything is made. A drive that cannot be measured (0) is left to SetSize.
        const uint64_t freeBytes = m_freeSpace ? m_freeSpace(path) : GetDriveFreeSpace(path);
        if (freeBytes != 0 && static_cast<uint64_t>(info.m_fileSize) > freeBytes) throw "not enough space";

        file = m_openFile ? m_openFile(path) : new CFileStream(path, kModeCreate);
        if (file == nullptr) throw "SarnovikFileCreate failed";
        if (!file->SetSize(info.m_fileSize)) throw "set file size failed";

        const int64_t count = m_config.m_threadCount;
        const int64_t part = info.m_fileSize / count;
        const int64_t rest = info.m_fileSize % count;
        std::vector<RangeInfo> ranges(static_cast<size_t>(count));
        for (int64_t i = 0; i < count; ++i) {
            RangeInfo& range = ranges[static_cast<size_t>(i)];
            range.m_url = info.m_urls[0];
            range.m_start = i * part;
            range.m_end = range.m_start + part - 1 + (i == count - 1 ? rest : 0);
        }
        {
            CXMutexGuard guard(m_lock);
            m_filePath = path;
            m_pFile = file;
            file = nullptr;
            m_ranges.swap(ranges);
        }
        return StartWorkers();
    } catch (...) {
        if (file != nullptr) file->Release();
        return false;
    }
}

bool CDownloader::StartWorkers() {
    for (size_t i = 0; i < m_ranges.size(); ++i) {
        RangeInfo& range = m_ranges[i];
        int64_t start = 0;
        {
            CXMutexGuard guard(m_lock);
            start = range.m_start;
        }
        if (start > range.m_end || range.m_pWorker != nullptr) continue;
        try {
            range.m_pWorker =
                new CDownloadThread(range.m_url, m_config.m_timeout, m_config.m_retryCount, start,
                                    range.m_end, m_fileSize.load(), this, static_cast<int32_t>(i));
        } catch (...) {
            StopWorkers();
            return false;
        }
    }
    return true;
}

void CDownloader::StopWorkers() {
    for (RangeInfo& range : m_ranges) {
        if (range.m_pWorker == nullptr) continue;
        delete range.m_pWorker;
        range.m_pWorker = nullptr;
    }
}

void CDownloader::CloseFile() {
    CXMutexGuard guard(m_lock);
    if (m_pFile == nullptr) return;
    m_pFile->Release();
    m_pFile = nullptr;
}

bool CDownloader::WriteRange(int32_t index, const void* data, int32_t count, int64_t offset) {
    CXMutexGuard guard(m_lock);
    if (m_pFile == nullptr || index < 0 || static_cast<size_t>(index) >= m_ranges.size() || count <= 0)
        return false;
    RangeInfo& range = m_ranges[static_cast<size_t>(index)];
    // Only the range's next unwritten bytes are accepted: anything else would overwrite or
    // skip bytes that the table already counts.
    if (offset != range.m_start || offset + count - 1 > range.m_end) {
        ++m_misplacedWrites;
        return false;
    }
    if (m_pFile->Seek(offset, 0) != offset) return false;
    const int32_t written = m_pFile->Write(data, count);
    if (written > 0) {
        m_downloaded += written;
        range.m_start += written;
    }
    return written == count;
}

int32_t CDownloader::GetProgress() {
    const int64_t size = m_fileSize.load();
    if (size <= 0) return 0;
    return static_cast<int32_t>(m_downloaded.load() * 100 / size);
}

DownloadState CDownloader::GetState() {
    if (m_state.load() != DS_RUNNING) return static_cast<DownloadState>(m_state.load());
    if (!m_pQueryThread) {
        StopWorkers();
        m_state = DS_FAILED;
        return DS_FAILED;
    }
    if (!m_pQueryThread->IsFinished()) return DS_RUNNING;
    if (m_ranges.empty()) {
        m_state = DS_FAILED;
        return DS_FAILED;
    }
    bool workRemains = false;
    for (RangeInfo& range : m_ranges) {
        auto complete = [&] {
            CXMutexGuard guard(m_lock);
            return range.m_start > range.m_end;
        };
        if (complete()) continue;
        if (range.m_pWorker != nullptr) {
            if (!range.m_pWorker->WaitFor(1)) {
                workRemains = true;
                continue;
            }
            if (complete()) continue;
        }
        StopWorkers();
        m_state = DS_FAILED;
        return DS_FAILED;
    }
    if (workRemains) return DS_RUNNING;
    CloseFile();
    StopWorkers();
    m_state = DS_FINISHED;
    return DS_FINISHED;
}

const wchar_t* CDownloader::GetFilePath() {
    CXMutexGuard guard(m_lock);
    return m_filePath.c_str();
}

std::string CDownloader::GetUrl() {
    if (!m_pQueryThread) return kDownloadUrl;
    const std::string url = m_pQueryThread->GetUrl();
    return url.empty() ? kDownloadUrl : url;
}

std::vector<RangeInfo> CDownloader::GetRanges() {
    CXMutexGuard guard(m_lock);
    return m_ranges;
}
