// Without a system proxy service the user's choice lives in the environment, as every command
// line tool reads it: http_proxy (or HTTP_PROXY) with no_proxy exceptions.
#include <cstdlib>
#include <string>

#include "platform/CommonIntf.h"
#include "platform/ProxyList.h"
#include "platform/Strings.h"

namespace {

std::string EnvText(const char* lower, const char* upper) {
    const char* value = std::getenv(lower);
    if (value == nullptr || *value == '\0') value = std::getenv(upper);
    return value != nullptr ? std::string(value) : std::string();
}

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The host of an "http://host[:port]/..." URL, lower case.
std::string UrlHost(const std::string& url) {
    size_t start = url.find("://");
    start = start == std::string::npos ? 0 : start + 3;
    const size_t end = url.find_first_of(":/?#", start);
    return LowerAscii(url.substr(start, end == std::string::npos ? std::string::npos : end - start));
}

// no_proxy: comma- or blank-separated hosts or domain suffixes; "*" exempts everything.
bool Exempt(const std::string& host, const std::string& noProxy) {
    for (std::string entry : SplitByChars(LowerAscii(noProxy), ", ")) {
        if (entry == "*") return true;
        const size_t colon = entry.find(':');
        if (colon != std::string::npos) entry.erase(colon);
        if (!entry.empty() && entry[0] == '.') entry.erase(0, 1);
        if (entry.empty()) continue;
        if (host == entry) return true;
        if (host.size() > entry.size() &&
            host.compare(host.size() - entry.size(), entry.size(), entry) == 0 &&
            host[host.size() - entry.size() - 1] == '.')
            return true;
    }
    return false;
}

}  // namespace

bool CCommonIntf::DiscoverProxy(const std::string& url, ProxySetting& setting) {
    setting.m_type = 0;
    std::string proxy = EnvText("http_proxy", "HTTP_PROXY");
    if (proxy.empty() || Exempt(UrlHost(url), EnvText("no_proxy", "NO_PROXY"))) return false;
    // "http://[user@]host:port/" -> "host:port"; only an HTTP proxy can carry a CONNECT tunnel.
    const size_t schemeEnd = proxy.find("://");
    if (schemeEnd != std::string::npos) {
        if (LowerAscii(proxy.substr(0, schemeEnd)) != "http") return false;
        proxy.erase(0, schemeEnd + 3);
    }
    const size_t slash = proxy.find('/');
    if (slash != std::string::npos) proxy.erase(slash);
    const size_t at = proxy.rfind('@');
    if (at != std::string::npos) proxy.erase(0, at + 1);
    if (proxy.find_first_of(";=") != std::string::npos) return false;
    if (proxy.find(':') == std::string::npos) proxy += ":80";
    return ParseProxyList(proxy, setting);
}
