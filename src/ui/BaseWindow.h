// Base of every top-level window: a borderless popup of a base size scaled to the screen,
// centred on the work area, whose messages reach the object through a window property.
// Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

// The executable's instance, kept by the entry function; windows without an owner use it.
extern HINSTANCE g_hInstance;

class IBaseWindow {
public:
    // Creates the (hidden) window; `owner` null makes an application window, otherwise a tool
    // window of the owner. Throws "create window error".
    IBaseWindow(const wchar_t* className, uint32_t width, uint32_t height, HWND owner);
    IBaseWindow(const IBaseWindow&) = delete;
    IBaseWindow& operator=(const IBaseWindow&) = delete;
    // Detaches the object from the window and destroys the window if it still exists, so no
    // late message can reach a dead object.
    virtual ~IBaseWindow();

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

    // New base size: rescaled and recentred. False for an invalid window or a failed move.
    bool Resize(uint32_t width, uint32_t height);
    bool MoveTo(int32_t x, int32_t y);
    bool SetSize(int32_t cx, int32_t cy);
    bool Show();
    bool IsValid() const;
    HWND GetHwnd() const { return m_hWnd; }
    // The work area read by the last size computation; zeros before.
    RECT GetWorkArea() const { return m_rcWorkArea; }
    uint32_t GetBaseWidth() const { return m_width; }
    uint32_t GetBaseHeight() const { return m_height; }

    static LRESULT CALLBACK BaseWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    bool Create(const wchar_t* className, HWND owner);
    bool RegisterWndClass(const wchar_t* className, HINSTANCE instance);
    // Fills the scaled outer size and returns the scale.
    double CalcWindowSize(double* width, double* height);

    HWND m_hWnd = nullptr;
    RECT m_rcWorkArea = {0, 0, 0, 0};
    uint32_t m_width;
    uint32_t m_height;
};

// Whether a window's handler threw since the start (or the last reset). The window procedure
// catches it and posts a quit; a private message loop that ends on that quit passes it on, so
// the program's own loop ends too.
bool WindowHandlerFailed();
void ResetWindowHandlerFailure();
