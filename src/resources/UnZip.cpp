#include "resources/UnZip.h"

#include <minizip/unzip.h>

#include <algorithm>
#include <cstring>

#include "platform/Strings.h"
#include "resources/ZipFile.h"

namespace {

constexpr size_t kNameBufferSize = 260;
constexpr uint64_t kReadPiece = 2048;

// Closes the archive on every path out of UnzipAll.
struct ArchiveCloser {
    unzFile archive;
    ~ArchiveCloser() {
        if (archive) unzClose(archive);
    }
};

bool IsPlainWideName(const std::wstring& name) {
    if (name.empty() || name == L"." || name == L"..") return false;
    return name.find_first_of(L"/\\:") == std::wstring::npos;
}

}  // namespace

bool IsPlainMemberName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of("/\\:") == std::string::npos;
}

void ListZipEntries(void* archive, std::vector<std::string>& names) {
    unzFile zip = static_cast<unzFile>(archive);
    if (unzGoToFirstFile(zip) != UNZ_OK) return;
    for (;;) {
        char name[kNameBufferSize + 1] = {};
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(zip, &info, name, kNameBufferSize, nullptr, 0, nullptr, 0) != UNZ_OK)
            break;
        names.emplace_back(name);
        if (unzGoToNextFile(zip) != UNZ_OK) break;
    }
}

int UnzipEntry(void* archive, const std::string& name, const std::wstring& destPath) {
    unzFile zip = static_cast<unzFile>(archive);
    if (unzLocateFile(zip, name.c_str(), 1) != UNZ_OK) return -1;
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return -1;
    const uint64_t size = info.uncompressed_size;
    if (size == 0) return -1;
    if (unzOpenCurrentFile(zip) != UNZ_OK) return -1;

    int result = -1;
    if (FILE* out = OpenFileForWrite(destPath)) {
        result = 0;
        char buffer[kReadPiece];
        for (uint64_t requested = 0; requested < size;) {
            const unsigned piece = static_cast<unsigned>(std::min(kReadPiece, size - requested));
            const int got = unzReadCurrentFile(zip, buffer, piece);
            if (got <= 0 ||
                std::fwrite(buffer, 1, static_cast<size_t>(got), out) != static_cast<size_t>(got)) {
                result = -1;
                break;
            }
            requested += piece;
        }
        if (std::fclose(out) != 0) result = -1;
    }
    // A member whose bytes do not match their checksum is as broken as a short one.
    if (unzCloseCurrentFile(zip) != UNZ_OK) result = -1;
    return result;
}

int UnzipAll(const std::wstring& folder, const std::wstring& archivePath) {
    if (folder.empty() || archivePath.empty()) return -1;
    ArchiveCloser closer{static_cast<unzFile>(OpenZipArchive(archivePath))};
    if (!closer.archive) return -1;

    std::vector<std::string> names;
    ListZipEntries(closer.archive, names);
    if (names.empty()) return -1;
    // Every name is checked before anything is written, so a hostile archive leaves no file.
    std::vector<std::wstring> wideNames;
    for (const std::string& name : names) {
        std::wstring wide = AnsiToWide(name);
        if (!IsPlainMemberName(name) || !IsPlainWideName(wide)) return -1;
        wideNames.push_back(std::move(wide));
    }
    for (size_t i = 0; i < names.size(); ++i) {
        if (UnzipEntry(closer.archive, names[i], folder + wideNames[i]) != 0) return -1;
    }
    return 0;
}
