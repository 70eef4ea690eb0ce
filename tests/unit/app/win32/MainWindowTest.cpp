// The real main window with its pages under a window manager: the first page for a product that
// is not installed, the terms box, the custom-install round trip and the cancel confirmation.
// The widget rectangles of every page are printed for the end-to-end flows, and the welcome page
// is saved as main_window_welcome.bmp in the test's folder for a person to look at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "AppTestWindows.h"
#include "app/AppMessages.h"
#include "app/win32/CBeginView.h"
#include "app/win32/CCustomeView.h"
#include "app/win32/CFinishedView.h"
#include "app/win32/CReminderView.h"
#include "app/win32/MainWindow.h"
#include "platform/CommonIntf.h"
#include "ui/ButtonResource.h"
#include "ui/DialogWindow.h"
#include "ui/EditResource.h"
#include "ui/TextResource.h"
#include "ui/UiScale.h"

namespace {

constexpr const wchar_t* kClassName = L"KelvoraMainWindowTest";

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!GetCommonIntf()) CreateCommonIntf();
    }
    void SetUp() override {
        m_window.reset(new MainWindow(kClassName));
        m_window->Show();
        PumpFor(100);
    }
    void TearDown() override {
        m_window.reset();
        PumpFor(50);
    }

    HWND Hwnd() const { return m_window->GetHwnd(); }
    IBaseView* Page() const { return m_window->GetCurrentView(); }
    CImageResource* Widget(int32_t id) const { return static_cast<CImageResource*>(Page()->FindById(id)); }
    void Click(int32_t id) { PostClick(Hwnd(), Widget(id)->GetRect()); }

    std::unique_ptr<MainWindow> m_window;
};

SIZE ClientSize(HWND hwnd) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

// The colour the page put on screen at a client point, read back from the window.
COLORREF PixelAt(HWND hwnd, int x, int y) {
    HDC dc = GetDC(hwnd);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return colour;
}

void SaveClient(HWND hwnd, const char* fileName) {
    const SIZE size = ClientSize(hwnd);
    HDC dc = GetDC(hwnd);
    HDC mem = CreateCompatibleDC(dc);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bitmap);
    BitBlt(mem, 0, 0, size.cx, size.cy, dc, 0, 0, SRCCOPY);
    GdiFlush();
    // GDI leaves the fourth byte undefined; viewers read it as alpha.
    auto* pixels = static_cast<uint32_t*>(bits);
    for (LONG i = 0; i < size.cx * size.cy; ++i) pixels[i] |= 0xFF000000u;
    if (FILE* file = std::fopen(fileName, "wb")) {
        const DWORD bytes = static_cast<DWORD>(size.cx * size.cy * 4);
        BITMAPFILEHEADER header = {};
        header.bfType = 0x4D42;
        header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
        header.bfSize = header.bfOffBits + bytes;
        std::fwrite(&header, sizeof(header), 1, file);
        std::fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, file);
        std::fwrite(bits, bytes, 1, file);
        std::fclose(file);
    }
    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(hwnd, dc);
}

// One line per button, box, link and edit field: id, text, rectangle in window pixels.
void PrintClickables(const char* page, IBaseView* view) {
    for (int32_t i = 0; i < view->GetResourceCount(); ++i) {
        IBaseResource* widget = view->GetResource(i);
        const ResourceType type = widget->GetType();
        if (type != RES_BUTTON && type != RES_CHECKBOX && type != RES_EDIT) continue;
        std::wstring text;
        if (type == RES_BUTTON) text = static_cast<CButtonResource*>(widget)->GetText();
        const UiRect& rc = widget->GetRect();
        std::printf("%s widget id %d type %d rect (%d,%d)-(%d,%d) centre (%d,%d) %ls\n", page,
                    widget->GetId(), type, rc.left, rc.top, rc.right, rc.bottom, (rc.left + rc.right) / 2,
                    (rc.top + rc.bottom) / 2, text.c_str());
    }
}

