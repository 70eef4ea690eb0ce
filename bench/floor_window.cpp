// The floor of bench/startup: the least a Win32 program can do to put a 600x400 window on the
// screen (register a class, create the window centred on the work area, paint it one colour),
// started the same way as the installer so the difference is the installer's own cost.
#include <windows.h>

namespace {

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = FloorProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
    // The installer's teal, so the harness sees both windows painted by the same test.
    windowClass.hbrBackground = CreateSolidBrush(RGB(0x29, 0xC3, 0xB4));
    windowClass.lpszClassName = L"KelvoraBenchFloor";
    if (!RegisterClassW(&windowClass)) return 1;
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = 600, height = 400;
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"kelvora-floor", WS_POPUP | WS_VISIBLE,
                                  work.left + (work.right - work.left - width) / 2,
                                  work.top + (work.bottom - work.top - height) / 2, width, height, nullptr,
                                  nullptr, instance, nullptr);
    if (!window) return 1;
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
