#include "app/ChannelTag.h"

std::string ChannelTagFromModulePath(const std::string& utf8ModulePath) {
    size_t slash = utf8ModulePath.rfind('\\');
    if (slash == std::string::npos) return std::string();
    size_t nameLength = utf8ModulePath.size() - slash - 1;
    // Bytes, not characters: a name shorter than ".exe" leaves nothing.
    if (nameLength < 4) return std::string();
    return utf8ModulePath.substr(slash + 1, nameLength - 4);
}
