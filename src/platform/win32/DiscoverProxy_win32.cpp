#include <windows.h>
#include <winhttp.h>

#include <string>

#include "platform/CommonIntf.h"
#include "platform/ProxyList.h"
#include "platform/Strings.h"

namespace {

// WinHTTP hands out its strings with GlobalAlloc; the caller frees them.
void FreeWinHttpText(LPWSTR text) {
    if (text != nullptr) GlobalFree(text);
}

bool ParseWideList(const wchar_t* list, ProxySetting& setting) {
    if (list == nullptr || *list == L'\0') return false;
    return ParseProxyList(WideToUtf8(list), setting);
}

// The proxy that the auto-configuration script at `scriptUrl` chooses for `url`.
bool ProxyFromScript(const std::string& url, const wchar_t* scriptUrl, ProxySetting& setting) {
    HINTERNET session = WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                    WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
    if (session == nullptr) return false;
    WINHTTP_AUTOPROXY_OPTIONS options;
    ZeroMemory(&options, sizeof options);
    options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = scriptUrl;
    options.fAutoLogonIfChallenged = TRUE;
    WINHTTP_PROXY_INFO info;
    ZeroMemory(&info, sizeof info);
    const std::wstring wideUrl = AnsiToWide(url);
    bool found = false;
    if (WinHttpGetProxyForUrl(session, wideUrl.c_str(), &options, &info)) {
        if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY)
            found = ParseWideList(info.lpszProxy, setting);
    }
    FreeWinHttpText(info.lpszProxy);
    FreeWinHttpText(info.lpszProxyBypass);
    WinHttpCloseHandle(session);
    return found;
}

}  // namespace

bool CCommonIntf::DiscoverProxy(const std::string& url, ProxySetting& setting) {
    setting.m_type = 0;
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config;
    ZeroMemory(&config, sizeof config);
    WinHttpGetIEProxyConfigForCurrentUser(&config);
    bool found = false;
    // One source only: a configured script decides alone, the manual list is then ignored.
    if (config.lpszAutoConfigUrl != nullptr && *config.lpszAutoConfigUrl != L'\0') {
        found = ProxyFromScript(url, config.lpszAutoConfigUrl, setting);
    } else if (config.lpszProxy != nullptr) {
        found = ParseWideList(config.lpszProxy, setting);
    }
    FreeWinHttpText(config.lpszAutoConfigUrl);
    FreeWinHttpText(config.lpszProxy);
    FreeWinHttpText(config.lpszProxyBypass);
    return found && setting.m_type == 1;
}
