#include "app/InstallFolder.h"

#include <gtest/gtest.h>

#include "app/PageFlow.h"
#include "app/SizeText.h"

namespace {

TEST(InstallFolder, ProductSubfolderAddedOnce) {
    const struct {
        const wchar_t* picked;
        const wchar_t* result;
    } cases[] = {
        {L"D:\\", L"D:\\Kelvora\\kelvora"},
        {L"E:\\Tools", L"E:\\Tools\\Kelvora\\kelvora"},
        {L"D:\\Apps\\Kelvora\\kelvora", L"D:\\Apps\\Kelvora\\kelvora"},
        {L"D:\\Apps\\Kelvora\\kelvora\\bin", L"D:\\Apps\\Kelvora\\kelvora\\bin"},
        {L"D:\\Apps\\Kelvora", L"D:\\Apps\\Kelvora\\Kelvora\\kelvora"},  // only the full pair counts
        {L"D:\\apps\\kelvora\\kelvora", L"D:\\apps\\kelvora\\kelvora\\Kelvora\\kelvora"},  // case matters
    };
    for (const auto& c : cases) EXPECT_EQ(WithProductSubfolder(c.picked), c.result);
}

TEST(InstallFolder, DefaultFolderUnderTheBase) {
    EXPECT_EQ(DefaultInstallDir(L"C:\\Program Files (x86)"), L"C:\\Program Files (x86)\\Kelvora\\kelvora");
    EXPECT_EQ(DefaultInstallDir(L"D:\\"), L"D:\\Kelvora\\kelvora");
}

TEST(InstallFolder, RoomMeansStrictlyMoreFreeBytes) {
    EXPECT_TRUE(HasRoomFor(100, 101));
    EXPECT_FALSE(HasRoomFor(100, 100));
    EXPECT_FALSE(HasRoomFor(100, 0));
    // Compared unsigned: the largest counts must not wrap into negatives.
    EXPECT_TRUE(HasRoomFor(0x7FFFFFFFFFFFFFFFull, 0x8000000000000000ull));
}

TEST(SizeText, OneDecimalInTheLargestUnitExceeded) {
    const struct {
        double bytes;
        const wchar_t* text;
    } cases[] = {
        {0, L"0.0 B"},
        {1024, L"1024.0 B"},
        {1025, L"1.0 KB"},
        {1048576, L"1024.0 KB"},
        {100673700, L"96.0 MB"},
        {1073741824, L"1024.0 MB"},
        {1073741825, L"1.0 GB"},
        {1099511627776.0, L"1024.0 GB"},
        {2 * 1099511627776.0, L"2.0 TB"},
        {1.5 * 1073741824, L"1.5 GB"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatSize(c.bytes), c.text) << c.bytes;
}

TEST(PageFlow, OnlyTheLatestVersionPageIsSmall) {
    const struct {
        int flag, current;
        bool resize;
        uint32_t width, height;
    } cases[] = {
        {0, -1, true, 400, 200}, {1, -1, false, 600, 400}, {1, 0, true, 600, 400},
        {2, 1, false, 600, 400}, {0, 1, true, 400, 200},   {4, 3, false, 600, 400},
    };
    for (const auto& c : cases) {
        const PageWindowSize size = WindowSizeForSwitch(c.flag, c.current);
        EXPECT_EQ(size.resize, c.resize) << c.flag << " from " << c.current;
        if (size.resize) {
            EXPECT_EQ(size.width, c.width);
            EXPECT_EQ(size.height, c.height);
        }
    }
    EXPECT_FALSE(IsViewFlag(-1));
    EXPECT_FALSE(IsViewFlag(5));
    EXPECT_TRUE(IsViewFlag(0));
    EXPECT_TRUE(IsViewFlag(4));
}

}  // namespace
