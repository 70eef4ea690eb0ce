#include <cstddef>
#include <cstdint>
#include <string>

#include "pkginfo/CReadPkgInfoThread.h"

// Whatever the server sends, the reply is either accepted with the fixed sizes or rejected with
// one of the thread's own messages; nothing else may escape.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string body(reinterpret_cast<const char*>(data), size);
    try {
        const PkgInfoData result = CReadPkgInfoThread::ParseReply(body);
        if (result.m_packageSize != 100000808 || result.m_requiredSpace != 100673700) __builtin_trap();
    } catch (const char*) {
    }
    return 0;
}
