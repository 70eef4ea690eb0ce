#include "ui/BaseWindow.h"

#include <cassert>

#include "ui/Geometry.h"
#include "ui/UiScale.h"

namespace {

constexpr const wchar_t* kWindowProp = L"WndClassPtr";
constexpr const wchar_t* kWindowTitle = L"kelvora";
constexpr int kIconId = 102;

// Main thread only, like every window.
bool g_bHandlerFailed = false;

UiRect ToUiRect(const RECT& rc) {
    return MakeUiRect(static_cast<int32_t>(rc.left), static_cast<int32_t>(rc.top),
                      static_cast<int32_t>(rc.right), static_cast<int32_t>(rc.bottom));
}

double ScreenScale() {
    CCommonIntf* common = GetCommonIntf();
    return common ? common->GetScreenScale() : 1.0;
}

}  // namespace

IBaseWindow::IBaseWindow(const wchar_t* className, uint32_t width, uint32_t height, HWND owner)
    : m_width(width), m_height(height) {
    if (!Create(className, owner)) throw "create window error";
}

IBaseWindow::~IBaseWindow() {
    if (!m_hWnd) return;
    if (GetPropW(m_hWnd, kWindowProp) == this) RemovePropW(m_hWnd, kWindowProp);
    if (IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

double IBaseWindow::CalcWindowSize(double* width, double* height) {
    const bool haveWorkArea = SystemParametersInfoW(SPI_GETWORKAREA, 0, &m_rcWorkArea, 0) != FALSE;
    const WindowSize size = ::CalcWindowSize(m_width, m_height, ToUiRect(m_rcWorkArea), haveWorkArea,
                                             haveWorkArea ? ScreenScale() : 1.0);
    *width = size.width;
    *height = size.height;
    return size.scale;
}

bool IBaseWindow::Create(const wchar_t* className, HWND owner) {
    const DWORD exStyle = owner ? WS_EX_TOOLWINDOW : WS_EX_APPWINDOW;
    HINSTANCE instance =
        owner ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)) : g_hInstance;
    assert(instance && "no instance handle");

    double w = 0, h = 0;
    SetUiScale(CalcWindowSize(&w, &h));
    int32_t x = 0, y = 0;
    CenterWindowPos(ToUiRect(m_rcWorkArea), w, h, &x, &y);
    if (!RegisterWndClass(className, instance)) return false;

    m_hWnd = CreateWindowExW(exStyle, className, kWindowTitle, WS_POPUP, x, y, static_cast<int>(w + 0.5),
                             static_cast<int>(h + 0.5), owner, nullptr, instance, nullptr);
    if (!m_hWnd) return false;
    SetPropW(m_hWnd, kWindowProp, this);
    return true;
}

bool IBaseWindow::RegisterWndClass(const wchar_t* className, HINSTANCE instance) {
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(nullptr, className, &existing)) return true;

    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &IBaseWindow::BaseWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconId));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool IBaseWindow::Resize(uint32_t width, uint32_t height) {
    m_width = width;
    m_height = height;
    if (!IsValid()) return false;
    bool result = true;
    double w = 0, h = 0;
    SetUiScale(CalcWindowSize(&w, &h));
    if (!SetWindowPos(m_hWnd, nullptr, 0, 0, static_cast<int>(w + 0.5), static_cast<int>(h + 0.5),
                      SWP_NOZORDER | SWP_NOMOVE)) {
        result = false;
    }
    int32_t x = 0, y = 0;
    CenterWindowPos(ToUiRect(m_rcWorkArea), w, h, &x, &y);
    if (!SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOZORDER | SWP_NOSIZE)) result = false;
    return result;
}

bool IBaseWindow::MoveTo(int32_t x, int32_t y) {
    return IsValid() && SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
}

bool IBaseWindow::SetSize(int32_t cx, int32_t cy) {
    return IsValid() && SetWindowPos(m_hWnd, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOMOVE);
}

bool IBaseWindow::Show() {
    if (!IsValid()) return false;
    ShowWindow(m_hWnd, SW_SHOW);
    UpdateWindow(m_hWnd);
    return true;
}

bool IBaseWindow::IsValid() const {
    return m_hWnd && IsWindow(m_hWnd);
}

LRESULT CALLBACK IBaseWindow::BaseWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // Nothing is attached while CreateWindowExW is still running.
    auto* window = static_cast<IBaseWindow*>(GetPropW(hwnd, kWindowProp));
    if (!window) return DefWindowProcW(hwnd, message, wParam, lParam);
    // An exception must not unwind into the system's dispatch, which has no frames the 32-bit
    // unwinder can pass: the process would end on the spot. A handler that throws has left its
    // action half done, so the program ends the way a failed start-up step does: the message
    // loops end and the entry function shuts down in order.
    try {
        return window->HandleMessage(message, wParam, lParam);
    } catch (...) {
        g_bHandlerFailed = true;
        PostQuitMessage(0);
        return 0;
    }
}

bool WindowHandlerFailed() {
    return g_bHandlerFailed;
}

void ResetWindowHandlerFailure() {
    g_bHandlerFailed = false;
}
