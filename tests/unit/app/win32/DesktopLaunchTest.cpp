// Starting a program as the desktop user: the integrity level of a running process, a launch
// that hands back its handles and one that fails with the system's error.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/win32/DesktopLaunch.h"

namespace {

std::wstring SystemProgram(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\" + name;
}

TEST(DesktopLaunch, IntegrityLevelOfThisProcess) {
    DWORD level = 0xFFFF;
    EXPECT_EQ(GetProcessIntegrityLevel(GetCurrentProcessId(), &level), 0u);
    EXPECT_TRUE(level == 0x1000 || level == 0x2000 || level == 0x3000 || level == 0x4000)
        << std::hex << level;

    // A process that does not exist: the error of opening it, and no level.
    EXPECT_NE(GetProcessIntegrityLevel(0xFFFFFFF0u, &level), 0u);
    EXPECT_EQ(level, 0u);
}

TEST(DesktopLaunch, StartsTheProgramAndHandsBackItsHandles) {
    const std::wstring program = SystemProgram(L"hostname.exe");
    ASSERT_NE(GetFileAttributesW(program.c_str()), INVALID_FILE_ATTRIBUTES);
    DWORD level = 0;
    ASSERT_EQ(GetProcessIntegrityLevel(GetCurrentProcessId(), &level), 0u);
    PROCESS_INFORMATION info = {};
    const DWORD result = LaunchAsDesktopUser(program.c_str(), nullptr, nullptr, &info);
    if (level > 0x2000 && !GetShellWindow()) {
        // Elevated without a desktop shell to borrow a token from: opening "process 0" fails
        // and that error is the result; nothing was started.
        EXPECT_EQ(result, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(info.hProcess, nullptr);
        EXPECT_EQ(info.hThread, nullptr);
        return;
    }
    ASSERT_EQ(result, 0u);
    ASSERT_NE(info.hProcess, nullptr);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 20000), WAIT_OBJECT_0);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);

    // Without an out-parameter the handles are closed inside.
    EXPECT_EQ(LaunchAsDesktopUser(program.c_str(), nullptr, nullptr, nullptr), 0u);
}

TEST(DesktopLaunch, MissingProgramReportsTheSystemError) {
    PROCESS_INFORMATION info = {};
    const std::wstring missing = SystemProgram(L"no-such-program-kv.exe");
    EXPECT_NE(LaunchAsDesktopUser(missing.c_str(), nullptr, nullptr, &info), 0u);
    EXPECT_EQ(info.hProcess, nullptr);
}

}  // namespace
