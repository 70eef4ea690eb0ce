// Outside Windows there is neither an uninstall registry nor version resources: the product
// reads as not installed and every executable as having no version.
#include "pkginfo/CAppInfo.h"

std::wstring CAppInfo::ReadDisplayIcon() {
    return std::wstring();
}

std::wstring CAppInfo::GetFileVersion(const std::wstring& path) {
    return std::wstring();
}
