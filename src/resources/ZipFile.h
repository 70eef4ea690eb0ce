// The platform half of unpacking: opening an archive and a destination file by wide path.
#pragma once

#include <cstdio>
#include <string>

// A minizip unzFile, or null.
void* OpenZipArchive(const std::wstring& path);
// A C stream opened with mode "wb", or null.
FILE* OpenFileForWrite(const std::wstring& path);
