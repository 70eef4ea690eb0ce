#include <gtest/gtest.h>

#include "pkginfo/AppInfo.h"

// Without a registry the product always reads as not installed, and nothing has a version.
TEST(AppInfo, NothingIsInstalledHere) {
    IAppInfo* info = GetAppInfo();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(GetAppInfo(), info);
    EXPECT_TRUE(info->Refresh());
    EXPECT_TRUE(info->GetExePath().empty());
    EXPECT_TRUE(info->GetVersion().empty());
    EXPECT_TRUE(info->GetFileVersion(L"").empty());
}
