// A fresh, empty folder per test, removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/FileStream.h"
#include "platform/Files.h"
#include "platform/Strings.h"

class TestFolder {
public:
    TestFolder() {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_path = GetWorkDir() + L"test_" + Utf8ToWide(info->test_suite_name()) + L"_" + Utf8ToWide(info->name()) + L"\\";
        RemoveDirTree(m_path);
        CreateDirectories(m_path);
    }
    ~TestFolder() { RemoveDirTree(m_path); }
    const std::wstring& Path() const { return m_path; }
    std::wstring operator/(const std::wstring& name) const { return m_path + name; }

private:
    std::wstring m_path;
};

// The whole content of a file, read through the platform layer; empty when it cannot be opened.
inline std::string ReadWholeFile(const std::wstring& path) {
    std::string content;
    try {
        CFileStream in(path, kModeRead | kShareDenyNone);
        char buffer[4096];
        int32_t got;
        while ((got = in.Read(buffer, sizeof(buffer))) > 0) content.append(buffer, got);
    } catch (const char*) {
    }
    return content;
}
