#include "platform/Strings.h"

#include <gtest/gtest.h>

namespace {

using Pieces = std::vector<std::string>;

TEST(Strings, SplitByCharsDropsEmptyPieces) {
    struct Case {
        const char* text;
        const char* delims;
        Pieces expected;
    } cases[] = {
        {"a,,b,", ",", {"a", "b"}},
        {",,", ",", {}},
        {"a;b|c", ";|", {"a", "b", "c"}},
        {"", ",", {}},
        {"abc", "", {"abc"}},
        {",lead", ",", {"lead"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitByChars(std::string(c.text), c.delims), c.expected) << c.text;
    EXPECT_EQ(SplitByChars(std::wstring(L"a\\\\b\\"), L"\\"), (std::vector<std::wstring>{L"a", L"b"}));
}

TEST(Strings, TextToInt64ReadsLikeScanf) {
    struct Case {
        const char* text;
        int64_t expected;
    } cases[] = {{" 42abc", 42}, {"-7", -7}, {"+7", 7}, {"x1", 0}, {"", 0}, {"0x10", 0},
                 {"9223372036854775807", INT64_MAX}};
    for (const Case& c : cases) EXPECT_EQ(TextToInt64(c.text), c.expected) << c.text;
    EXPECT_EQ(Int64ToText(-1234567890123LL), "-1234567890123");
    EXPECT_EQ(Int64ToText(0), "0");
}

TEST(Strings, FindText) {
    EXPECT_EQ(FindText(std::string("abcabc"), 1, "abc"), 3u);
    EXPECT_EQ(FindText(std::string("abc"), 3, "c"), kNotFound);
    EXPECT_EQ(FindText(std::string("abc"), 0, ""), kNotFound);
    EXPECT_EQ(FindText(std::string("ab"), 0, "abc"), kNotFound);
    EXPECT_EQ(FindText(std::wstring(L"xxab"), 0, L"ab"), 2u);
}

TEST(Strings, ReplaceAllNeverSearchesItsOwnInsertions) {
    EXPECT_EQ(ReplaceAll(L"aaa", L"a", L"aa"), L"aaaaaa");
    EXPECT_EQ(ReplaceAll(L"abc", L"", L"x"), L"abc");
    EXPECT_EQ(ReplaceAll(L"", L"a", L"b"), L"");
    EXPECT_EQ(ReplaceAll(nullptr, L"a", L"b"), L"");
    EXPECT_EQ(ReplaceAll(L"ab", L"abc", L"x"), L"ab");
    EXPECT_EQ(ReplaceAll(L"a.b.c", L".", L"::"), L"a::b::c");
}

TEST(Strings, LeftAndMidTextAreExactOrEmpty) {
    EXPECT_EQ(MidText("HTTP/1.1 200 OK", 9, 3), "200");
    EXPECT_EQ(MidText("HTTP/1.1 20", 9, 3), "");
    EXPECT_EQ(MidText(nullptr, 0, 1), "");
    EXPECT_EQ(LeftText("abcdef", 3), "abc");
    EXPECT_EQ(LeftText("ab", 5), "ab");
    EXPECT_EQ(LeftText("ab", 0), "");
    EXPECT_EQ(TrimLeftChars("  \tx y", " \t"), "x y");
    EXPECT_EQ(TrimLeftChars("   ", " "), "");
}

TEST(Strings, PathHelpers) {
    EXPECT_EQ(WithTrailingSlash(L"C:"), L"C:\\");
    EXPECT_EQ(WithTrailingSlash(L"C:/x/"), L"C:/x/");
    EXPECT_EQ(WithTrailingSlash(L""), L"");
    EXPECT_EQ(GetPathExtension(L"C:\\a.b\\file"), L"");
    EXPECT_EQ(GetPathExtension(L"x.tar.gz"), L".gz");
    EXPECT_EQ(GetPathExtension(L"name."), L".");
    EXPECT_EQ(GetPathExtension(L"noext"), L"");
}

TEST(Strings, IsValidInstallPath) {
    for (const wchar_t* good : {L"D:\\Program Files\\Kelvora", L"D:", L"D:\\", L"z:\\a\\b"})
        EXPECT_TRUE(IsValidInstallPath(good)) << WideToUtf8(good);
    for (const wchar_t* bad : {L"D:\\a\\\\b", L"D:/x", L"1:\\x", L"D:\\a*b", L"D:\\a\\b:c", L"", L"\\\\srv\\x",
                               L"D:\\a?", L"D:\\a|b", L"D:\\<x>", L"D:\\\"q\"", L"DD\\x"})
        EXPECT_FALSE(IsValidInstallPath(bad)) << WideToUtf8(bad);
}

TEST(Strings, ConversionsStopAtNulAndRoundTrip) {
    EXPECT_EQ(WideToUtf8(L""), "");
    EXPECT_EQ(Utf8ToWide(""), L"");
    EXPECT_EQ(AnsiToWide(""), L"");
    EXPECT_EQ(WideToAnsi(L""), "");
    std::wstring embedded(L"ab\0cd", 5);
    EXPECT_EQ(WideToUtf8(embedded), "ab");
    EXPECT_EQ(Utf8ToWide(std::string("xy\0z", 4)), L"xy");
    const std::string chinese = "\xe5\xae\x89\xe8\xa3\x85";  // two CJK characters, three bytes each
    std::wstring wide = Utf8ToWide(chinese);
    EXPECT_EQ(wide.size(), 2u);
    EXPECT_EQ(wide[0], static_cast<wchar_t>(0x5B89));
    EXPECT_EQ(WideToUtf8(wide), chinese);
    EXPECT_EQ(WideToUtf8(Utf8ToWide("plain ascii")), "plain ascii");
}

}  // namespace
