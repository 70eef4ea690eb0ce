// The product server's answer about the current package, fetched in the background from the
// first call of GetPkgInfo on.
#pragma once

#include <cstdint>

enum : int32_t {
    PKG_PENDING = 0,
    PKG_READY = 1,
    PKG_FAILED = 2,
};

class IPkgInfo {
public:
    // PKG_PENDING until the fetch ends, then PKG_READY or PKG_FAILED for good.
    virtual int32_t IsReady() = 0;
    virtual int64_t GetPackageSize() = 0;
    // Disk space an installation needs, in bytes; fixed, whatever the server says.
    virtual int64_t GetRequiredSpace() = 0;
    // The server's version text; null while there is none. Once IsReady is no longer pending
    // the data never changes again, which is what lets callers keep these pointers.
    virtual const char* GetVersion() = 0;
    virtual int32_t GetUrlCount() = 0;
    // The server's download address (never null); the index is ignored.
    virtual const char* GetUrl(int32_t index) = 0;
    // Empties the texts and zeroes both sizes; not used by the installer itself.
    virtual void Reset() = 0;

protected:
    ~IPkgInfo() = default;
};

// The process-wide client; null when it could not be made (a later call tries again).
IPkgInfo* GetPkgInfo();
