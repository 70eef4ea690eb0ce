// Test tool: plays the desktop shell. Wine runs no shell window of its own (GetShellWindow is null
// even in a virtual desktop), so an installer cannot borrow the desktop user's token there. This
// program registers a hidden window of its own as the shell window and keeps it until its window
// is closed or its time limit passes. Once the window is the shell's, "kv_shell.exe.ready" appears
// beside the program.
//   kv_shell.exe [seconds, default 300]
#include <windows.h>

#include <cwchar>

namespace {

using SetShellWindowFn = BOOL(WINAPI*)(HWND);

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    const unsigned long seconds = commandLine && *commandLine ? wcstoul(commandLine, nullptr, 10) : 300;
    auto setShell = reinterpret_cast<SetShellWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetShellWindow")));
    HWND window =
        CreateWindowExW(0, L"STATIC", L"kv_shell", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
    if (!setShell || !window || !setShell(window)) return 1;
    // Tells the test that the shell window exists: "<this program>.ready".
    wchar_t ready[MAX_PATH + 8] = {};
    GetModuleFileNameW(nullptr, ready, MAX_PATH);
    lstrcatW(ready, L".ready");
    CloseHandle(CreateFileW(ready, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    SetTimer(window, 1, static_cast<UINT>(seconds * 1000), nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER) break;
        DispatchMessageW(&message);
    }
    return 0;
}
