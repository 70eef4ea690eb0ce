// The stream interface and its file implementation. Not safe for concurrent use: owners that
// share a stream between threads serialise every seek-and-write pair themselves.
#pragma once

#include <cstdint>
#include <string>

class ISarnovikStream {
public:
    virtual int64_t GetPosition() = 0;
    virtual int64_t SetPosition(int64_t position) = 0;
    virtual int64_t GetSize() = 0;
    virtual bool SetSize(int64_t size) = 0;
    // Bytes read, or -1 at the end of the file (which also sets IsEof).
    virtual int32_t Read(void* buffer, int32_t count) = 0;
    // Bytes written, or -1 on failure.
    virtual int32_t Write(const void* buffer, int32_t count) = 0;
    // origin: 0 start, 1 current position, 2 end.
    virtual int64_t Seek(int64_t offset, int origin) = 0;
    virtual bool IsEof() = 0;
    virtual void Release() = 0;

protected:
    ~ISarnovikStream() = default;
};

constexpr uint16_t kModeCreate = 0xFFFF;
constexpr uint16_t kModeRead = 0x0;
constexpr uint16_t kModeWrite = 0x1;
constexpr uint16_t kModeReadWrite = 0x2;
constexpr uint16_t kShareCompat = 0x00;
constexpr uint16_t kShareExclusive = 0x10;
constexpr uint16_t kShareDenyWrite = 0x20;
constexpr uint16_t kShareDenyRead = 0x30;
constexpr uint16_t kShareDenyNone = 0x40;

class CFileStream : public ISarnovikStream {
public:
    // Throws "filename can't be empty", "SarnovikFileCreate failed" or "SarnovikFileOpen failed".
    CFileStream(const std::wstring& path, uint16_t mode);
    CFileStream(const CFileStream&) = delete;
    CFileStream& operator=(const CFileStream&) = delete;

    int64_t GetPosition() override;
    int64_t SetPosition(int64_t position) override;
    int64_t GetSize() override;
    bool SetSize(int64_t size) override;
    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, int origin) override;
    bool IsEof() override;
    void Release() override;

    virtual ~CFileStream();
    // Seconds since 1970-01-01 UTC; false (outputs untouched) when the times cannot be read.
    virtual bool GetFileTimes(int64_t* created, int64_t* accessed, int64_t* written);

private:
    intptr_t m_hFile;  // the platform handle or descriptor; kInvalidFile when closed
    bool m_bEof = false;
};
