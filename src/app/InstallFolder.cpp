#include "app/InstallFolder.h"

#include "platform/Strings.h"

const wchar_t kProductFolder[] = L"Kelvora";
const wchar_t kProductSubfolder[] = L"Kelvora\\kelvora";

std::wstring DefaultInstallDir(const std::wstring& base) {
    return WithTrailingSlash(WithTrailingSlash(base) + kProductFolder) + L"kelvora";
}

std::wstring WithProductSubfolder(const std::wstring& path) {
    if (FindText(path, 0, kProductSubfolder) != kNotFound) return path;
    return WithTrailingSlash(path) + kProductSubfolder;
}
