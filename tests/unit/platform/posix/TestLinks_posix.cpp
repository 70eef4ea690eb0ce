#include <unistd.h>

#include "../TestLinks.h"
#include "platform/Strings.h"
#include "platform/posix/PosixPath.h"

namespace {

bool MakeLink(const std::wstring& link, const std::wstring& target) {
    return symlink(ToPosixPath(target).c_str(), ToPosixPath(link).c_str()) == 0;
}

}  // namespace

bool MakeFolderLink(const std::wstring& link, const std::wstring& target) {
    return MakeLink(link, target);
}
bool MakeFileLink(const std::wstring& link, const std::wstring& target) {
    return MakeLink(link, target);
}
