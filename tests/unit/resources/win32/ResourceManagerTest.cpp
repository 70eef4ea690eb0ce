// The resource manager against this process's own run folder and the skin embedded in this
// test executable, the way the installer meets it on a fresh run.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "platform/Files.h"
#include "platform/Strings.h"
#include "resources/GdiPlus.h"
#include "resources/ZipFixture.h"
#include "resources/win32/ResourceManager.h"

namespace {

struct Picture {
    const wchar_t* name;
    UINT width, height;
};

const Picture kSkin[] = {
    {L"main_bg.png", 1200, 800},
    {L"logo.png", 240, 240},
    {L"global_btn_close_normal.png", 32, 32},
    {L"global_btn_close_hover.png", 32, 32},
    {L"main_checkbox_select.png", 32, 32},
    {L"main_checkbox_deselect.png", 32, 32},
    {L"main_word_custom_normal.png", 32, 32},
    {L"main_word_custom_hover.png", 32, 32},
    {L"main_word_custom_press.png", 32, 32},
    {L"custom_btn_back_normal.png", 32, 32},
    {L"custom_btn_back_hover.png", 32, 32},
    {L"custom_btn_back_press.png", 32, 32},
    {L"install_banner.png", 1198, 600},
    {L"inquire_icon.png", 30, 30},
    {L"error_icon.png", 60, 60},
};

const wchar_t* const kMissingResource = MAKEINTRESOURCEW(999);

std::set<std::wstring> FilesIn(const std::wstring& folder) {
    std::set<std::wstring> names;
    FileFindPtr find(FindFirstEntry(folder, L"*"));
    for (bool more = find != nullptr; more; more = FindNextEntry(find.get())) {
        if (!IsEntryDir(find.get())) names.insert(GetPathFileName(GetEntryPath(find.get())));
    }
    return names;
}

std::string ConstructionError(const wchar_t* name, const std::wstring& runFolder = GetRunDir()) {
    try {
        IResourceMgr* manager = new CResourceManager(name, kSkinResourceType, runFolder);
        manager->Release();
    } catch (const char* message) {
        return message;
    }
    return "";
}

class ResourceManagerTest : public ::testing::Test {
protected:
    // Every case starts from a run folder without pictures or archive.
    void SetUp() override {
        ASSERT_FALSE(GetRunDir().empty());
        RemoveDirTree(GetImagesFolder());
        RemoveFile(GetArchivePath());
    }
    void TearDown() override {
        RemoveDirTree(GetImagesFolder());
        RemoveFile(GetArchivePath());
    }
};

}  // namespace

TEST_F(ResourceManagerTest, FreshRunWritesAndUnpacksTheEmbeddedSkin) {
    IResourceMgr* manager = CreateResourceMgr(MAKEINTRESOURCEW(kSkinResourceId), kSkinResourceType);
    ASSERT_NE(nullptr, manager);
    EXPECT_GT(GetFileLength(GetArchivePath()), 0u);
    const std::set<std::wstring> files = FilesIn(GetImagesFolder());
    EXPECT_EQ(static_cast<size_t>(kExpectedImageCount), files.size());
    for (const Picture& picture : kSkin) {
        EXPECT_EQ(1u, files.count(picture.name)) << picture.name;
        Gdiplus::Image* image = manager->GetImage(picture.name);
        ASSERT_NE(nullptr, image) << picture.name;
        EXPECT_EQ(picture.width, image->GetWidth()) << picture.name;
        EXPECT_EQ(picture.height, image->GetHeight()) << picture.name;
    }
    Gdiplus::Image* logo = manager->GetImage(L"logo.png");
    EXPECT_EQ(logo, manager->GetImage(L"logo.png")) << "decoded once, then shared";
    EXPECT_EQ(nullptr, manager->GetImage(L"Logo.png"));
    EXPECT_EQ(nullptr, manager->GetImage(L"zzz.png"));
    EXPECT_EQ(nullptr, manager->GetImage(L""));
    EXPECT_EQ(nullptr, manager->GetImage(nullptr));
    manager->Release();
}

