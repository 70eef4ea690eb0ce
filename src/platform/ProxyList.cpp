#include "platform/ProxyList.h"

#include <string>
#include <vector>

#include "platform/Strings.h"

bool ParseProxyList(const std::string& utf8List, ProxySetting& setting) {
    bool accepted = false;
    for (const std::string& piece : SplitByChars(utf8List, ";")) {
        const size_t eq = piece.find('=');
        const size_t hostStart = eq == std::string::npos ? 0 : eq + 1;
        // The port separator is looked for after the scheme, so "a:1=b" cannot give a host that
        // starts before it ends.
        const size_t colon = piece.find(':', hostStart);
        const std::string scheme = eq == std::string::npos ? std::string() : piece.substr(0, eq);
        const std::string host =
            piece.substr(hostStart, colon == std::string::npos ? std::string::npos : colon - hostStart);
        const std::string portText = colon == std::string::npos ? piece : piece.substr(colon + 1);
        if (host.empty()) continue;
        if (!scheme.empty() && scheme != "http") continue;
        setting.m_type = 1;
        setting.m_host = host;
        setting.m_port = static_cast<uint16_t>(TextToInt64(portText));
        accepted = true;
    }
    return accepted;
}
