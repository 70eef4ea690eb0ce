// Test tool: sends one window message to the first top-level window of a class, the way another
// program (or the system) would, and exits with 0 when the window was found.
//   kv_send.exe <window class> <message number, decimal or 0x hex> [post]
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args || count < 3) return 2;
    HWND target = FindWindowW(args[1], nullptr);
    if (!target) return 1;
    const UINT message = static_cast<UINT>(wcstoul(args[2], nullptr, 0));
    if (count > 3 && wcscmp(args[3], L"post") == 0) {
        PostMessageW(target, message, 0, 0);
    } else {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(target, message, 0, 0, SMTO_NORMAL, 5000, &result);
    }
    return 0;
}
