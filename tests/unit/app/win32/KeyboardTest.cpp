// The pages and dialogs without a mouse: Tab and Shift+Tab walk the controls in reading order
// with a visible mark, Enter presses the focused button or the page's main one, Space ticks the
// terms, Esc does what the close cross does, and no key reaches a disabled button.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "AppTestWindows.h"
#include "app/AppMessages.h"
#include "app/win32/CBeginView.h"
#include "app/win32/CCustomeView.h"
#include "app/win32/MainWindow.h"
#include "platform/CommonIntf.h"
#include "ui/CheckboxResource.h"
#include "ui/DialogWindow.h"
#include "ui/EditResource.h"

namespace {

void PostKey(HWND hwnd, WPARAM key, bool shift = false) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    SendMessageW(hwnd, WM_KEYDOWN, key, 1);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
}

int32_t FocusedId(IBaseView* view) {
    IBaseResource* focused = view->GetResource(view->GetFocusIndex());
    return focused ? focused->GetId() : -1;
}

class WelcomeKeyboardTest : public AppWindowTest {
protected:
    void SetUp() override {
        AppWindowTest::SetUp();
        m_window.reset(new TestMainWindow(L"KelvoraKeyboardTestMain"));
        m_view.reset(new CBeginView(m_window->GetHwnd(), s_pResMgr));
        m_window->SetView(m_view.get());
        m_window->Show();
        PumpFor(50);
    }
    void TearDown() override {
        m_window->SetView(nullptr);
        m_view.reset();
        m_window.reset();
    }
    HWND Hwnd() const { return m_window->GetHwnd(); }
    // The ids the focus visits on `count` presses of Tab (or Shift+Tab).
    std::vector<int32_t> Walk(int count, bool backward) {
        std::vector<int32_t> ids;
        for (int i = 0; i < count; ++i) {
            PostKey(Hwnd(), VK_TAB, backward);
            ids.push_back(FocusedId(m_view.get()));
        }
        return ids;
    }
    bool Switched(WPARAM flag) const {
        for (WPARAM seen : m_window->m_switches) {
            if (seen == flag) return true;
        }
        return false;
    }

    std::unique_ptr<TestMainWindow> m_window;
    std::unique_ptr<CBeginView> m_view;
};

TEST_F(WelcomeKeyboardTest, TabWalksTheControlsInReadingOrderAndWraps) {
    using V = CBeginView;
    EXPECT_EQ(Walk(6, false), (std::vector<int32_t>{V::ID_CLOSE, V::ID_INSTALL, V::ID_TERMS_BOX,
                                                    V::ID_TERMS_LINK, V::ID_CUSTOM, V::ID_CLOSE}));
    EXPECT_EQ(Walk(2, true), (std::vector<int32_t>{V::ID_CUSTOM, V::ID_TERMS_LINK}));
}

TEST_F(WelcomeKeyboardTest, EnterPressesTheFocusedButtonOrTheInstallButton) {
    PostKey(Hwnd(), VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return Switched(VIEW_FLAG_THIRD); }, 3000, "quick install from Enter"));

    m_window->m_switches.clear();
    Walk(5, false);  // onto the custom-install button
    ASSERT_EQ(FocusedId(m_view.get()), CBeginView::ID_CUSTOM);
    PostKey(Hwnd(), VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return Switched(VIEW_FLAG_SECOND); }, 3000, "custom install from Enter"));
    EXPECT_FALSE(Switched(VIEW_FLAG_THIRD));
}

TEST_F(WelcomeKeyboardTest, SpaceUnticksTheTermsAndKeysThenNeverReachTheDisabledButtons) {
    using V = CBeginView;
    Walk(3, false);
    ASSERT_EQ(FocusedId(m_view.get()), V::ID_TERMS_BOX);
    PostKey(Hwnd(), VK_SPACE);
    ASSERT_TRUE(PumpUntil([&] { return !m_view->IsAgreed(); }, 3000, "the terms unticked by Space"));
    EXPECT_EQ(static_cast<CCheckboxResource*>(m_view->FindById(V::ID_TERMS_BOX))->GetChecked(), 0);

    // Enter on the check box goes to the install button, which is disabled now.
    PostKey(Hwnd(), VK_RETURN);
    PumpFor(200);
    EXPECT_TRUE(m_window->m_switches.empty());
    EXPECT_EQ(Walk(4, false),
              (std::vector<int32_t>{V::ID_TERMS_LINK, V::ID_CLOSE, V::ID_TERMS_BOX, V::ID_TERMS_LINK}));

    PostKey(Hwnd(), VK_TAB, true);
    PostKey(Hwnd(), VK_SPACE);
    ASSERT_TRUE(PumpUntil([&] { return m_view->IsAgreed(); }, 3000, "the terms ticked again by Space"));
    EXPECT_EQ(Walk(1, false), (std::vector<int32_t>{V::ID_TERMS_LINK}));
    EXPECT_EQ(Walk(1, false), (std::vector<int32_t>{V::ID_CUSTOM}));
}

