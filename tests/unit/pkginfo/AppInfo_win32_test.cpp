#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "pkginfo/AppInfo.h"
#include "pkginfo/CAppInfo.h"

namespace {

const wchar_t kKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{9D3F6A21-8E5D-4F7A-92A5-D1F08E7B3A46}_is1";

// Where the product's 32-bit setup program writes, whichever build runs the test.
const REGSAM kView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : 0;

std::wstring BesideTest(const wchar_t* name) {
    wchar_t own[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    std::wstring path(own);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

// Writes the uninstall entry the product's setup program would, and puts back whatever was there
// before (the Wine prefix is shared with other test runs).
class UninstallEntry : public ::testing::Test {
protected:
    void SetUp() override {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ | kView, &key) == ERROR_SUCCESS) {
            DWORD size = 0;
            if (RegQueryValueExW(key, L"DisplayIcon", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
                m_saved.assign(size, 0);
                RegQueryValueExW(key, L"DisplayIcon", nullptr, nullptr, m_saved.data(), &size);
                m_hadValue = true;
            }
            RegCloseKey(key);
            m_hadKey = true;
        }
    }
    void TearDown() override {
        if (m_hadValue) {
            SetValueBytes(m_saved);
        } else if (m_hadKey) {
            HKEY key = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_WRITE | kView, &key) == ERROR_SUCCESS) {
                RegDeleteValueW(key, L"DisplayIcon");
                RegCloseKey(key);
            }
        } else {
            DeleteKey();
        }
    }

    static void DeleteKey() { RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kKey, kView, 0); }
    static void SetValueBytes(const std::vector<BYTE>& bytes) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE | kView, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(
            RegSetValueExW(key, L"DisplayIcon", 0, REG_SZ, bytes.data(), static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
        RegCloseKey(key);
    }
    // The text with its terminating NUL, as the setup program stores it.
    static void SetValue(const std::wstring& text) {
        const BYTE* p = reinterpret_cast<const BYTE*>(text.c_str());
        SetValueBytes(std::vector<BYTE>(p, p + (text.size() + 1) * sizeof(wchar_t)));
    }

    bool m_hadKey = false;
    bool m_hadValue = false;
    std::vector<BYTE> m_saved;
};

TEST_F(UninstallEntry, InstalledExecutableAndItsVersion) {
    const std::wstring exe = BesideTest(L"pkginfo_fixture_versioned.exe");
    SetValue(exe);
    CAppInfo info;
    EXPECT_EQ(info.GetExePath(), exe);
    EXPECT_EQ(info.GetVersion(), L"3.97.0.1");

    const std::wstring bare = BesideTest(L"pkginfo_fixture_unversioned.exe");
    SetValue(bare);
    EXPECT_TRUE(info.Refresh());
    EXPECT_EQ(info.GetExePath(), bare);
    EXPECT_EQ(info.GetVersion(), L"");
}

TEST_F(UninstallEntry, ReadsAsNotInstalled) {
    const std::wstring exe = BesideTest(L"pkginfo_fixture_versioned.exe");
    // A copy that is then deleted, as after an uninstall that left the entry behind.
    const std::wstring gone = BesideTest(L"pkginfo_fixture_gone.exe");
    ASSERT_TRUE(CopyFileW(exe.c_str(), gone.c_str(), FALSE));
    ASSERT_TRUE(DeleteFileW(gone.c_str()));
    // The path is all a reader that ignored the limit would see: it stops at the first NUL.
    std::wstring oversized = exe + L'\0' + std::wstring(600, L'x');

    struct Case {
        const char* name;
        bool hasKey;
        std::wstring value;
    } cases[] = {
        {"no key", false, L""},
        {"empty value", true, L""},
        {"deleted file", true, gone},
        {"icon index", true, exe + L",0"},
        {"over 1023 bytes", true, oversized},
    };
    CAppInfo info;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteKey();
        if (c.hasKey) SetValue(c.value);
        EXPECT_TRUE(info.Refresh());
        EXPECT_EQ(info.GetExePath(), L"");
        EXPECT_EQ(info.GetVersion(), L"");
    }

    // Within the limit the same embedded NUL just ends the path.
    SetValue(exe + L'\0' + L"tail");
    EXPECT_TRUE(info.Refresh());
    EXPECT_EQ(info.GetExePath(), exe);
}

TEST(FileVersion, FromTheFirstTranslationOnly) {
    CAppInfo info;
    EXPECT_EQ(info.GetFileVersion(BesideTest(L"pkginfo_fixture_versioned.exe")), L"3.97.0.1");
    EXPECT_EQ(info.GetFileVersion(BesideTest(L"pkginfo_fixture_second_translation.exe")), L"");
    EXPECT_EQ(info.GetFileVersion(BesideTest(L"pkginfo_fixture_unversioned.exe")), L"");
    EXPECT_EQ(info.GetFileVersion(BesideTest(L"no_such_file.exe")), L"");
    EXPECT_EQ(info.GetFileVersion(L""), L"3.97.0.2");
}

TEST(FileVersion, ProcessWideObjectIsMadeOnce) {
    IAppInfo* first = GetAppInfo();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetAppInfo(), first);
    EXPECT_EQ(first->GetFileVersion(L""), L"3.97.0.2");
}

}  // namespace