TEST_F(MainWindowTest, WelcomePageForAProductThatIsNotInstalled) {
    ASSERT_TRUE(m_window->GetInstalledPath().empty()) << "the test prefix must not have the product";
    EXPECT_EQ(m_window->GetCurView(), VIEW_FLAG_FIRST);
    auto* page = dynamic_cast<CBeginView*>(Page());
    ASSERT_NE(page, nullptr);
    const double scale = GetUiScale();
    const SIZE size = ClientSize(Hwnd());
    EXPECT_EQ(size.cx, static_cast<LONG>(600 * scale + 0.5));
    EXPECT_EQ(size.cy, static_cast<LONG>(400 * scale + 0.5));

    const std::wstring& dir = m_window->GetInstallDir();
    ASSERT_GT(dir.size(), 16u);
    EXPECT_EQ(dir.substr(dir.size() - 16), L"\\Kelvora\\kelvora");

    EXPECT_TRUE(page->IsAgreed());
    EXPECT_FALSE(Widget(CBeginView::ID_HINT)->IsVisible());
    EXPECT_EQ(Widget(CBeginView::ID_INSTALL)->GetState(), STATE_NORMAL);

    // The skin is on screen: the teal face of the install button and the white page.
    PumpFor(200);
    const UiRect& install = Widget(CBeginView::ID_INSTALL)->GetRect();
    EXPECT_EQ(PixelAt(Hwnd(), install.left + 6, (install.top + install.bottom) / 2), RGB(0x29, 0xC3, 0xB4));
    const UiRect& close = Widget(CBeginView::ID_CLOSE)->GetRect();
    EXPECT_LT(close.left, close.right);
    EXPECT_GT(close.left, size.cx / 2) << "the close cross sits at the right of the title bar";
    // A second copy's hand-over reaches the page, which raises the window and keeps it on top
    // until the user presses on it.
    SendMessageW(Hwnd(), WM_RAISE_WINDOW, 0, 0);
    EXPECT_TRUE(GetWindowLongW(Hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    SaveClient(Hwnd(), "main_window_welcome.bmp");
    PrintClickables("welcome", page);
}

TEST_F(MainWindowTest, UntickingTheTermsDisablesBothInstallButtonsAndShowsTheHint) {
    Click(CBeginView::ID_TERMS_BOX);
    ASSERT_TRUE(PumpUntil([&] { return Widget(CBeginView::ID_HINT)->IsVisible(); }, 3000));
    auto* page = static_cast<CBeginView*>(Page());
    EXPECT_FALSE(page->IsAgreed());
    EXPECT_EQ(Widget(CBeginView::ID_INSTALL)->GetState(), STATE_DISABLED);
    EXPECT_EQ(Widget(CBeginView::ID_CUSTOM)->GetState(), STATE_DISABLED);

    // Disabled buttons neither hover nor lead anywhere.
    PostMessageW(Hwnd(), WM_MOUSEMOVE, 0,
                 MAKELPARAM(Widget(CBeginView::ID_CUSTOM)->GetRect().left + 2,
                            Widget(CBeginView::ID_CUSTOM)->GetRect().top + 2));
    PostMessageW(Hwnd(), WM_LBUTTONUP, 0,
                 MAKELPARAM(Widget(CBeginView::ID_CUSTOM)->GetRect().left + 2,
                            Widget(CBeginView::ID_CUSTOM)->GetRect().top + 2));
    PumpFor(150);
    EXPECT_EQ(Widget(CBeginView::ID_CUSTOM)->GetState(), STATE_DISABLED);
    EXPECT_EQ(m_window->GetCurView(), VIEW_FLAG_FIRST);

    Click(CBeginView::ID_TERMS_BOX);
    ASSERT_TRUE(PumpUntil([&] { return !Widget(CBeginView::ID_HINT)->IsVisible(); }, 3000));
    EXPECT_TRUE(page->IsAgreed());
    EXPECT_EQ(Widget(CBeginView::ID_INSTALL)->GetState(), STATE_NORMAL);
    EXPECT_EQ(Widget(CBeginView::ID_CUSTOM)->GetState(), STATE_NORMAL);
}

TEST_F(MainWindowTest, CustomInstallRoundTripKeepsTheChosenFolder) {
    const std::wstring proposed = m_window->GetInstallDir();
    Click(CBeginView::ID_CUSTOM);
    ASSERT_TRUE(PumpUntil([&] { return m_window->GetCurView() == VIEW_FLAG_SECOND; }, 3000));
    auto* custom = static_cast<CCustomeView*>(Page());
    // The proposed folder already ends in the product's folders and is taken as it is.
    EXPECT_EQ(custom->GetInstallDir(), proposed);
    auto* edit = static_cast<CEditResource*>(custom->FindById(CCustomeView::ID_EDIT));
    EXPECT_EQ(edit->GetEditText(), proposed);
    const std::wstring required =
        static_cast<CTextResource*>(custom->FindById(CCustomeView::ID_REQUIRED))->GetText();
    EXPECT_EQ(required.substr(required.size() - 3), L" MB");
    EXPECT_FALSE(custom->FindById(CCustomeView::ID_HINT)->IsVisible());
    EXPECT_EQ(static_cast<CImageResource*>(custom->FindById(CCustomeView::ID_INSTALL))->GetState(),
              STATE_NORMAL);
    PrintClickables("custom", custom);

    // A folder typed into the field is taken when the field loses the focus.
    PumpFor(100);
    SetFocus(edit->GetEditHwnd());
    edit->SetEditText(L"C:\\Tools");
    SetFocus(Hwnd());
    PumpFor(50);
    EXPECT_EQ(custom->GetInstallDir(), L"C:\\Tools\\Kelvora\\kelvora");
    EXPECT_EQ(edit->GetEditText(), L"C:\\Tools\\Kelvora\\kelvora");

    // A drive that does not exist has no free bytes: the hint shows and installing is refused.
    SetFocus(edit->GetEditHwnd());
    edit->SetEditText(L"Q:\\Nowhere");
    SetFocus(Hwnd());
    PumpFor(50);
    EXPECT_EQ(custom->GetInstallDir(), L"Q:\\Nowhere\\Kelvora\\kelvora");
    EXPECT_TRUE(custom->FindById(CCustomeView::ID_HINT)->IsVisible());
    EXPECT_EQ(static_cast<CImageResource*>(custom->FindById(CCustomeView::ID_INSTALL))->GetState(),
              STATE_DISABLED);
    EXPECT_EQ(static_cast<CTextResource*>(custom->FindById(CCustomeView::ID_FREE))->GetText(), L"0.0 B");
    SetFocus(edit->GetEditHwnd());
    edit->SetEditText(L"C:\\Tools");
    SetFocus(Hwnd());
    PumpFor(50);
    EXPECT_FALSE(custom->FindById(CCustomeView::ID_HINT)->IsVisible());
    EXPECT_EQ(static_cast<CImageResource*>(custom->FindById(CCustomeView::ID_INSTALL))->GetState(),
              STATE_NORMAL);

    // An invalid one puts the last good folder back.
    SetFocus(edit->GetEditHwnd());
    edit->SetEditText(L"Tools");
    SetFocus(Hwnd());
    PumpFor(50);
    EXPECT_EQ(custom->GetInstallDir(), L"C:\\Tools\\Kelvora\\kelvora");
    EXPECT_EQ(edit->GetEditText(), L"C:\\Tools\\Kelvora\\kelvora");

    Click(CCustomeView::ID_BACK);
    ASSERT_TRUE(PumpUntil([&] { return m_window->GetCurView() == VIEW_FLAG_FIRST; }, 3000));
    EXPECT_EQ(m_window->GetInstallDir(), L"C:\\Tools\\Kelvora\\kelvora");
    EXPECT_FALSE(IsWindowVisible(edit->GetEditHwnd()));

    Click(CBeginView::ID_CUSTOM);
    ASSERT_TRUE(PumpUntil([&] { return m_window->GetCurView() == VIEW_FLAG_SECOND; }, 3000));
    EXPECT_EQ(Page(), custom) << "pages are kept, not rebuilt";
    EXPECT_EQ(custom->GetInstallDir(), L"C:\\Tools\\Kelvora\\kelvora");
}

TEST_F(MainWindowTest, UnknownPagesAreIgnoredAndTheSmallPageResizes) {
    SendMessageW(Hwnd(), WM_SWITCH_VIEW, 5, 0);
    SendMessageW(Hwnd(), WM_SWITCH_VIEW, static_cast<WPARAM>(-1), 0);
    EXPECT_EQ(m_window->GetCurView(), VIEW_FLAG_FIRST);

    const double scale = GetUiScale();
    ASSERT_TRUE(m_window->SwitchView(VIEW_FLAG_REMINDER));
    EXPECT_EQ(ClientSize(Hwnd()).cx, static_cast<LONG>(400 * scale + 0.5));
    EXPECT_EQ(ClientSize(Hwnd()).cy, static_cast<LONG>(200 * scale + 0.5));
    PumpFor(100);
    PrintClickables("reminder", Page());

    // "安装" leads back to the welcome page at full size.
    Click(CReminderView::ID_INSTALL);
    ASSERT_TRUE(PumpUntil([&] { return m_window->GetCurView() == VIEW_FLAG_FIRST; }, 3000));
    EXPECT_EQ(ClientSize(Hwnd()).cx, static_cast<LONG>(600 * scale + 0.5));

    ASSERT_TRUE(m_window->SwitchView(VIEW_FLAG_FOURTH));
    PrintClickables("finished", Page());
}

TEST_F(MainWindowTest, ClosingTheLatestVersionPageEndsTheInstaller) {
    ASSERT_TRUE(m_window->SwitchView(VIEW_FLAG_REMINDER));
    SendMessageW(Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(Hwnd())) << "the window stays until the program's loop ends";
    EXPECT_FALSE(IsWindowVisible(Hwnd()));
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// Drives the cancel confirmation from a thread timer: the dialog's private loop still
// dispatches timer messages.
struct DialogScript {
    const wchar_t* className;
    int32_t buttonId;
    int dialogsSeen = 0;
    bool clicked = false;
    HWND page = nullptr;
};
DialogScript* g_script = nullptr;

void CALLBACK DriveDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindThreadWindow(g_script->className);
    if (!dialog || g_script->clicked) return;
    g_script->dialogsSeen = CountThreadWindows(g_script->className);
    // A second close request only brings the open dialog forward.
    SendMessageW(g_script->page, WM_CLOSE, 0, 0);
    g_script->dialogsSeen = std::max(g_script->dialogsSeen, CountThreadWindows(g_script->className));
    auto* window = static_cast<CDialogWindow*>(WindowObject(dialog));
    IBaseView* view = window->GetView();
    IBaseResource* button = view->FindById(g_script->buttonId);
    PostClick(dialog, button->GetRect());
    g_script->clicked = true;
    KillTimer(nullptr, timer);
}

TEST_F(MainWindowTest, DecliningTheCancelConfirmationKeepsThePage) {
    DialogScript script{L"BeginChildCloseWnd", 2};
    script.page = Hwnd();
    g_script = &script;
    SetTimer(nullptr, 0, 100, &DriveDialog);
    PostMessageW(Hwnd(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return script.clicked && !FindThreadWindow(L"BeginChildCloseWnd"); }, 5000));
    EXPECT_EQ(script.dialogsSeen, 1);
    EXPECT_TRUE(IsWindowVisible(Hwnd()));
    EXPECT_EQ(static_cast<CBeginView*>(Page())->GetChildWnd(), nullptr);
    MSG quit;
    EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    g_script = nullptr;
}

TEST_F(MainWindowTest, ConfirmingTheCancelHidesTheWindowAndEndsTheLoop) {
    Click(CBeginView::ID_CUSTOM);
    ASSERT_TRUE(PumpUntil([&] { return m_window->GetCurView() == VIEW_FLAG_SECOND; }, 3000));
    DialogScript script{L"CustomeChildCloseWnd", 1};
    script.page = Hwnd();
    g_script = &script;
    SetTimer(nullptr, 0, 100, &DriveDialog);
    PostMessageW(Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntilQuit(5000));
    EXPECT_EQ(script.dialogsSeen, 1);
    EXPECT_FALSE(IsWindowVisible(Hwnd()));
    EXPECT_EQ(static_cast<CCustomeView*>(Page())->GetChildWnd(), nullptr);
    g_script = nullptr;
}

}  // namespace
