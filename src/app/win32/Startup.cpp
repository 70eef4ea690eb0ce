#include "app/win32/Startup.h"

#include <winsock2.h>

#include "app/AppMessages.h"
#include "app/ChannelTag.h"
#include "app/win32/MainWindow.h"
#include "pkginfo/PkgInfo.h"
#include "platform/CommonIntf.h"
#include "platform/Files.h"
#include "platform/Strings.h"

HINSTANCE g_hInstance = nullptr;
HANDLE g_hInstanceMutex = nullptr;

void ReleaseSingleInstance() {
    if (g_hInstanceMutex && g_hInstanceMutex != INVALID_HANDLE_VALUE) {
        CloseHandle(g_hInstanceMutex);
        g_hInstanceMutex = nullptr;
    }
}

namespace {

BOOL CALLBACK FindMainWindow(HWND window, LPARAM found) {
    wchar_t className[260] = {};
    GetClassNameW(window, className, 259);
    if (wcscmp(className, KELVORA_MAIN_WINDOW_CLASS) != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

void DeclareDpiAware() {
    HMODULE user32 = LoadLibraryW(L"user32");
    if (!user32) return;
    using SetAwareFn = BOOL(WINAPI*)();
    auto setAware = reinterpret_cast<SetAwareFn>(reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDPIAware")));
    if (setAware) setAware();
}

void CreateFolders() {
    try {
        std::wstring work = GetWorkDir();
        CreateDirectories(work + L"kelvora\\");
    } catch (...) {
    }
}

void StoreChannelTag() {
    wchar_t path[1024] = {};
    GetModuleFileNameW(nullptr, path, 1023);
    // Without the settings object there is nowhere to keep the tag; the download then falls
    // back to its default file name.
    if (CCommonIntf* common = GetCommonIntf()) common->SetChannelTag(ChannelTagFromModulePath(WideToUtf8(path)));
}

void RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) != 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

void ActivateRunningInstance() {
    HWND running = nullptr;
    EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&running));
    if (running) PostMessageW(running, WM_RAISE_WINDOW, 0, 0);
}

void EnsureSingleInstance() {
    g_hInstanceMutex = CreateMutexW(nullptr, TRUE, KELVORA_INSTANCE_MUTEX);
    if (GetLastError() != ERROR_ALREADY_EXISTS) return;
    ReleaseSingleInstance();
    ActivateRunningInstance();
    exit(0);
}

int RunInstaller(HINSTANCE instance) {
    EnsureSingleInstance();
    CreateCommonIntf();
    MainWindow* mainWindow = nullptr;
    try {
        g_hInstance = instance;
        DeclareDpiAware();
        WSADATA wsa;
        WSAStartup(MAKEWORD(1, 1), &wsa);
        if (!GetPkgInfo()) throw "Get package information error";
        CreateFolders();
        StoreChannelTag();
        mainWindow = new MainWindow(KELVORA_MAIN_WINDOW_CLASS);
        mainWindow->Show();
        RunMessageLoop();
    } catch (...) {
    }
    delete mainWindow;
    DestroyCommonIntf();
    ReleaseSingleInstance();
    return 0;
}
