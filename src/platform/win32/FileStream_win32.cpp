#include <windows.h>

#include "platform/FileStream.h"

namespace {
const intptr_t kInvalidFile = reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE);
HANDLE H(intptr_t file) { return reinterpret_cast<HANDLE>(file); }
}  // namespace

CFileStream::CFileStream(const std::wstring& path, uint16_t mode) : m_hFile(kInvalidFile) {
    HANDLE file;
    if (mode == kModeCreate) {
        if (path.empty()) throw "filename can't be empty";
        file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) throw "SarnovikFileCreate failed";
    } else {
        static const DWORD kAccess[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
        static const DWORD kShare[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE};
        unsigned access = mode & 3;
        unsigned share = (mode & 0xF0) >> 4;
        if (access > 2 || share > 4) throw "SarnovikFileOpen failed";
        file = CreateFileW(path.c_str(), kAccess[access], kShare[share], nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) throw "SarnovikFileOpen failed";
    }
    m_hFile = reinterpret_cast<intptr_t>(file);
}

CFileStream::~CFileStream() {
    if (m_hFile != 0 && m_hFile != kInvalidFile) CloseHandle(H(m_hFile));
    m_hFile = kInvalidFile;
}

int64_t CFileStream::Seek(int64_t offset, int origin) {
    m_bEof = false;
    LONG high = static_cast<LONG>(offset >> 32);
    DWORD low = SetFilePointer(H(m_hFile), static_cast<LONG>(offset & 0xFFFFFFFF), &high, origin);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return -1;
    return (static_cast<int64_t>(high) << 32) | low;
}

int64_t CFileStream::GetPosition() { return Seek(0, FILE_CURRENT); }
int64_t CFileStream::SetPosition(int64_t position) { return Seek(position, FILE_BEGIN); }

int64_t CFileStream::GetSize() {
    int64_t position = Seek(0, FILE_CURRENT);
    if (position < 0) return -1;
    int64_t size = Seek(0, FILE_END);
    Seek(position, FILE_BEGIN);
    return size;
}

bool CFileStream::SetSize(int64_t size) {
    if (Seek(size, FILE_BEGIN) < 0) return false;
    bool ok = SetEndOfFile(H(m_hFile)) != FALSE;
    Seek(0, FILE_BEGIN);
    m_bEof = false;
    return ok;
}

int32_t CFileStream::Read(void* buffer, int32_t count) {
    if (!buffer || count <= 0) return 0;
    DWORD read = 0;
    if (ReadFile(H(m_hFile), buffer, static_cast<DWORD>(count), &read, nullptr)) {
        if (read > 0) return static_cast<int32_t>(read);
        m_bEof = true;
        return -1;
    }
    if (GetLastError() == ERROR_HANDLE_EOF) {
        m_bEof = true;
        return -1;
    }
    return static_cast<int32_t>(read);
}

int32_t CFileStream::Write(const void* buffer, int32_t count) {
    m_bEof = false;
    if (!buffer || count <= 0) return 0;
    DWORD written = 0;
    if (!WriteFile(H(m_hFile), buffer, static_cast<DWORD>(count), &written, nullptr)) return -1;
    return static_cast<int32_t>(written);
}

bool CFileStream::IsEof() { return m_bEof; }
void CFileStream::Release() { delete this; }

bool CFileStream::GetFileTimes(int64_t* created, int64_t* accessed, int64_t* written) {
    FILETIME c, a, w;
    if (!GetFileTime(H(m_hFile), &c, &a, &w)) return false;
    auto seconds = [](const FILETIME& t) {
        int64_t ticks = (static_cast<int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
        return (ticks - 116444736000000000LL) / 10000000LL;
    };
    if (created) *created = seconds(c);
    if (accessed) *accessed = seconds(a);
    if (written) *written = seconds(w);
    return true;
}
