#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileStream.h"
#include "platform/posix/PosixPath.h"

namespace {
constexpr intptr_t kInvalidFile = -1;
}

CFileStream::CFileStream(const std::wstring& path, uint16_t mode) : m_hFile(kInvalidFile) {
    int fd;
    if (mode == kModeCreate) {
        if (path.empty()) throw "filename can't be empty";
        fd = open(ToPosixPath(path).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) throw "SarnovikFileCreate failed";
    } else {
        // POSIX has no share modes; the access value alone decides.
        static const int kAccess[] = {O_RDONLY, O_WRONLY, O_RDWR};
        unsigned access = mode & 3;
        unsigned share = (mode & 0xF0) >> 4;
        if (access > 2 || share > 4 || path.empty()) throw "SarnovikFileOpen failed";
        fd = open(ToPosixPath(path).c_str(), kAccess[access] | O_CLOEXEC);
        if (fd < 0) throw "SarnovikFileOpen failed";
        struct stat st;
        if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
            close(fd);
            throw "SarnovikFileOpen failed";
        }
    }
    m_hFile = fd;
}

CFileStream::~CFileStream() {
    if (m_hFile >= 0) close(static_cast<int>(m_hFile));
    m_hFile = kInvalidFile;
}

int64_t CFileStream::Seek(int64_t offset, int origin) {
    m_bEof = false;
    static const int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (origin < 0 || origin > 2) return -1;
    off_t position = lseek(static_cast<int>(m_hFile), static_cast<off_t>(offset), kWhence[origin]);
    return position < 0 ? -1 : static_cast<int64_t>(position);
}

int64_t CFileStream::GetPosition() { return Seek(0, 1); }
int64_t CFileStream::SetPosition(int64_t position) { return Seek(position, 0); }

int64_t CFileStream::GetSize() {
    int64_t position = Seek(0, 1);
    if (position < 0) return -1;
    int64_t size = Seek(0, 2);
    Seek(position, 0);
    return size;
}

bool CFileStream::SetSize(int64_t size) {
    if (Seek(size, 0) < 0) return false;
    bool ok = ftruncate(static_cast<int>(m_hFile), static_cast<off_t>(size)) == 0;
    Seek(0, 0);
    m_bEof = false;
    return ok;
}

int32_t CFileStream::Read(void* buffer, int32_t count) {
    if (!buffer || count <= 0) return 0;
    ssize_t got;
    do {
        got = read(static_cast<int>(m_hFile), buffer, static_cast<size_t>(count));
    } while (got < 0 && errno == EINTR);
    if (got > 0) return static_cast<int32_t>(got);
    if (got == 0) {
        m_bEof = true;
        return -1;
    }
    return 0;
}

int32_t CFileStream::Write(const void* buffer, int32_t count) {
    m_bEof = false;
    if (!buffer || count <= 0) return 0;
    ssize_t put;
    do {
        put = write(static_cast<int>(m_hFile), buffer, static_cast<size_t>(count));
    } while (put < 0 && errno == EINTR);
    return put < 0 ? -1 : static_cast<int32_t>(put);
}

bool CFileStream::IsEof() { return m_bEof; }
void CFileStream::Release() { delete this; }

bool CFileStream::GetFileTimes(int64_t* created, int64_t* accessed, int64_t* written) {
    struct stat st;
    if (fstat(static_cast<int>(m_hFile), &st) != 0) return false;
    // POSIX keeps no creation time; the status-change time is the nearest fact.
    if (created) *created = static_cast<int64_t>(st.st_ctime);
    if (accessed) *accessed = static_cast<int64_t>(st.st_atime);
    if (written) *written = static_cast<int64_t>(st.st_mtime);
    return true;
}
