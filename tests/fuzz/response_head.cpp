// The response head and what HttpGet reads after it, from a source that hands out pieces of the
// size the first byte picks.
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/TCPHttp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    CMemoryByteSource source(std::string(reinterpret_cast<const char*>(data) + 1, size - 1), data[0] % 8);
    try {
        const ResponseHead head = ReadResponseHead(source);
        if (head.m_status.size() != 0 && head.m_status.size() != 3) __builtin_trap();
        if (head.m_status != "200") return 0;
        // Lengths beyond what the input holds only prove the ceiling; keep the run fast.
        const int64_t left = static_cast<int64_t>(source.Rest().size());
        if (head.m_contentLength > 0) {
            const std::string body =
                ReadBody(source, head.m_contentLength > left + 1 ? left + 1 : head.m_contentLength, 0);
            if (static_cast<int64_t>(body.size()) > kMaxBodyBytes) __builtin_trap();
        } else {
            ReadChunkedBody(source);
        }
    } catch (const char*) {
    }
    return 0;
}
