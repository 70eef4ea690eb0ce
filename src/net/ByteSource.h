// Where the HTTP readers get their bytes: a socket in the product, a buffer in tests and
// fuzzers. The readers never know which.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class IByteSource {
public:
    virtual ~IByteSource() = default;
    // Up to `size` bytes into `buffer`; 0 when the peer has closed. Errors are thrown as messages.
    virtual size_t ReadSome(void* buffer, size_t size) = 0;
};

// Fills exactly `count` bytes; a source that ends first throws "Server can't send data".
void ReadExact(IByteSource& source, void* buffer, size_t count);

// Serves a fixed text, at most `pieceSize` bytes per read (0 = no limit), then reports the end.
class CMemoryByteSource : public IByteSource {
public:
    explicit CMemoryByteSource(std::string data, size_t pieceSize = 0)
        : m_data(std::move(data)), m_pieceSize(pieceSize) {}
    size_t ReadSome(void* buffer, size_t size) override;
    // Bytes not read yet.
    std::string Rest() const { return m_data.substr(m_pos); }

private:
    std::string m_data;
    size_t m_pieceSize;
    size_t m_pos = 0;
};
