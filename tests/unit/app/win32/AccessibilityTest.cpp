// What a screen reader finds on the pages: the client object's children with their roles,
// names, states and places, the focus it is told about, and an object that outlives its page.
// oleacc is loaded the way the installer loads it, so the test adds no import either.
#include <gtest/gtest.h>
#include <ole2.h>
#include <oleacc.h>

#include <memory>
#include <string>
#include <vector>

#include "AppTestWindows.h"
#include "app/win32/CBeginView.h"
#include "ui/ProgressResource.h"

namespace {

using AccessibleObjectFromWindowFn = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);

AccessibleObjectFromWindowFn LoadAccessibleObjectFromWindow() {
    HMODULE module = LoadLibraryExW(L"oleacc.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) return nullptr;
    return reinterpret_cast<AccessibleObjectFromWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "AccessibleObjectFromWindow")));
}

VARIANT Child(LONG id) {
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

std::wstring Name(IAccessible* acc, LONG id) {
    BSTR name = nullptr;
    if (acc->get_accName(Child(id), &name) != S_OK || !name) return L"";
    std::wstring text(name, SysStringLen(name));
    SysFreeString(name);
    return text;
}

LONG Role(IAccessible* acc, LONG id) {
    VARIANT role;
    VariantInit(&role);
    return SUCCEEDED(acc->get_accRole(Child(id), &role)) && role.vt == VT_I4 ? role.lVal : -1;
}

LONG State(IAccessible* acc, LONG id) {
    VARIANT state;
    VariantInit(&state);
    return SUCCEEDED(acc->get_accState(Child(id), &state)) && state.vt == VT_I4 ? state.lVal : -1;
}

// The child id with this name, 0 when there is none.
LONG FindChild(IAccessible* acc, const std::wstring& name) {
    long count = 0;
    acc->get_accChildCount(&count);
    for (LONG id = 1; id <= count; ++id) {
        if (Name(acc, id) == name) return id;
    }
    return 0;
}

struct FocusEvents {
    HWND hwnd = nullptr;
    std::vector<LONG> children;
};
FocusEvents* g_events = nullptr;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
    if (g_events && event == EVENT_OBJECT_FOCUS && hwnd == g_events->hwnd && object == OBJID_CLIENT) {
        g_events->children.push_back(child);
    }
}

class AccessibilityTest : public AppWindowTest {
protected:
    void SetUp() override {
        AppWindowTest::SetUp();
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        m_fromWindow = LoadAccessibleObjectFromWindow();
        ASSERT_NE(m_fromWindow, nullptr) << "oleacc.dll from the system folder";
        m_window.reset(new TestMainWindow(L"KelvoraAccessibilityTestMain"));
    }
    void TearDown() override {
        if (m_acc) m_acc->Release();
        m_window->SetView(nullptr);
        m_view.reset();
        m_window.reset();
    }
    void ShowView(IBaseView* view) {
        m_view.reset(view);
        m_window->SetView(view);
        m_window->Show();
        PumpFor(50);
        ASSERT_EQ(m_fromWindow(m_window->GetHwnd(), static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                               reinterpret_cast<void**>(&m_acc)),
                  S_OK);
        ASSERT_NE(m_acc, nullptr);
    }

    AccessibleObjectFromWindowFn m_fromWindow = nullptr;
    std::unique_ptr<TestMainWindow> m_window;
    std::unique_ptr<IBaseView> m_view;
    IAccessible* m_acc = nullptr;
};

