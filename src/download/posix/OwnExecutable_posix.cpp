#include <unistd.h>

#include "download/OwnExecutable.h"
#include "platform/Strings.h"

std::wstring GetOwnExecutablePath() {
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return std::wstring();
    return Utf8ToWide(std::string(buffer, static_cast<size_t>(n)));
}
