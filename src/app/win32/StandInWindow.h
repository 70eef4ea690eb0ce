// The window that holds the main window's class name until the pages exist: it keeps the
// hand-over between copies testable and ends the message loop when it is closed.
#pragma once

#include <windows.h>

class StandInWindow {
public:
    explicit StandInWindow(const wchar_t* className);
    StandInWindow(const StandInWindow&) = delete;
    StandInWindow& operator=(const StandInWindow&) = delete;
    ~StandInWindow();

    void Show();
    HWND GetHwnd() const { return m_hwnd; }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_hwnd = nullptr;
};
