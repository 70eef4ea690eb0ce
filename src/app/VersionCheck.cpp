#include "app/VersionCheck.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/Strings.h"

int CompareVersions(const std::string& serverVersion, const std::string& localVersion) {
    const std::vector<std::string> server = SplitByChars(serverVersion, ".");
    const std::vector<std::string> local = SplitByChars(localVersion, ".");
    const size_t count = std::max(server.size(), local.size());
    for (size_t i = 0; i < count; ++i) {
        const int64_t s = i < server.size() ? TextToInt64(server[i]) : 0;
        const int64_t l = i < local.size() ? TextToInt64(local[i]) : 0;
        if (s < l) return VERSION_SERVER_OLDER;
        if (s > l) return VERSION_SERVER_NEWER;
    }
    return VERSION_SAME;
}

bool IsInstalledUpToDate(const char* serverVersion, const std::string& localVersion) {
    if (!serverVersion || !*serverVersion) return false;
    return CompareVersions(serverVersion, localVersion) != VERSION_SERVER_NEWER;
}
