// Whether the installed product is as new as the one the server offers.
#pragma once

#include <string>

enum : int {
    VERSION_SERVER_OLDER = -1,  // the installed product is newer than the server's
    VERSION_SAME = 0,
    VERSION_SERVER_NEWER = 1,  // an update is available
};

// Dotted versions compared number by number ("%lld" reading, so 10 is newer than 9); empty
// pieces are dropped, and a number only one side has compares with 0 on the other.
int CompareVersions(const std::string& serverVersion, const std::string& localVersion);

// Same or older server version. A missing or empty server version never counts as up to date:
// without an answer the user must be able to install.
bool IsInstalledUpToDate(const char* serverVersion, const std::string& localVersion);
