#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/LineBreak.h"

namespace {

// Two units for an East Asian character (either half of a surrogate pair counts one), one for
// anything else: roughly how a Chinese font sets them.
double Units(const std::wstring& text, size_t start, size_t length) {
    double width = 0;
    for (size_t i = start; i < start + length; ++i) {
        const uint32_t c = static_cast<uint32_t>(text[i]);
        const bool wide = (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xFF00 && c <= 0xFFEF) || c > 0xFFFF ||
                          (c >= 0xD800 && c <= 0xDFFF);
        width += wide ? (c >= 0xD800 && c <= 0xDFFF ? 1 : 2) : 1;
    }
    return width;
}

std::vector<std::wstring> Broken(const std::wstring& text, double maxWidth) {
    std::vector<std::wstring> out;
    for (const TextLine& line : BreakLines(
             text, maxWidth, [&](size_t start, size_t length) { return Units(text, start, length); })) {
        out.push_back(text.substr(line.start, line.length));
    }
    return out;
}

}  // namespace

TEST(BreakLines, BreaksWhereTheTextAllowsAndEachLineFits) {
    struct Case {
        const char* what;
        std::wstring text;
        double width;
        std::vector<std::wstring> lines;
    } cases[] = {
        {"fits on one line", L"网络异常", 8, {L"网络异常"}},
        {"Chinese breaks between any two characters", L"检测到网络异常", 6, {L"检测到", L"网络异", L"常"}},
        {"no line begins with closing punctuation", L"网络异常，必要", 8, {L"网络异", L"常，必要"}},
        {"no line ends with an opening quote", L"请点击“确认”开始", 8, {L"请点击", L"“确认”开", L"始"}},
        {"a closing quote stays with its word", L"点击“确认”开始", 11, {L"点击“确认”", L"开始"}},
        {"Latin breaks at spaces only",
         L"install the package now",
         10,
         {L"install", L"the", L"package", L"now"}},
        {"Latin next to Chinese may break", L"Kelvora安装程序", 10, {L"Kelvora安", L"装程序"}},
        {"a number is one word", L"版本 12345678", 8, {L"版本", L"12345678"}},
        {"a word wider than a line is cut", L"abcdefghij", 4, {L"abcd", L"efgh", L"ij"}},
        {"spaces at a break are dropped", L"abc   def", 3, {L"abc", L"def"}},
        {"line feeds always break", L"第一行\n第二行", 100, {L"第一行", L"第二行"}},
        {"a final line feed gives an empty line", L"a\n", 100, {L"a", L""}},
        {"empty text has no lines", L"", 10, {}},
    };
    for (const Case& c : cases) {
        const std::vector<std::wstring> lines = Broken(c.text, c.width);
        EXPECT_EQ(c.lines, lines) << c.what;
        for (const std::wstring& line : lines) {
            if (line.size() > 1) {
                EXPECT_LE(Units(line, 0, line.size()), c.width) << c.what;
            }
        }
    }
}

// The dialog texts at the widths a 14-pixel font leaves in a 400 by 200 dialog (about 21
// characters): every character is on some line, in order, and no line is too wide.
TEST(BreakLines, LongChineseMessagesKeepEveryCharacter) {
    const std::wstring messages[] = {
        L"检测到网络异常，必要组件无法加载，请检查网络后重试。",
        L"您的网络环境存在网络异常，需要手动下载软件必要组件，请点击“确认”开始下载。",
        L"检测到配置环境存在一些问题，不过不用担心，已为您准备好安装包可供安装，是否确认手动安装？",
    };
    for (const std::wstring& text : messages) {
        for (double width : {42.0, 63.0}) {
            const std::vector<TextLine> lines = BreakLines(
                text, width, [&](size_t start, size_t length) { return Units(text, start, length); });
            std::wstring joined;
            for (const TextLine& line : lines) {
                EXPECT_LE(Units(text, line.start, line.length), width);
                EXPECT_GT(line.length, 0u);
                joined += text.substr(line.start, line.length);
            }
            EXPECT_EQ(text, joined) << "width " << width;
            EXPECT_GE(lines.size(), width == 42.0 ? 2u : 1u);
        }
    }
}

TEST(BreakLines, NeverSplitsASurrogatePair) {
    // Supplementary ideographs: a pair of UTF-16 units on Windows, one unit elsewhere.
    const std::wstring text = L"\U00020000\U00020001\U00020002";
    const std::vector<TextLine> lines =
        BreakLines(text, 2, [&](size_t start, size_t length) { return Units(text, start, length); });
    ASSERT_EQ(3u, lines.size());
    for (const TextLine& line : lines) {
        EXPECT_FALSE(text[line.start] >= 0xDC00 && text[line.start] <= 0xDFFF) << "line starts inside a pair";
    }
}
