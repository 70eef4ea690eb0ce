// Stand-in for the product's own setup program. It does what the download installer relies on:
// takes " /SILENT /VERYSILENT /SP- /noicons /DIR=\"folder\"", puts Kelvora.exe into the folder and
// registers it in the uninstall entry of the 32-bit registry view. Every run appends its command
// line to "Kelvora_install.cmdline.log" beside itself.
//
// How it behaves is decided by the bytes it was served, never by its arguments: a trailer
// "KVSTANDIN:" followed by "exit=<code>" and/or "sleep=<seconds>" (blank-separated) after the
// executable image, which the loader ignores. The trailer goes in before the file is signed (the
// signature then follows it), so each variant carries a valid signature of its own.
#include <windows.h>
// after windows.h
#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

const wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{9D3F6A21-8E5D-4F7A-92A5-D1F08E7B3A46}_is1";

struct Behaviour {
    DWORD exitCode = 0;
    DWORD sleepSeconds = 0;
};

std::wstring OwnPath() {
    std::vector<wchar_t> path(32768, L'\0');
    GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size() - 1));
    return path.data();
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

void AppendUtf8Line(const std::wstring& file, const std::wstring& line) {
    HANDLE h = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    const std::wstring text = line + L"\r\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], size, nullptr,
                        nullptr);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

// Reads the trailer from the last bytes of our own file, where only the signature follows it.
Behaviour ReadBehaviour(const std::wstring& self) {
    Behaviour result;
    HANDLE h = CreateFileW(self.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return result;
    LARGE_INTEGER size;
    std::string tail;
    if (GetFileSizeEx(h, &size)) {
        const LONGLONG want = size.QuadPart < 65536 ? size.QuadPart : 65536;
        LARGE_INTEGER at;
        at.QuadPart = size.QuadPart - want;
        tail.resize(static_cast<size_t>(want));
        DWORD got = 0;
        if (!SetFilePointerEx(h, at, nullptr, FILE_BEGIN) ||
            !ReadFile(h, &tail[0], static_cast<DWORD>(want), &got, nullptr))
            got = 0;
        tail.resize(got);
    }
    CloseHandle(h);
    const size_t mark = tail.rfind("KVSTANDIN:");
    if (mark == std::string::npos) return result;
    std::string options = tail.substr(mark + 10);
    size_t pos = 0;
    while (pos < options.size()) {
        size_t end = options.find_first_of(" \r\n", pos);
        if (end == std::string::npos) end = options.size();
        const std::string item = options.substr(pos, end - pos);
        if (item.compare(0, 5, "exit=") == 0) result.exitCode = std::strtoul(item.c_str() + 5, nullptr, 10);
        if (item.compare(0, 6, "sleep=") == 0)
            result.sleepSeconds = std::strtoul(item.c_str() + 6, nullptr, 10);
        pos = end + 1;
    }
    return result;
}

// The folder of the "/DIR=" argument, split the way the system splits command lines (so
// /DIR="a b" and "/DIR=a b" both give a b); empty when absent.
std::wstring FolderArgument(const std::wstring& commandLine) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(commandLine.c_str(), &count);
    std::wstring folder;
    for (int i = 1; args && i < count; ++i) {
        if (_wcsnicmp(args[i], L"/DIR=", 5) == 0) folder = args[i] + 5;
    }
    if (args) LocalFree(args);
    while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    return folder;
}

bool WriteProduct(const std::wstring& target) {
    HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(1), reinterpret_cast<LPCWSTR>(RT_RCDATA));
    if (!info) return false;
    HGLOBAL loaded = LoadResource(nullptr, info);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(nullptr, info);
    if (!bytes || size == 0) return false;
    HANDLE h =
        CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(h, bytes, size, &written, nullptr) && written == size;
    CloseHandle(h);
    return ok;
}

bool SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool Register(const std::wstring& folder, const std::wstring& exe) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = SetText(key, L"DisplayIcon", exe);
    ok = SetText(key, L"DisplayName", L"Kelvora") && ok;
    ok = SetText(key, L"DisplayVersion", L"3.1.2.450") && ok;
    ok = SetText(key, L"InstallLocation", folder + L"\\") && ok;
    RegCloseKey(key);
    return ok;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const std::wstring self = OwnPath();
    const std::wstring commandLine = GetCommandLineW();
    AppendUtf8Line(FolderOf(self) + L"Kelvora_install.cmdline.log", commandLine);

    const Behaviour behaviour = ReadBehaviour(self);
    if (behaviour.sleepSeconds) Sleep(behaviour.sleepSeconds * 1000);
    if (behaviour.exitCode) return static_cast<int>(behaviour.exitCode);

    const std::wstring folder = FolderArgument(commandLine);
    if (folder.empty()) return 2;
    const int made = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS) return 3;
    const std::wstring exe = folder + L"\\Kelvora.exe";
    if (!WriteProduct(exe)) return 4;
    if (!Register(folder, exe)) return 5;
    return 0;
}
