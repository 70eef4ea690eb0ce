#include <cstddef>
#include <cstdint>
#include <string>

#include "net/TCPHttp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string url(reinterpret_cast<const char*>(data), size);
    try {
        const UrlParts parts = ParseUrl(url);
        if (parts.m_host.empty() || parts.m_path.empty() || parts.m_path[0] != '/') __builtin_trap();
        if (parts.m_port <= 0 || parts.m_port > 65535) __builtin_trap();
        // The texts built from a parsed URL must carry it unchanged.
        const std::string request = BuildRangeRequest(parts.m_host, parts.m_path, 0, 1);
        if (request.compare(0, 4 + parts.m_path.size(), "GET " + parts.m_path) != 0) __builtin_trap();
    } catch (const char*) {
    }
    return 0;
}
