#include "platform/Files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "TestFolder.h"
#include "TestLinks.h"
#include "platform/FileStream.h"

namespace {

void Touch(const std::wstring& path) { CFileStream(path, kModeCreate).Write("x", 1); }

std::set<std::wstring> Names(const std::wstring& folder) {
    std::set<std::wstring> names;
    FileFindPtr entry{FindFirstEntry(folder, L"*")};
    if (!entry) return names;
    do {
        std::wstring path = GetEntryPath(entry.get());
        names.insert(path.substr(path.find_last_of(L"\\/") + 1) + (IsEntryDir(entry.get()) ? L"/" : L""));
    } while (FindNextEntry(entry.get()));
    return names;
}

TEST(Files, CreateDirectoriesMakesEveryMissingLevel) {
    TestFolder dir;
    EXPECT_TRUE(CreateDirectories(dir / L"a\\b\\c"));
    EXPECT_TRUE(DirExists(dir / L"a\\b\\c"));
    EXPECT_TRUE(CreateDirectories(dir / L"a\\b\\c")) << "an existing folder is success";
    Touch(dir / L"file");
    EXPECT_FALSE(CreateDirectories(dir / L"file\\below"));
    EXPECT_FALSE(DirExists(dir / L"file"));
    EXPECT_FALSE(DirExists(L""));
    EXPECT_TRUE(FileExists(dir / L"file"));
    EXPECT_FALSE(FileExists(dir.Path()));
    EXPECT_EQ(GetFileLength(dir / L"file"), 1u);
    EXPECT_EQ(GetFileLength(dir / L"none"), 0u);
}

TEST(Files, EnumerationSkipsDotEntries) {
    TestFolder dir;
    EXPECT_EQ(FindFirstEntry(dir.Path(), L"*"), nullptr) << "empty folder";
    EXPECT_EQ(FindFirstEntry(dir / L"missing", L"*"), nullptr);
    EXPECT_EQ(GetEntryPath(nullptr), L"");
    EXPECT_FALSE(IsEntryDir(nullptr));
    EXPECT_FALSE(FindNextEntry(nullptr));
    CloseFind(nullptr);
    CreateDirectories(dir / L"sub");
    Touch(dir / L"one.txt");
    Touch(dir / L"two.png");
    EXPECT_EQ(Names(dir.Path()), (std::set<std::wstring>{L"sub/", L"one.txt", L"two.png"}));
    FileFindPtr png{FindFirstEntry(dir.Path(), L"*.png")};
    ASSERT_TRUE(png);
    EXPECT_EQ(GetEntryPath(png.get()), dir / L"two.png");
    EXPECT_FALSE(FindNextEntry(png.get()));
}

TEST(Files, RemoveDirTree) {
    TestFolder dir;
    EXPECT_TRUE(RemoveDirTree(dir / L"does_not_exist"));
    EXPECT_FALSE(RemoveDirTree(L""));
    Touch(dir / L"lone");
    EXPECT_TRUE(RemoveDirTree(dir / L"lone"));
    EXPECT_FALSE(FileExists(dir / L"lone"));
    CreateDirectories(dir / L"empty");
    EXPECT_TRUE(RemoveDirTree(dir / L"empty"));
    EXPECT_FALSE(DirExists(dir / L"empty"));
    CreateDirectories(dir / L"tree\\x\\y");
    Touch(dir / L"tree\\x\\y\\f1");
    Touch(dir / L"tree\\f2");
    EXPECT_TRUE(RemoveDirTree(dir / L"tree"));
    EXPECT_FALSE(DirExists(dir / L"tree"));
    EXPECT_TRUE(RemoveFile(dir / L"missing") == false);
}

// A link planted in a folder that is removed recursively: the link goes, what it points at stays.
TEST(Files, RemoveDirTreeRemovesLinksWithoutFollowingThem) {
    TestFolder dir;
    const std::wstring outside = dir / L"outside";
    CreateDirectories(outside + L"\\inner");
    Touch(outside + L"\\keep.txt");
    Touch(outside + L"\\inner\\keep2.txt");
    Touch(dir / L"outside.txt");

    struct Case {
        const char* what;
        std::wstring link;    // made inside dir\\tree unless it is the tree itself
        std::wstring remove;  // what RemoveDirTree is given
        bool folder;
    };
    const std::wstring tree = dir / L"tree";
    const Case cases[] = {
        {"folder link inside the tree", tree + L"\\sub\\link", tree, true},
        {"file link inside the tree", tree + L"\\sub\\link.txt", tree, false},
        {"the tree itself is a folder link", tree, tree + L"\\", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.link != tree) {
            CreateDirectories(tree + L"\\sub");
            Touch(tree + L"\\sub\\own.txt");
        }
        const bool made =
            c.folder ? MakeFolderLink(c.link, outside) : MakeFileLink(c.link, dir / L"outside.txt");
        if (!made) {
            RemoveDirTree(tree);
            std::printf("[ SKIPPED  ] %s: this system cannot make the link here\n", c.what);
            continue;
        }
        EXPECT_TRUE(RemoveDirTree(c.remove));
        EXPECT_FALSE(DirExists(tree) || FileExists(tree));
        EXPECT_TRUE(FileExists(outside + L"\\keep.txt"));
        EXPECT_TRUE(FileExists(outside + L"\\inner\\keep2.txt"));
        EXPECT_TRUE(FileExists(dir / L"outside.txt"));
    }
}

TEST(Files, WorkAndRunFolders) {
    std::wstring work = GetWorkDir();
    ASSERT_FALSE(work.empty());
    EXPECT_EQ(work, GetWorkDir());
    EXPECT_EQ(work.substr(work.size() - 8), L"kelvora\\");
    EXPECT_TRUE(DirExists(work));
    std::wstring run = GetRunDir();
    ASSERT_FALSE(run.empty());
    EXPECT_EQ(run.compare(0, work.size(), work), 0);
    EXPECT_EQ(run.compare(work.size(), 9, L"vandorel_"), 0);
    EXPECT_TRUE(DirExists(run));
}

}  // namespace