TEST_F(ResourceManagerTest, AFolderWithPicturesIsUsedAsItIs) {
    IResourceMgr* first = CreateResourceMgr(MAKEINTRESOURCEW(kSkinResourceId), kSkinResourceType);
    ASSERT_NE(nullptr, first);
    first->Release();
    ASSERT_TRUE(RemoveFile(GetImagesFolder() + L"logo.png"));

    // Fourteen pictures and no way to unpack: the folder alone must do.
    RemoveFile(GetArchivePath());
    auto* manager = new CResourceManager(kMissingResource, kSkinResourceType);
    EXPECT_EQ(14u, manager->GetEntryCount());
    EXPECT_EQ(nullptr, manager->GetImage(L"logo.png"));
    EXPECT_NE(nullptr, manager->GetImage(L"error_icon.png"));
    manager->Release();
    EXPECT_FALSE(FileExists(GetImagesFolder() + L"logo.png"));
}

TEST_F(ResourceManagerTest, AnEmptyFolderFallsBackToTheArchive) {
    ASSERT_TRUE(CreateDirectories(GetImagesFolder()));
    WriteBytes(GetArchivePath(), BuildZip({{"a.png", "not really a png"}, {"b.png", "b"}}));
    auto* manager = new CResourceManager(kMissingResource, kSkinResourceType);
    EXPECT_EQ(2u, manager->GetEntryCount());
    // A picture that cannot be decoded still gives an object; drawing it simply fails.
    EXPECT_NE(nullptr, manager->GetImage(L"a.png"));
    manager->Release();
}

TEST_F(ResourceManagerTest, UnusableArchivesEndInLoadResourceError) {
    struct Case {
        const char* what;
        std::vector<ZipMember> members;
    } cases[] = {
        {"zero-length member", {{"a.png", "a"}, {"empty.png", ""}}},
        {"member outside the folder", {{"..\\evil.png", "evil"}}},
        {"member in a subfolder", {{"sub/evil.png", "evil"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RemoveDirTree(GetImagesFolder());
        ASSERT_TRUE(CreateDirectories(GetImagesFolder()));
        WriteBytes(GetArchivePath(), BuildZip(c.members));
        EXPECT_EQ("load resource error", ConstructionError(kMissingResource));
        EXPECT_FALSE(FileExists(GetRunDir() + L"evil.png"));
        EXPECT_FALSE(FileExists(GetImagesFolder() + L"sub\\evil.png"));
    }
    // No archive and no resource at all; the factory turns the failure into null.
    RemoveDirTree(GetImagesFolder());
    RemoveFile(GetArchivePath());
    EXPECT_EQ("load resource error", ConstructionError(kMissingResource));
    EXPECT_EQ(nullptr, CreateResourceMgr(kMissingResource, kSkinResourceType));
}

TEST_F(ResourceManagerTest, AnImagesFolderThatCannotBeMadeIsReported) {
    // A file where the folder should be.
    WriteBytes(GetRunDir() + L"images", "in the way");
    EXPECT_EQ("make dir failed", ConstructionError(MAKEINTRESOURCEW(kSkinResourceId)));
    RemoveFile(GetRunDir() + L"images");
}

TEST_F(ResourceManagerTest, WithoutARunFolderTheCurrentFolderIsNeitherReadNorWritten) {
    // The current folder is where the user saved the installer: pictures there are not ours.
    const std::wstring current = GetRunDir() + L"current\\";
    ASSERT_TRUE(CreateDirectories(current + L"images"));
    WriteBytes(current + L"images\\logo.png", "planted");
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(current.c_str()));
    const std::string error = ConstructionError(MAKEINTRESOURCEW(kSkinResourceId), L"");
    SetCurrentDirectoryW(previous);
    EXPECT_EQ("load resource error", error);
    EXPECT_EQ(std::set<std::wstring>{L"logo.png"}, FilesIn(current + L"images"));
    EXPECT_FALSE(FileExists(current + L"Resource.zip"));
    RemoveDirTree(current);
}