TEST_F(AccessibilityTest, WelcomePageListsItsControlsAndTextsWithRolesAndStates) {
    auto* page = new CBeginView(m_window->GetHwnd(), s_pResMgr);
    ShowView(page);
    struct Expected {
        const wchar_t* name;
        LONG role;
    } expected[] = {
        {L"关闭", ROLE_SYSTEM_PUSHBUTTON},
        {L"Kelvora", ROLE_SYSTEM_STATICTEXT},
        {L"立即安装", ROLE_SYSTEM_PUSHBUTTON},
        {L"我已阅读并同意", ROLE_SYSTEM_CHECKBUTTON},
        {L"用户使用协议", ROLE_SYSTEM_LINK},
        {L"（勾选已阅读用户协议后才能安装）", ROLE_SYSTEM_STATICTEXT},
        {L"自定义安装", ROLE_SYSTEM_PUSHBUTTON},
    };
    for (const Expected& e : expected) {
        const LONG id = FindChild(m_acc, e.name);
        ASSERT_NE(id, 0) << "no child named " << testing::PrintToString(std::wstring(e.name));
        EXPECT_EQ(Role(m_acc, id), e.role) << testing::PrintToString(std::wstring(e.name));
    }
    // The page itself is the system's client object.
    EXPECT_EQ(Role(m_acc, CHILDID_SELF), ROLE_SYSTEM_CLIENT);

    const LONG install = FindChild(m_acc, L"立即安装");
    const LONG box = FindChild(m_acc, L"我已阅读并同意");
    const LONG hint = FindChild(m_acc, L"（勾选已阅读用户协议后才能安装）");
    EXPECT_EQ(State(m_acc, install) & (STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_FOCUSABLE),
              STATE_SYSTEM_FOCUSABLE);
    EXPECT_TRUE(State(m_acc, box) & STATE_SYSTEM_CHECKED);
    EXPECT_TRUE(State(m_acc, hint) & STATE_SYSTEM_INVISIBLE);

    // Where the button is drawn, in screen pixels.
    long x = 0, y = 0, w = 0, h = 0;
    ASSERT_EQ(m_acc->accLocation(&x, &y, &w, &h, Child(install)), S_OK);
    const UiRect rc = page->FindById(CBeginView::ID_INSTALL)->GetRect();
    POINT corner = {rc.left, rc.top};
    ClientToScreen(m_window->GetHwnd(), &corner);
    EXPECT_EQ(x, corner.x);
    EXPECT_EQ(y, corner.y);
    EXPECT_EQ(w, rc.Width());
    EXPECT_EQ(h, rc.Height());
    VARIANT hit;
    VariantInit(&hit);
    ASSERT_EQ(m_acc->accHitTest(x + w / 2, y + h / 2, &hit), S_OK);
    EXPECT_EQ(hit.vt, VT_I4);
    EXPECT_EQ(hit.lVal, install);

    // Unticking the terms (the screen reader's own action) disables the install button.
    ASSERT_EQ(m_acc->accDoDefaultAction(Child(box)), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return !page->IsAgreed(); }, 3000, "the terms unticked"));
    EXPECT_TRUE(State(m_acc, install) & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_FALSE(State(m_acc, install) & STATE_SYSTEM_FOCUSABLE);
    EXPECT_FALSE(State(m_acc, box) & STATE_SYSTEM_CHECKED);
    EXPECT_FALSE(State(m_acc, hint) & STATE_SYSTEM_INVISIBLE);
    EXPECT_EQ(m_acc->accDoDefaultAction(Child(install)), DISP_E_MEMBERNOTFOUND) << "a disabled button";
}

TEST_F(AccessibilityTest, FocusMovesAreAnnouncedWithTheChildId) {
    auto* page = new CBeginView(m_window->GetHwnd(), s_pResMgr);
    ShowView(page);
    SetFocus(m_window->GetHwnd());
    FocusEvents events;
    events.hwnd = m_window->GetHwnd();
    g_events = &events;
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, &OnWinEvent,
                                         GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    SendMessageW(m_window->GetHwnd(), WM_KEYDOWN, VK_TAB, 1);
    SendMessageW(m_window->GetHwnd(), WM_KEYDOWN, VK_TAB, 1);
    const LONG install = FindChild(m_acc, L"立即安装");
    const bool announced = PumpUntil([&] { return events.children.size() >= 2; }, 2000, "two focus events");
    UnhookWinEvent(hook);
    g_events = nullptr;
    ASSERT_TRUE(announced);
    EXPECT_EQ(events.children.back(), install);
    ASSERT_EQ(GetFocus(), m_window->GetHwnd());
    EXPECT_TRUE(State(m_acc, install) & STATE_SYSTEM_FOCUSED);
    VARIANT focus;
    VariantInit(&focus);
    ASSERT_EQ(m_acc->get_accFocus(&focus), S_OK);
    EXPECT_EQ(focus.lVal, install);
}

// A page with a progress bar, the way the progress page holds one.
class ProgressStub : public IBaseView {
public:
    explicit ProgressStub(HWND hwnd) : IBaseView(hwnd, nullptr) {
        auto* bar = AddResource(new CProgressResource(1, nullptr));
        bar->SetRect(20, 100, 560, 110);
        bar->SetPercent(42);
    }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        return HandleStandardMessage(message, wParam, lParam, kStandardPage);
    }
};

TEST_F(AccessibilityTest, ProgressBarValueIsThePercentageAndTheObjectOutlivesItsPage) {
    ShowView(new ProgressStub(m_window->GetHwnd()));
    long count = 0;
    ASSERT_EQ(m_acc->get_accChildCount(&count), S_OK);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(Role(m_acc, 1), ROLE_SYSTEM_PROGRESSBAR);
    BSTR value = nullptr;
    ASSERT_EQ(m_acc->get_accValue(Child(1), &value), S_OK);
    EXPECT_EQ(std::wstring(value, SysStringLen(value)), L"42%");
    SysFreeString(value);
    EXPECT_EQ(m_acc->get_accChildCount(&count), S_OK);

    // The page goes while the screen reader still holds the object.
    m_window->SetView(nullptr);
    m_view.reset();
    EXPECT_EQ(m_acc->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(Role(m_acc, 1), -1);
}

}  // namespace
