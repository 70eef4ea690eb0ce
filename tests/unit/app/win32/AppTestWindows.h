// Test helpers for the application's windows: a main window that hands its messages to a page
// the way the real one does and records what reached it, the skin for the test process, and
// message pumps. Windows only.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <vector>

#include "resources/ResourceMgr.h"
#include "ui/BaseView.h"
#include "ui/BaseWindow.h"
#include "ui/Geometry.h"

class TestMainWindow : public IBaseWindow {
public:
    explicit TestMainWindow(const wchar_t* className = L"KelvoraAppTestMain");

    // WM_SWITCH_VIEW is recorded and answered, WM_CLOSE swallowed (as on the progress page),
    // everything else goes to the page when there is one.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void SetView(IBaseView* view) { m_pView = view; }
    bool Saw(UINT message) const;

    std::vector<UINT> m_seen;
    std::vector<WPARAM> m_switches;
    // Called for every message before it is handled.
    std::function<void(UINT, WPARAM, LPARAM)> m_onMessage;

private:
    IBaseView* m_pView = nullptr;
};

class AppWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    static IResourceMgr* s_pResMgr;
};

// The toolkit window object behind a handle (null for foreign windows).
IBaseWindow* WindowObject(HWND hwnd);
// A press and release in the middle of `rc` (client pixels), posted to `hwnd`.
void PostClick(HWND hwnd, const UiRect& rc);
// Dispatches the thread's messages until `done` holds or the time runs out; whether it held.
// `what` names the condition in the failure report and the watchdog's (a literal).
bool PumpUntil(const std::function<bool()>& done, uint32_t timeoutMs, const char* what = "a condition");
// Dispatches the thread's messages until WM_QUIT arrives (taken from the queue) or the time runs out.
bool PumpUntilQuit(uint32_t timeoutMs);
void PumpFor(uint32_t ms);
// The first top-level window of this thread with the class name, or null.
HWND FindThreadWindow(const wchar_t* className);
int CountThreadWindows(const wchar_t* className);
