#include <minizip/unzip.h>

#include <algorithm>

#include "platform/Strings.h"
#include "resources/ZipFile.h"

namespace {

// Paths are built with the installer's backslashes; POSIX takes either separator.
std::string NativePath(const std::wstring& path) {
    std::string narrow = WideToUtf8(path);
    std::replace(narrow.begin(), narrow.end(), '\\', '/');
    return narrow;
}

}  // namespace

void* OpenZipArchive(const std::wstring& path) {
    const std::string narrow = NativePath(path);
    if (narrow.empty()) return nullptr;
    return unzOpen(narrow.c_str());
}

FILE* OpenFileForWrite(const std::wstring& path) {
    const std::string narrow = NativePath(path);
    if (narrow.empty()) return nullptr;
    return std::fopen(narrow.c_str(), "wb");
}
