#include <gtest/gtest.h>

#include "resources/UnZip.h"
#include "resources/ZipFixture.h"

namespace fs = std::filesystem;

namespace {

size_t CountFiles(const fs::path& folder) {
    size_t count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        count += entry.is_regular_file() ? 1 : 0;
    return count;
}

}  // namespace

TEST(UnzipAll, WritesEveryMemberIntoTheFolder) {
    TempFolder temp;
    const fs::path images = temp.Path() / "images";
    fs::create_directories(images);
    const std::string big(5000, 'x');  // more than one read piece
    WriteBytes(temp.Path() / "a.zip", BuildZip({{"logo.png", "PNGDATA"}, {"big.bin", big}, {"c.txt", "c"}}));

    ASSERT_EQ(0, UnzipAll((images / "").wstring(), (temp.Path() / "a.zip").wstring()));
    EXPECT_EQ("PNGDATA", ReadBytes(images / "logo.png"));
    EXPECT_EQ(big, ReadBytes(images / "big.bin"));
    EXPECT_EQ("c", ReadBytes(images / "c.txt"));
    EXPECT_EQ(3u, CountFiles(images));
}

TEST(UnzipAll, FailsOnUnusableInput) {
    TempFolder temp;
    const std::wstring dest = temp.Slashed();
    const fs::path zip = temp.Path() / "z.zip";
    WriteBytes(zip, BuildZip({{"a.png", "a"}}));
    EXPECT_EQ(-1, UnzipAll(L"", zip.wstring()));
    EXPECT_EQ(-1, UnzipAll(dest, L""));
    EXPECT_EQ(-1, UnzipAll(dest, (temp.Path() / "missing.zip").wstring()));

    WriteBytes(temp.Path() / "junk.zip", "this is not an archive at all");
    EXPECT_EQ(-1, UnzipAll(dest, (temp.Path() / "junk.zip").wstring()));
    WriteBytes(temp.Path() / "empty.zip", BuildZip({}));
    EXPECT_EQ(-1, UnzipAll(dest, (temp.Path() / "empty.zip").wstring()));
}

TEST(UnzipAll, ZeroLengthMemberFailsTheWholeArchive) {
    TempFolder temp;
    const fs::path out = temp.Path() / "out";
    fs::create_directories(out);
    WriteBytes(temp.Path() / "z.zip", BuildZip({{"a.png", "a"}, {"empty.png", ""}, {"c.png", "c"}}));
    EXPECT_EQ(-1, UnzipAll((out / "").wstring(), (temp.Path() / "z.zip").wstring()));
    // Members are written in order up to the failing one; nothing after it.
    EXPECT_TRUE(fs::exists(out / "a.png"));
    EXPECT_FALSE(fs::exists(out / "c.png"));
}

TEST(UnzipAll, ChecksumMismatchIsAFailure) {
    TempFolder temp;
    WriteBytes(temp.Path() / "z.zip", BuildZip({{"a.png", "abcdef", true}}));
    EXPECT_EQ(-1, UnzipAll(temp.Slashed(), (temp.Path() / "z.zip").wstring()));
}

TEST(UnzipAll, RefusesNamesThatLeaveTheFolder) {
    const char* hostile[] = {"../evil.png", "sub/evil.png", "sub\\evil.png", "..\\evil.png", "/evil.png",
                             "\\evil.png",  "C:evil.png",   "C:\\evil.png",  "..",           "."};
    for (const char* name : hostile) {
        SCOPED_TRACE(name);
        TempFolder temp;
        const fs::path out = temp.Path() / "out";
        fs::create_directories(out / "sub");
        // A good member first: the refusal must come before anything is written.
        WriteBytes(temp.Path() / "z.zip", BuildZip({{"good.png", "g"}, {name, "evil"}}));
        EXPECT_EQ(-1, UnzipAll((out / "").wstring(), (temp.Path() / "z.zip").wstring()));
        EXPECT_EQ(0u, CountFiles(out));
        EXPECT_FALSE(fs::exists(temp.Path() / "evil.png"));
    }
}

TEST(IsPlainMemberName, AcceptsOnlyBareFileNames) {
    EXPECT_TRUE(IsPlainMemberName("logo.png"));
    EXPECT_TRUE(IsPlainMemberName("..logo.png"));
    EXPECT_TRUE(IsPlainMemberName("a b.png"));
    EXPECT_FALSE(IsPlainMemberName(""));
    EXPECT_FALSE(IsPlainMemberName("images/"));
}
