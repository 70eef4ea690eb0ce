#include "platform/FileStream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "TestFolder.h"

namespace {

std::string OpenError(const std::wstring& path, uint16_t mode) {
    try {
        CFileStream stream(path, mode);
    } catch (const char* message) {
        return message;
    }
    return "";
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    CFileStream stream(path, kModeCreate);
    ASSERT_EQ(stream.Write(bytes.data(), static_cast<int32_t>(bytes.size())), static_cast<int32_t>(bytes.size()));
}

TEST(FileStream, ReadsInPiecesThenReportsEndOfFile) {
    TestFolder dir;
    WriteFileBytes(dir / L"ten.bin", "0123456789");
    CFileStream stream(dir / L"ten.bin", kModeRead | kShareDenyNone);
    char buffer[4];
    EXPECT_EQ(stream.Read(buffer, 4), 4);
    EXPECT_EQ(stream.Read(buffer, 4), 4);
    EXPECT_EQ(stream.Read(buffer, 4), 2);
    EXPECT_EQ(memcmp(buffer, "89", 2), 0);
    EXPECT_FALSE(stream.IsEof());
    EXPECT_EQ(stream.Read(buffer, 0), 0);
    EXPECT_EQ(stream.Read(buffer, 4), -1);
    EXPECT_TRUE(stream.IsEof());
    EXPECT_EQ(stream.Read(buffer, 0), 0);
    EXPECT_TRUE(stream.IsEof()) << "an empty read leaves the flag alone";
    EXPECT_EQ(stream.Seek(2, 0), 2);
    EXPECT_FALSE(stream.IsEof());
    EXPECT_EQ(stream.Read(buffer, 1), 1);
    EXPECT_EQ(buffer[0], '2');
}

TEST(FileStream, SizeOperationsAndPointer) {
    TestFolder dir;
    CFileStream stream(dir / L"sized.bin", kModeCreate);
    EXPECT_EQ(stream.GetSize(), 0);
    ASSERT_TRUE(stream.SetSize(1000));
    EXPECT_EQ(stream.GetSize(), 1000);
    EXPECT_EQ(stream.GetPosition(), 0) << "SetSize leaves the pointer at the start";
    EXPECT_EQ(stream.SetPosition(600), 600);
    EXPECT_EQ(stream.GetSize(), 1000);
    EXPECT_EQ(stream.GetPosition(), 600) << "GetSize does not move the pointer";
    EXPECT_EQ(stream.Write("xy", 2), 2);
    EXPECT_EQ(stream.Seek(-2, 1), 600);
    EXPECT_EQ(stream.Seek(0, 2), 1000);
    EXPECT_EQ(stream.Seek(-1, 0), -1);
    EXPECT_EQ(stream.Write(nullptr, 5), 0);
}

TEST(FileStream, CreateTruncatesAndOpenErrorsHaveTheirTexts) {
    TestFolder dir;
    WriteFileBytes(dir / L"old.bin", "previous content");
    {
        CFileStream stream(dir / L"old.bin", kModeCreate);
        EXPECT_EQ(stream.GetSize(), 0);
    }
    EXPECT_EQ(GetFileLength(dir / L"old.bin"), 0u);
    EXPECT_EQ(OpenError(L"", kModeCreate), "filename can't be empty");
    EXPECT_EQ(OpenError(dir / L"missing.bin", kModeRead | kShareDenyNone), "SarnovikFileOpen failed");
    EXPECT_EQ(OpenError(dir / L"old.bin", 0x03), "SarnovikFileOpen failed");
    EXPECT_EQ(OpenError(dir / L"old.bin", kModeRead | 0x50), "SarnovikFileOpen failed");
    EXPECT_EQ(OpenError(dir / L"no_such_folder\\x.bin", kModeCreate), "SarnovikFileCreate failed");
    EXPECT_EQ(OpenError(dir / L"old.bin", kModeReadWrite | kShareDenyNone), "");
}

TEST(FileStream, FileTimesAreUnixSeconds) {
    TestFolder dir;
    CFileStream stream(dir / L"t.bin", kModeCreate);
    int64_t created = 0, accessed = 0, written = 0;
    ASSERT_TRUE(stream.GetFileTimes(&created, &accessed, &written));
    const int64_t kYear2020 = 1577836800;
    EXPECT_GT(written, kYear2020);
    EXPECT_GT(created, kYear2020);
    EXPECT_LT(written, kYear2020 * 2);
}

}  // namespace
