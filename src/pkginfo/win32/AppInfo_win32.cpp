#include <windows.h>

#include <vector>

#include "pkginfo/CAppInfo.h"
#include "platform/Files.h"

namespace {

const wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{9D3F6A21-8E5D-4F7A-92A5-D1F08E7B3A46}_is1";

// The product's setup program is a 32-bit program and writes into the 32-bit branch. A 32-bit
// build sees that branch without asking; a 64-bit build has to ask for it.
const REGSAM kProductView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : 0;

class RegKey {
public:
    explicit RegKey(HKEY key) : m_key(key) {}
    ~RegKey() { RegCloseKey(m_key); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    HKEY Get() const { return m_key; }

private:
    HKEY m_key;
};

}  // namespace

std::wstring CAppInfo::ReadDisplayIcon() {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | kProductView, &opened) !=
        ERROR_SUCCESS) {
        return std::wstring();
    }
    RegKey key(opened);
    // Half of the buffer is offered, so the text always ends in zeros even when the value does not.
    std::vector<BYTE> buffer(2048, 0);
    DWORD size = 1023;
    DWORD type = 0;
    if (RegQueryValueExW(key.Get(), L"DisplayIcon", nullptr, &type, buffer.data(), &size) != ERROR_SUCCESS) {
        return std::wstring();
    }
    std::wstring path(reinterpret_cast<const wchar_t*>(buffer.data()));
    if (!path.empty() && !FileExists(path)) path.clear();
    return path;
}

std::wstring CAppInfo::GetFileVersion(const std::wstring& path) {
    std::wstring file = path;
    if (file.empty()) {
        std::vector<wchar_t> own(1024, L'\0');
        GetModuleFileNameW(nullptr, own.data(), 1023);
        file = own.data();
    }
    if (file.empty()) return std::wstring();

    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    if (size == 0) return std::wstring();
    std::vector<BYTE> block(size * 2 + 2, 0);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return std::wstring();

    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                        &length) ||
        !translation || length < sizeof(Translation)) {
        return std::wstring();
    }
    std::vector<wchar_t> query(4096, L'\0');
    wsprintfW(query.data(), L"\\StringFileInfo\\%04x%04x\\%s", translation->language, translation->codePage,
              L"ProductVersion");
    wchar_t* text = nullptr;
    UINT textLength = 0;
    if (!VerQueryValueW(block.data(), query.data(), reinterpret_cast<void**>(&text), &textLength) || !text) {
        return std::wstring();
    }
    return std::wstring(text);
}
