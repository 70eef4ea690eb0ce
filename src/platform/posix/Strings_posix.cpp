// On POSIX the "ANSI code page" is UTF-8 and wide text is UTF-32; the codec is our own so that
// the conversions do not depend on the process locale.
#include <unistd.h>

#include <climits>
#include <cwchar>

#include "platform/Strings.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

std::wstring DecodeUtf8(const std::string& input) {
    std::string text(input.c_str());  // up to the first NUL
    std::wstring out;
    size_t i = 0;
    while (i < text.size()) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, cp = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, cp = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, cp = lead & 0x07;
        } else {
            out.push_back(static_cast<wchar_t>(kReplacement));
            ++i;
            continue;
        }
        bool ok = i + extra < text.size();
        for (int k = 1; ok && k <= extra; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) ok = false;
            else cp = (cp << 6) | (next & 0x3F);
        }
        static const char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (!ok || cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(static_cast<wchar_t>(kReplacement));
            ++i;
            continue;
        }
        out.push_back(static_cast<wchar_t>(cp));
        i += extra + 1;
    }
    return out;
}

std::string EncodeUtf8(const std::wstring& input) {
    std::string out;
    for (wchar_t wc : input) {
        if (wc == L'\0') break;
        char32_t cp = static_cast<char32_t>(wc);
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

// Absolute form with "." and ".." folded; both separators accepted, "/" produced.
std::wstring FullPath(const std::wstring& path) {
    std::wstring base;
    if (path.empty() || (path[0] != L'/' && path[0] != L'\\')) {
        char cwd[PATH_MAX] = {};
        if (!getcwd(cwd, sizeof(cwd))) return std::wstring();
        base = DecodeUtf8(cwd);
    }
    std::vector<std::wstring> parts;
    const std::wstring* sources[] = {&base, &path};
    for (const std::wstring* source : sources) {
        for (const std::wstring& piece : SplitByChars(*source, L"/\\")) {
            if (piece == L".") continue;
            if (piece == L"..") {
                if (!parts.empty()) parts.pop_back();
                continue;
            }
            parts.push_back(piece);
        }
    }
    std::wstring full;
    for (const std::wstring& piece : parts) full += L"/" + piece;
    bool trailing = !path.empty() && (path.back() == L'/' || path.back() == L'\\');
    if (full.empty() || trailing) full += L"/";
    return full;
}

}  // namespace

std::wstring AnsiToWide(const std::string& text) { return DecodeUtf8(text); }
std::wstring Utf8ToWide(const std::string& text) { return DecodeUtf8(text); }
std::string WideToAnsi(const std::wstring& text) { return EncodeUtf8(text); }
std::string WideToUtf8(const std::wstring& text) { return EncodeUtf8(text); }

std::wstring GetPathFileName(const std::wstring& path) {
    if (path.empty()) return std::wstring();
    std::wstring full = FullPath(path);
    return full.substr(full.rfind(L'/') + 1);
}

std::wstring GetPathDir(const std::wstring& path) {
    if (path.empty()) return std::wstring();
    std::wstring full = FullPath(path);
    return full.substr(0, full.rfind(L'/') + 1);
}
