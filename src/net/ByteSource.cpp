#include "net/ByteSource.h"

#include <cstring>

void ReadExact(IByteSource& source, void* buffer, size_t count) {
    char* out = static_cast<char*>(buffer);
    while (count > 0) {
        const size_t n = source.ReadSome(out, count);
        if (n == 0) throw "Server can't send data";
        out += n;
        count -= n;
    }
}

size_t CMemoryByteSource::ReadSome(void* buffer, size_t size) {
    size_t n = m_data.size() - m_pos;
    if (n > size) n = size;
    if (m_pieceSize != 0 && n > m_pieceSize) n = m_pieceSize;
    std::memcpy(buffer, m_data.data() + m_pos, n);
    m_pos += n;
    return n;
}
