#include "AppTestWindows.h"

#include <algorithm>
#include <cstdio>

#include "main/CaseWatchdog.h"
#include "platform/CommonIntf.h"
#include "ui/ViewMessages.h"

HINSTANCE g_hInstance = GetModuleHandleW(nullptr);

namespace {

constexpr UINT kSwitchView = 0x806A;

struct FindRequest {
    const wchar_t* className;
    HWND found;
    int count;
};

BOOL CALLBACK MatchClass(HWND hwnd, LPARAM param) {
    auto* request = reinterpret_cast<FindRequest*>(param);
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 255);
    if (wcscmp(name, request->className) == 0) {
        if (!request->found) request->found = hwnd;
        ++request->count;
    }
    return TRUE;
}

}  // namespace

TestMainWindow::TestMainWindow(const wchar_t* className) : IBaseWindow(className, 600, 400, nullptr) {}

LRESULT TestMainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    m_seen.push_back(message);
    if (m_onMessage) m_onMessage(message, wParam, lParam);
    if (message == kSwitchView) {
        m_switches.push_back(wParam);
        return 0;
    }
    if (message == WM_CLOSE) return 0;
    if (message == WM_ERASEBKGND) return 0;
    if (m_pView) return m_pView->Dispatch(message, wParam, lParam);
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        BeginPaint(m_hWnd, &ps);
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    return DefWindowProcW(m_hWnd, message, wParam, lParam);
}

bool TestMainWindow::Saw(UINT message) const {
    return std::find(m_seen.begin(), m_seen.end(), message) != m_seen.end();
}

IResourceMgr* AppWindowTest::s_pResMgr = nullptr;

void AppWindowTest::SetUpTestSuite() {
    if (!GetCommonIntf()) CreateCommonIntf();
    if (!s_pResMgr) s_pResMgr = CreateResourceMgr(MAKEINTRESOURCEW(kSkinResourceId), kSkinResourceType);
}

void AppWindowTest::TearDownTestSuite() {
    if (s_pResMgr) s_pResMgr->Release();
    s_pResMgr = nullptr;
}

void AppWindowTest::SetUp() {
    ASSERT_NE(nullptr, s_pResMgr);
}

IBaseWindow* WindowObject(HWND hwnd) {
    return static_cast<IBaseWindow*>(GetPropW(hwnd, L"WndClassPtr"));
}

void PostClick(HWND hwnd, const UiRect& rc) {
    const LPARAM point = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    PostMessageW(hwnd, WM_MOUSEMOVE, 0, point);
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(hwnd, WM_LBUTTONUP, 0, point);
}

namespace {

// One message at a time: a queue that never empties (a repaint slower than the messages that
// cause it) must not keep the condition and the deadline from being looked at. Stops early, with
// true, when `done` holds or (with `quit`) when WM_QUIT is taken from the queue.
bool Pump(const std::function<bool()>& done, uint32_t timeoutMs, const char* what, bool* quit) {
    NoteWaitingFor(what);
    const DWORD start = GetTickCount();
    for (;;) {
        if (done && done()) return true;
        if (GetTickCount() - start > timeoutMs) {
            if (what) std::fprintf(stderr, "waited %u ms for %s\n", static_cast<unsigned>(timeoutMs), what);
            return false;
        }
        MSG message;
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            Sleep(5);
            continue;
        }
        if (quit && message.message == WM_QUIT) {
            *quit = true;
            return true;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

bool PumpUntil(const std::function<bool()>& done, uint32_t timeoutMs, const char* what) {
    return Pump(done, timeoutMs, what, nullptr);
}

bool PumpUntilQuit(uint32_t timeoutMs) {
    bool quit = false;
    Pump(nullptr, timeoutMs, "the quit message", &quit);
    return quit;
}

void PumpFor(uint32_t ms) {
    Pump(nullptr, ms, nullptr, nullptr);
}

HWND FindThreadWindow(const wchar_t* className) {
    FindRequest request{className, nullptr, 0};
    EnumThreadWindows(GetCurrentThreadId(), &MatchClass, reinterpret_cast<LPARAM>(&request));
    return request.found;
}

int CountThreadWindows(const wchar_t* className) {
    FindRequest request{className, nullptr, 0};
    EnumThreadWindows(GetCurrentThreadId(), &MatchClass, reinterpret_cast<LPARAM>(&request));
    return request.count;
}
