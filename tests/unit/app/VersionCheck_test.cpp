#include "app/VersionCheck.h"

#include <gtest/gtest.h>

namespace {

struct VersionCase {
    const char* server;
    const char* local;
    int order;
};

TEST(VersionCheck, ComparesNumberByNumber) {
    const VersionCase cases[] = {
        {"1.2.3.4", "1.2.3.4", VERSION_SAME},
        {"1.2.3.9", "1.2.3.10", VERSION_SERVER_OLDER},  // numbers, not text
        {"1.2.4.0", "1.2.3.4", VERSION_SERVER_NEWER},
        {"2.0", "10.0", VERSION_SERVER_OLDER},
        {"1..2", "1.2", VERSION_SAME},     // empty pieces dropped
        {"1.2", "1.2.0.0", VERSION_SAME},  // a missing number counts as 0
        {"1.2", "1.2.0.1", VERSION_SERVER_OLDER},
        {"1.2.0.1", "1.2", VERSION_SERVER_NEWER},
        {"1.2.3", "1.2.3b", VERSION_SAME},  // "%lld" stops at the letter
        {" 7.1", "7.1", VERSION_SAME},      // leading blanks skipped
        {"x.5", "0.5", VERSION_SAME},       // unreadable reads as 0
        {"9223372036854775807.1", "9223372036854775806.9", VERSION_SERVER_NEWER},
        {"1.2.3.4", "", VERSION_SERVER_NEWER},
    };
    for (const VersionCase& c : cases) {
        EXPECT_EQ(CompareVersions(c.server, c.local), c.order) << c.server << " vs " << c.local;
    }
}

TEST(VersionCheck, UpToDateUnlessTheServerIsNewerOrSilent) {
    EXPECT_TRUE(IsInstalledUpToDate("1.2.3.4", "1.2.3.4"));
    EXPECT_TRUE(IsInstalledUpToDate("1.2.3.9", "1.2.3.10"));
    EXPECT_FALSE(IsInstalledUpToDate("1.2.4.0", "1.2.3.4"));
    EXPECT_FALSE(IsInstalledUpToDate("", "1.2.3.4"));
    EXPECT_FALSE(IsInstalledUpToDate(nullptr, "1.2.3.4"));
    EXPECT_FALSE(IsInstalledUpToDate("", ""));
}

}  // namespace
