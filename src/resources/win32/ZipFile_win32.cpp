// minizip's Win32 file functions need <windows.h> and its own headers first.
// clang-format off
#include <windows.h>
#include <minizip/unzip.h>
#include <minizip/iowin32.h>
// clang-format on

#include "resources/ZipFile.h"

void* OpenZipArchive(const std::wstring& path) {
    if (path.empty()) return nullptr;
    // The wide file functions, so a run folder below a non-ASCII user name opens too.
    zlib_filefunc64_def functions;
    fill_win32_filefunc64W(&functions);
    return unzOpen2_64(path.c_str(), &functions);
}

FILE* OpenFileForWrite(const std::wstring& path) {
    if (path.empty()) return nullptr;
    return _wfopen(path.c_str(), L"wb");
}
