#include "platform/SystemInfo.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/FileStream.h"
#include "platform/Files.h"
#include "platform/Strings.h"

namespace {

void MakeFile(const std::wstring& path) {
    CFileStream(path, kModeCreate);
}

TEST(OsVersion, ClassifiesReportedVersions) {
    struct Case {
        uint32_t major, minor, sp, realMajor;
        int32_t expected;
    } cases[] = {
        {5, 1, 3, 0, OS_XP},      {5, 2, 0, 0, OS_OTHER},   {6, 0, 2, 0, OS_VISTA}, {6, 1, 0, 0, OS_WIN7},
        {6, 1, 1, 0, OS_WIN7_SP}, {6, 2, 0, 10, OS_WIN10},  {6, 2, 0, 6, OS_WIN8},  {6, 3, 0, 0, OS_WIN8},
        {6, 2, 0, 0, OS_WIN8},    {10, 0, 0, 10, OS_OTHER}, {4, 0, 6, 0, OS_OTHER},
    };
    for (const auto& c : cases) {
        int realQueries = 0;
        auto realMajor = [&] {
            ++realQueries;
            return c.realMajor;
        };
        EXPECT_EQ(ClassifyOsVersion(c.major, c.minor, c.sp, realMajor), c.expected)
            << c.major << "." << c.minor << " sp" << c.sp << " real " << c.realMajor;
        // The kernel's own numbers are only worth asking for when the reported ones are capped.
        EXPECT_EQ(realQueries, (c.major == 6 && c.minor >= 2) ? 1 : 0);
    }
    EXPECT_EQ(ClassifyOsVersion(6, 2, 0, nullptr), OS_WIN8);
}

TEST(OsVersion, IsCachedAndInRange) {
    const int32_t first = GetOsVersion();
    EXPECT_GE(first, OS_XP);
    EXPECT_LE(first, OS_OTHER);
    EXPECT_EQ(GetOsVersion(), first);
}

TEST(DriveFreeSpace, EmptyAndRelativePathsHaveNone) {
    EXPECT_EQ(GetDriveFreeSpace(L""), 0u);
    EXPECT_EQ(GetDriveFreeSpace(L"foo\\bar"), 0u);
    EXPECT_EQ(GetDriveFreeSpace(L"foo"), 0u);
}

// Other builds share the disk, so two readings taken moments apart may differ a little.
constexpr uint64_t kDrift = 512ull << 20;

void ExpectSameSpace(uint64_t a, uint64_t b) {
    EXPECT_GT(a, 0u);
    EXPECT_GT(b, 0u);
    EXPECT_LE(a > b ? a - b : b - a, kDrift) << a << " vs " << b;
}

TEST(DriveFreeSpace, FolderBelowCountsAsItsDrive) {
    const std::wstring work = GetWorkDir();
    ASSERT_FALSE(work.empty());
    ExpectSameSpace(GetDriveFreeSpace(WithTrailingSlash(work) + L"not\\made\\yet"), GetDriveFreeSpace(work));
}

TEST(BestInstallDrive, ProposesSomewhere) {
    const std::wstring drive = GetBestInstallDrive();
    ASSERT_FALSE(drive.empty());
    EXPECT_GT(GetDriveFreeSpace(drive), 0u);
}

class ProbeRoot : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring base = WithTrailingSlash(GetWorkDir());
        ASSERT_FALSE(base.empty() || base == L"\\" || base == L"/");
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_root = base + L"probe-" + Utf8ToWide(info->name()) + L"\\";
        RemoveDirTree(m_root);
        ASSERT_TRUE(CreateDirectories(m_root));
    }
    void TearDown() override { RemoveDirTree(m_root); }

    std::wstring Sub(const std::wstring& name) { return m_root + name + L"\\"; }
    std::wstring m_root;
};

TEST_F(ProbeRoot, ExistingProbeFolderSurvivesAndNoProbeIsLeftBehind) {
    const std::wstring theirs = m_root + L"vandorel";
    ASSERT_TRUE(CreateDirectories(theirs + L"\\keep"));
    ASSERT_TRUE(CreateDirectories(m_root + L"vandorel.1"));

    EXPECT_TRUE(CanCreateFolderAt(m_root));
    EXPECT_TRUE(DirExists(theirs + L"\\keep"));
    EXPECT_TRUE(DirExists(m_root + L"vandorel.1"));
    EXPECT_FALSE(DirExists(m_root + L"vandorel.2"));

    // A file of that name is somebody's too.
    RemoveDirTree(theirs);
    MakeFile(theirs);
    EXPECT_TRUE(CanCreateFolderAt(m_root));
    EXPECT_TRUE(FileExists(theirs));
}

TEST_F(ProbeRoot, PicksLargestWritableEarliestOnTies) {
    MakeFile(m_root + L"plain.txt");
    const std::wstring small = Sub(L"c"), big = Sub(L"d"), twin = Sub(L"e");
    const std::wstring refuses = m_root + L"plain.txt\\";  // nothing can be made inside a file
    for (const auto& p : {small, big, twin}) ASSERT_TRUE(CreateDirectories(p));

    std::map<std::wstring, uint64_t> space = {{small, 10}, {big, 50}, {twin, 50}, {refuses, 90}};
    auto freeSpace = [&](const std::wstring& p) { return space[p]; };

    EXPECT_EQ(PickInstallDrive({small, big}, freeSpace), big);
    EXPECT_EQ(PickInstallDrive({small, refuses}, freeSpace), small);
    EXPECT_EQ(PickInstallDrive({big, twin}, freeSpace), big);
    EXPECT_EQ(PickInstallDrive({twin, big}, freeSpace), twin);
    EXPECT_EQ(PickInstallDrive({refuses}, freeSpace), L"");
    space[small] = 0;
    EXPECT_EQ(PickInstallDrive({small}, freeSpace), L"");
    EXPECT_EQ(PickInstallDrive({}, freeSpace), L"");
    for (const auto& p : {small, big, twin}) EXPECT_FALSE(DirExists(p + L"vandorel")) << WideToUtf8(p);
}

#ifdef _WIN32

TEST(DriveFreeSpace, ProgramFilesCountsAsDriveC) {
    ExpectSameSpace(GetDriveFreeSpace(L"C:\\Program Files"), GetDriveFreeSpace(L"C:\\"));
    ExpectSameSpace(GetDriveFreeSpace(L"C:\\Program Files\\"), GetDriveFreeSpace(L"C:"));
}

// Under Wine a drive letter usually maps onto the Linux root as well, so every root the
// enumeration finds gets the probe; a folder already there must come through untouched.
TEST(BestInstallDrive, LeavesForeignProbeFoldersAlone) {
    const std::wstring theirs = L"C:\\vandorel";
    const bool existed = DirExists(theirs);
    ASSERT_TRUE(CreateDirectories(theirs + L"\\keep"));
    const std::wstring drive = GetBestInstallDrive();
    EXPECT_TRUE(DirExists(theirs + L"\\keep"));
    EXPECT_FALSE(DirExists(L"C:\\vandorel.1"));
    ASSERT_FALSE(drive.empty());
    EXPECT_EQ(drive.back(), L'\\');
    EXPECT_FALSE(DirExists(drive + L"vandorel.1"));
    if (!existed) RemoveDirTree(theirs);
}

#endif

}  // namespace
