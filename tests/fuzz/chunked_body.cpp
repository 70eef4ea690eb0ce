// The chunked body reader and its line and size helpers.
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/TCPHttp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const int64_t chunkSize = ParseChunkSize(text.substr(0, 10));
    if (chunkSize < INT32_MIN || chunkSize > INT32_MAX) __builtin_trap();  // a signed 32-bit value
    CMemoryByteSource source(text, 1 + size % 5);
    try {
        const std::string body = ReadChunkedBody(source);
        if (body.size() > size) __builtin_trap();  // never more body than input
    } catch (const char*) {
    }
    return 0;
}
