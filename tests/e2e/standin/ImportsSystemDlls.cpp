// The control of the planted-DLL test: a program that imports version.dll, winmm.dll and
// winhttp.dll at load time, as the installer once did. Beside the planted copies it must leave
// their markers, which shows that the planted DLLs and the loader override of the test work.
#include <windows.h>
// mmsystem.h and winhttp.h need the types of windows.h.
#include <mmsystem.h>
#include <winhttp.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    DWORD handle = 0;
    const bool versionRead = GetFileVersionInfoSizeW(self, &handle) > 0;
    WinHttpCloseHandle(nullptr);
    return versionRead && timeGetTime() != 0 ? 0 : 1;
}
