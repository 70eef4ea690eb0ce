// The check in front of every installer start, on real files signed by the build's test
// publisher: only the pinned publisher's untouched file passes, and while it is held nobody can
// change, replace or delete it.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "TestSigning.h"
#include "app/win32/InstallerTrust.h"
#include "kelvora_config.h"

namespace {

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

uint32_t Le32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// One byte inside the first section (the code), which the signature's image hash covers.
std::string FlipCodeByte(std::string image) {
    const size_t pe = Le32(image, 0x3c);
    const size_t optionalSize =
        static_cast<unsigned char>(image[pe + 20]) | static_cast<unsigned char>(image[pe + 21]) << 8;
    const size_t firstSection = pe + 24 + optionalSize;
    const size_t code = Le32(image, firstSection + 20);
    image[code + 64] = static_cast<char>(image[code + 64] ^ 0x5a);
    return image;
}

class InstallerTrustTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TrustTestRoot());
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_dir = std::wstring(temp) + L"kelvora trust " + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(m_dir.c_str(), nullptr);
        m_signed = ReadAll(TestModuleDir() + L"app_fake_installer.exe");
        ASSERT_FALSE(m_signed.empty());
    }
    void TearDown() override {
        for (const wchar_t* name : {L"good.exe", L"unsigned.exe", L"flipped.exe", L"other.exe", L"held.exe"})
            DeleteFileW((m_dir + name).c_str());
        RemoveDirectoryW(m_dir.c_str());
    }
    std::wstring Place(const wchar_t* name, const std::string& bytes) {
        WriteAll(m_dir + name, bytes);
        return m_dir + name;
    }

    std::wstring m_dir;
    std::string m_signed;
};

}  // namespace

TEST_F(InstallerTrustTest, OnlyThePinnedPublishersUntouchedFilePasses) {
    struct Case {
        const char* what;
        const wchar_t* name;
        std::string bytes;
        InstallerTrust expected;
    } cases[] = {
        {"signed by the pinned publisher", L"good.exe", m_signed, InstallerTrust::kTrusted},
        {"unsigned", L"unsigned.exe", ReadAll(TestModuleDir() + L"app_fake_installer_unsigned.exe"),
         InstallerTrust::kBadSignature},
        {"one code byte changed after signing", L"flipped.exe", FlipCodeByte(m_signed),
         InstallerTrust::kBadSignature},
        {"validly signed by another publisher", L"other.exe",
         ReadAll(TestModuleDir() + L"app_fake_installer_other.exe"), InstallerTrust::kOtherPublisher},
    };
    for (const Case& c : cases) {
        ASSERT_FALSE(c.bytes.empty()) << c.what;
        const std::wstring path = Place(c.name, c.bytes);
        auto checked = CheckInstaller(path);
        EXPECT_EQ(static_cast<int>(c.expected), static_cast<int>(checked->GetTrust())) << c.what;
    }
    EXPECT_EQ(InstallerTrust::kNotOpened, CheckInstaller(m_dir + L"missing.exe")->GetTrust());
    // The pin, not the chain alone, decides: the right file under another pin is refused.
    CCheckedInstaller otherPin(Place(L"good.exe", m_signed), std::string(64, '0'));
    EXPECT_EQ(InstallerTrust::kOtherPublisher, otherPin.GetTrust());
}

TEST_F(InstallerTrustTest, TheCheckedFileCannotBeSwappedWhileHeldAndAFailedOneIsDeleted) {
    const std::wstring path = Place(L"held.exe", m_signed);
    {
        auto checked = CheckInstaller(path);
        ASSERT_TRUE(checked->IsTrusted());
        HANDLE writer =
            CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
        if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
        EXPECT_FALSE(DeleteFileW(path.c_str()));
        EXPECT_FALSE(MoveFileExW(path.c_str(), (m_dir + L"moved.exe").c_str(), MOVEFILE_REPLACE_EXISTING));
        EXPECT_FALSE(MoveFileExW((m_dir + L"other.exe").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
        // Readers, as the loader and the shell are, still get in.
        HANDLE reader =
            CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, reader);
        if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
    }
    // A writer that got there first keeps the check from holding the file: it fails.
    HANDLE writer =
        CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    EXPECT_EQ(InstallerTrust::kNotOpened, CheckInstaller(path)->GetTrust());
    CloseHandle(writer);

    auto failed = std::make_unique<CCheckedInstaller>(path, std::string(64, '0'));
    EXPECT_FALSE(failed->IsTrusted());
    failed->Discard();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
}