// The client pixel at (x, y) after the page has repainted.
COLORREF PaintedPixel(HWND hwnd, int x, int y) {
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
    HDC dc = GetDC(hwnd);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return colour;
}

TEST_F(WelcomeKeyboardTest, TheFocusedControlHasATealOutline) {
    const UiRect box = m_view->FindById(CBeginView::ID_TERMS_BOX)->GetRect();
    const int y = (box.top + box.bottom) / 2;
    // Two pixels of gap, then the one-pixel mark (scale 1 here).
    const int markX = box.left - 3;
    const COLORREF before = PaintedPixel(Hwnd(), markX, y);
    EXPECT_NE(before, RGB(0x29, 0xC3, 0xB4));
    Walk(3, false);
    EXPECT_EQ(PaintedPixel(Hwnd(), markX, y), RGB(0x29, 0xC3, 0xB4));
    EXPECT_EQ(PaintedPixel(Hwnd(), markX + 1, y), before) << "the mark keeps its gap";
    Walk(1, false);
    EXPECT_EQ(PaintedPixel(Hwnd(), markX, y), before) << "the mark follows the focus";
}

// The real main window: Esc opens the cancel confirmation, Esc there keeps the page; the
// custom page's edit field hands Tab back to the page.
class MainWindowKeyboardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!GetCommonIntf()) CreateCommonIntf();
    }
    void SetUp() override {
        m_window.reset(new MainWindow(L"KelvoraKeyboardMainWindow"));
        m_window->Show();
        PumpFor(100);
    }
    void TearDown() override {
        m_window.reset();
        PumpFor(50);
    }
    HWND Hwnd() const { return m_window->GetHwnd(); }

    std::unique_ptr<MainWindow> m_window;
};

struct EscapeScript {
    const wchar_t* className;
    bool pressed = false;
};
EscapeScript* g_escape = nullptr;

// The dialog runs its own loop inside the page's handler; a thread timer still reaches it.
void CALLBACK PressEscapeOnDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindThreadWindow(g_escape->className);
    if (!dialog || !IsWindowVisible(dialog) || g_escape->pressed) return;
    g_escape->pressed = true;
    KillTimer(nullptr, timer);
    PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 1);
}

TEST_F(MainWindowKeyboardTest, EscapeAsksToCancelAndEscapeThereKeepsThePage) {
    EscapeScript script{L"BeginChildCloseWnd"};
    g_escape = &script;
    SetTimer(nullptr, 0, 100, &PressEscapeOnDialog);
    PostMessageW(Hwnd(), WM_KEYDOWN, VK_ESCAPE, 1);
    ASSERT_TRUE(PumpUntil([&] { return script.pressed && !FindThreadWindow(L"BeginChildCloseWnd"); }, 5000,
                          "the cancel confirmation opened by Esc and closed by Esc"));
    g_escape = nullptr;
    EXPECT_TRUE(IsWindowVisible(Hwnd()));
    EXPECT_EQ(m_window->GetCurView(), VIEW_FLAG_FIRST);
    MSG quit;
    EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(MainWindowKeyboardTest, TabLeavesTheEditFieldForTheNextControl) {
    ASSERT_TRUE(m_window->SwitchView(VIEW_FLAG_SECOND));
    PumpFor(100);
    IBaseView* page = m_window->GetCurrentView();
    auto* edit = static_cast<CEditResource*>(page->FindById(CCustomeView::ID_EDIT));
    SetFocus(edit->GetEditHwnd());
    ASSERT_EQ(GetFocus(), edit->GetEditHwnd());
    SendMessageW(edit->GetEditHwnd(), WM_KEYDOWN, VK_TAB, 1);
    EXPECT_EQ(FocusedId(page), CCustomeView::ID_BROWSE);
    EXPECT_EQ(GetFocus(), Hwnd());
    // And Shift+Tab goes back into the field.
    PostKey(Hwnd(), VK_TAB, true);
    EXPECT_EQ(FocusedId(page), CCustomeView::ID_EDIT);
    EXPECT_EQ(GetFocus(), edit->GetEditHwnd());
}

}  // namespace
