#include "app/InstallProgress.h"

#include <gtest/gtest.h>

namespace {

TEST(InstallProgress, InstallerCommandLineQuotesFileAndFolder) {
    EXPECT_EQ(
        L"\"C:\\Users\\u\\AppData\\Roaming\\kelvora\\kelvora\\install_zozavi00.exe\" /SILENT /VERYSILENT "
        L"/SP- /noicons /DIR=\"C:\\Program Files (x86)\\Kelvora\\kelvora\"",
        InstallerCommandLine(L"C:\\Users\\u\\AppData\\Roaming\\kelvora\\kelvora\\install_zozavi00.exe",
                             L"C:\\Program Files (x86)\\Kelvora\\kelvora"));
    // Nothing is inserted or trimmed: wide characters and blanks pass through.
    EXPECT_EQ(L"\"D:\\下载\\a b.exe\" /SILENT /VERYSILENT /SP- /noicons /DIR=\"E:\\软件\\Kelvora\\kelvora\"",
              InstallerCommandLine(L"D:\\下载\\a b.exe", L"E:\\软件\\Kelvora\\kelvora"));
}

TEST(InstallProgress, DownloadTakesFourFifthsOfTheBar) {
    struct Case {
        int32_t download;
        uint32_t shown;
    } cases[] = {{0, 0}, {1, 0}, {2, 1}, {50, 40}, {99, 79}, {100, 80}, {-5, 0}, {250, 80}};
    for (const Case& c : cases) EXPECT_EQ(c.shown, DownloadDisplayPercent(c.download)) << c.download;
}

TEST(InstallProgress, InstallerCountsOnePerSecondAndWaitsAt99) {
    struct Case {
        uint32_t elapsedMs;
        uint32_t shown;
    } cases[] = {{0, 80}, {999, 80}, {1000, 81}, {18999, 98}, {19000, 99}, {45000, 99}, {0xFFFFFFFFu, 99}};
    for (const Case& c : cases) EXPECT_EQ(c.shown, InstallDisplayPercent(c.elapsedMs)) << c.elapsedMs;
    // Ticks that wrapped between the start and now still measure the real time.
    const uint32_t start = 0xFFFFF000u;
    const uint32_t now = start + 8500u;
    ASSERT_LT(now, start);
    EXPECT_EQ(88u, InstallDisplayPercent(now - start));
}

TEST(InstallProgress, StatusLine) {
    EXPECT_EQ(L"正在安装，请不要关闭：0%", ProgressStatusText(0));
    EXPECT_EQ(L"正在安装，请不要关闭：42%", ProgressStatusText(42));
    EXPECT_EQ(L"正在安装，请不要关闭：100%", ProgressStatusText(100));
}

TEST(InstallProgress, ThirdFailureOfAKindGoesManualAndStaysThere) {
    int32_t counter = 0;
    EXPECT_EQ(FAILURE_OFFER_RETRY, CountFailure(&counter));
    EXPECT_EQ(FAILURE_OFFER_RETRY, CountFailure(&counter));
    EXPECT_EQ(FAILURE_MANUAL, CountFailure(&counter));
    EXPECT_EQ(3, counter);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(FAILURE_MANUAL, CountFailure(&counter));
    EXPECT_EQ(3, counter);
}

}  // namespace
