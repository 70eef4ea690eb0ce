#include "platform/Strings.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <cwchar>

std::string Int64ToText(int64_t value) {
    char buffer[32] = {};
    snprintf(buffer, sizeof(buffer), "%lld", static_cast<long long>(value));
    return buffer;
}

int64_t TextToInt64(const std::string& text) {
    long long value = 0;
    if (sscanf(text.c_str(), "%lld", &value) != 1) return 0;
    return value;
}

namespace {

template <typename Str>
std::vector<Str> SplitImpl(const Str& text, const Str& delims) {
    std::vector<Str> pieces;
    Str piece;
    for (auto ch : text) {
        if (delims.find(ch) != Str::npos) {
            if (!piece.empty()) pieces.push_back(piece);
            piece.clear();
        } else {
            piece.push_back(ch);
        }
    }
    if (!piece.empty()) pieces.push_back(piece);
    return pieces;
}

template <typename Str>
size_t FindImpl(const Str& text, size_t start, const Str& needle) {
    if (start >= text.size() || needle.empty()) return kNotFound;
    for (size_t p = start; p + needle.size() <= text.size(); ++p) {
        if (text.compare(p, needle.size(), needle) == 0) return p;
    }
    return kNotFound;
}

}  // namespace

std::vector<std::string> SplitByChars(const std::string& text, const std::string& delims) {
    return SplitImpl(text, delims);
}

std::vector<std::wstring> SplitByChars(const std::wstring& text, const std::wstring& delims) {
    return SplitImpl(text, delims);
}

size_t FindText(const std::string& text, size_t start, const std::string& needle) {
    return FindImpl(text, start, needle);
}

size_t FindText(const std::wstring& text, size_t start, const std::wstring& needle) {
    return FindImpl(text, start, needle);
}

std::string TrimLeftChars(const std::string& text, const std::string& chars) {
    size_t first = text.find_first_not_of(chars);
    return first == std::string::npos ? std::string() : text.substr(first);
}

std::wstring ReplaceAll(const wchar_t* text, const wchar_t* find, const wchar_t* replacement) {
    if (!text || !find || !replacement || !*text) return std::wstring();
    std::wstring result(text);
    const std::wstring needle(find);
    const std::wstring with(replacement);
    if (needle.empty() || needle.size() > result.size()) return result;
    size_t pos = 0;
    while ((pos = result.find(needle, pos)) != std::wstring::npos) {
        result.replace(pos, needle.size(), with);
        pos += with.size();
    }
    return result;
}

std::string LeftText(const char* text, size_t count) {
    if (!text || count == 0 || !*text) return std::string();
    size_t length = strlen(text);
    return std::string(text, count < length ? count : length);
}

std::string MidText(const char* text, size_t offset, size_t count) {
    if (!text || !*text) return std::string();
    size_t length = strlen(text);
    if (offset > length || count > length - offset) return std::string();
    return std::string(text + offset, count);
}

std::wstring WithTrailingSlash(const std::wstring& path) {
    if (path.empty()) return path;
    wchar_t last = path.back();
    if (last == L'\\' || last == L'/') return path;
    return path + L"\\";
}

std::wstring GetPathExtension(const std::wstring& path) {
    size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos) return std::wstring();
    size_t slash = path.rfind(L'/');
    size_t backslash = path.rfind(L'\\');
    size_t separator = std::wstring::npos;
    if (slash != std::wstring::npos) separator = slash;
    if (backslash != std::wstring::npos && (separator == std::wstring::npos || backslash > separator))
        separator = backslash;
    if (separator != std::wstring::npos && dot < separator) return std::wstring();
    return path.substr(dot);
}

bool IsValidInstallPath(const std::wstring& path) {
    if (path.find(L"\\\\") != std::wstring::npos) return false;
    std::vector<std::wstring> pieces = SplitByChars(path, L"\\");
    if (pieces.empty()) return false;
    const std::wstring& drive = pieces[0];
    if (drive.size() != 2 || drive.find(L':') == std::wstring::npos) return false;
    wchar_t letter = drive[0];
    if (!((letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z'))) return false;
    static const wchar_t kForbidden[] = L"\\/:*?\"<>|";
    for (size_t i = 1; i < pieces.size(); ++i) {
        if (pieces[i].empty()) return false;
        if (pieces[i].find_first_of(kForbidden) != std::wstring::npos) return false;
    }
    return true;
}
