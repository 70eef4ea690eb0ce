#include "app/win32/StandInWindow.h"

#include "app/AppMessages.h"
#include "app/win32/Startup.h"

StandInWindow::StandInWindow(const wchar_t* className) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &StandInWindow::WndProc;
    wc.hInstance = g_hInstance;
    wc.lpszClassName = className;
    wc.hIcon = LoadIconW(g_hInstance, MAKEINTRESOURCEW(102));
    RegisterClassExW(&wc);
    m_hwnd = CreateWindowExW(WS_EX_APPWINDOW, className, L"kelvora", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr,
                             g_hInstance, nullptr);
    if (!m_hwnd) throw "create window error";
}

StandInWindow::~StandInWindow() {
    if (m_hwnd) DestroyWindow(m_hwnd);
}

// Stays hidden: there is nothing to show before the pages exist.
void StandInWindow::Show() { UpdateWindow(m_hwnd); }

LRESULT CALLBACK StandInWindow::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            PostQuitMessage(0);
            return 0;
        case WM_RAISE_WINDOW:
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}
