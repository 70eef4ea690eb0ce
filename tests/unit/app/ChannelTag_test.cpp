#include "app/ChannelTag.h"

#include <gtest/gtest.h>

namespace {

TEST(ChannelTag, IsTheFileNameWithoutItsLastFourBytes) {
    struct Case {
        const char* path;
        const char* tag;
    } cases[] = {
        {"C:\\Users\\u\\Downloads\\install_zozavi00.exe", "install_zozavi00"},
        {"D:\\install_zodoziv0.exe", "install_zodoziv0"},
        {"C:\\x\\abcd.exe", "abcd"},
        {"no_backslash.exe", ""},
        {"C:\\dir\\", ""},
        {"C:\\dir\\a.e", ""},
        // Two CJK characters (three bytes each) before ".exe": the cut counts bytes.
        {"C:\\d\\\xe5\xae\x89\xe8\xa3\x85.exe", "\xe5\xae\x89\xe8\xa3\x85"},
        {"C:\\d\\\xe5\xae\x89\xe8\xa3\x85", "\xe5\xae"},
    };
    for (const Case& c : cases) EXPECT_EQ(ChannelTagFromModulePath(c.path), c.tag) << c.path;
}

}  // namespace
