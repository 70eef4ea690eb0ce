#include <windows.h>

#include <vector>

#include "platform/Strings.h"

namespace {

std::wstring ToWide(UINT codePage, const std::string& text) {
    if (text.empty()) return std::wstring();
    int needed = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
    if (needed <= 0) return std::wstring();
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    if (MultiByteToWideChar(codePage, 0, text.c_str(), -1, buffer.data(), needed) == 0)
        return std::wstring();
    return std::wstring(buffer.data());
}

std::string ToNarrow(UINT codePage, const std::wstring& text) {
    if (text.empty()) return std::string();
    int needed = WideCharToMultiByte(codePage, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return std::string();
    std::vector<char> buffer(needed + 1, '\0');
    if (WideCharToMultiByte(codePage, 0, text.c_str(), -1, buffer.data(), needed, nullptr, nullptr) == 0)
        return std::string();
    return std::string(buffer.data());
}

// The absolute form of `path` and the index where its last component starts.
bool FullPath(const std::wstring& path, std::wstring& full, size_t& fileStart) {
    DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return false;
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    wchar_t* filePart = nullptr;
    DWORD written = GetFullPathNameW(path.c_str(), needed + 1, buffer.data(), &filePart);
    if (written == 0 || written > needed) return false;
    full.assign(buffer.data());
    fileStart = filePart ? static_cast<size_t>(filePart - buffer.data()) : full.size();
    return true;
}

}  // namespace

std::wstring AnsiToWide(const std::string& text) { return ToWide(CP_ACP, text); }
std::wstring Utf8ToWide(const std::string& text) { return ToWide(CP_UTF8, text); }
std::string WideToAnsi(const std::wstring& text) { return ToNarrow(CP_ACP, text); }
std::string WideToUtf8(const std::wstring& text) { return ToNarrow(CP_UTF8, text); }

std::wstring GetPathFileName(const std::wstring& path) {
    std::wstring full;
    size_t fileStart = 0;
    if (path.empty() || !FullPath(path, full, fileStart)) return std::wstring();
    return full.substr(fileStart);
}

std::wstring GetPathDir(const std::wstring& path) {
    std::wstring full;
    size_t fileStart = 0;
    if (path.empty() || !FullPath(path, full, fileStart)) return std::wstring();
    return full.substr(0, fileStart);
}
