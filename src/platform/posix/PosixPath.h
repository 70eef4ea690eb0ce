// Wide paths to the bytes POSIX calls take: UTF-8, with a backslash read as a separator so
// the portable code can build paths the way Windows writes them.
#pragma once

#include <string>

#include "platform/Strings.h"

inline std::string ToPosixPath(const std::wstring& path) {
    std::string bytes = WideToUtf8(path);
    for (char& ch : bytes)
        if (ch == '\\') ch = '/';
    return bytes;
}
