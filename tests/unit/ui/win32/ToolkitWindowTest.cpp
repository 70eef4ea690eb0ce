// The two paint pipelines end to end under a real window manager: a layered dialog and an
// opaque page with one widget of each kind, captured and probed at known pixels. The pictures
// land in the test's build folder (toolkit_dialog.png, toolkit_page.png) for a person to see.
#include <gtest/gtest.h>

#include <memory>

#include "Capture.h"
#include "platform/CommonIntf.h"
#include "resources/ResourceMgr.h"
#include "ui/ButtonResource.h"
#include "ui/CheckboxResource.h"
#include "ui/DialogWindow.h"
#include "ui/EditResource.h"
#include "ui/LayoutResource.h"
#include "ui/MovieResource.h"
#include "ui/ProgressResource.h"
#include "ui/SpacerResource.h"
#include "ui/TextResource.h"
#include "ui/ViewMessages.h"

HINSTANCE g_hInstance = GetModuleHandleW(nullptr);

namespace {

constexpr uint32_t kPanelColour = 0xFFFFFFFF;
constexpr uint32_t kButtonFaces[kStateCount] = {MakeRgb(65, 151, 255), MakeRgb(98, 166, 251),
                                                MakeRgb(24, 115, 222), MakeRgb(216, 216, 216)};

// A dialog: a white rounded panel (radius 10, so 21-pixel arc boxes) with an icon, a line of
// text and a button.
class TestDialogView : public IBaseView {
public:
    TestDialogView(HWND hwnd, IResourceMgr* resMgr) : IBaseView(hwnd, resMgr) {
        auto* root = AddResource(new CLayoutResource(LAYOUT_VERTICAL, 0));
        ResourceStyle panel[kStateCount];
        for (ResourceStyle& style : panel) {
            style.m_backColor = kPanelColour;
            style.m_radius = 10;
            style.m_borderWidth = 1;
            style.m_borderColor = MakeRgb(200, 210, 214);
        }
        auto* background = AddResource(new CImageResource(1, RES_IMAGE, panel));
        auto* icon = AddResource(new CImageResource(2, RES_ICON, nullptr));
        icon->SetImage(resMgr->GetImage(L"error_icon.png"));
        icon->SetAspect(1, 1);
        ResourceStyle textStyle[kStateCount];
        textStyle[STATE_NORMAL].m_hAlign = ALIGN_CENTER;
        textStyle[STATE_NORMAL].m_textColor = MakeRgb(51, 51, 51);
        auto* text = AddResource(new CTextResource(L"网络连接失败 Network error", 3, textStyle));
        m_pButton = AddResource(new CButtonResource(L"重试 Retry", 4, nullptr));
        m_pButton->SetInflate(-120, 0);
        root->SetMargins(20, 20, 20, 20);
        root->SetSpacing(8);
        root->AddChild(icon, 3);
        root->AddChild(text, 2);
        root->AddChild(m_pButton, 2);
        root->SetBound(background);
        RECT client;
        GetClientRect(hwnd, &client);
        root->SetRect(0, 0, client.right, client.bottom);
    }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        return HandleStandardMessage(message, wParam, lParam, kStandardDialog);
    }
    CButtonResource* m_pButton;
};

class TestDialogWindow : public TDialogWindow<TestDialogView> {
public:
    using TDialogWindow::TDialogWindow;
};

// A page with one widget of each kind; buttons are put in each of the four states.
class TestPageView : public IBaseView {
public:
    TestPageView(HWND hwnd, IResourceMgr* resMgr) : IBaseView(hwnd, resMgr) {
        auto* root = AddResource(new CLayoutResource(LAYOUT_VERTICAL, 0));
        auto* background = AddResource(new CImageResource(1, RES_IMAGE, nullptr));
        background->SetImage(resMgr->GetImage(L"main_bg.png"));
        root->SetBound(background);
        root->SetMargins(20, 20, 20, 20);
        root->SetSpacing(10);

        ResourceStyle textStyle[kStateCount];
        textStyle[STATE_NORMAL].m_fontSize = 20;
        textStyle[STATE_NORMAL].m_textColor = MakeRgb(30, 30, 30);
        textStyle[STATE_NORMAL].m_backColor = 0xFFFFFFFF;
        m_pText = AddResource(
            new CTextResource(L"Kelvora 安装向导 text that wraps onto a second line", 2, textStyle));
        root->AddChild(m_pText, 2);

        auto* buttons = AddResource(new CLayoutResource(LAYOUT_HORIZONTAL, 3));
        buttons->SetSpacing(10);
        for (int32_t i = 0; i < kStateCount; ++i) {
            m_pButtons[i] = AddResource(new CButtonResource(L"安装", 10 + i, nullptr));
            m_pButtons[i]->SetState(i);
            buttons->AddChild(m_pButtons[i], 1);
        }
        m_pButtons[1]->SetHoverImage(resMgr->GetImage(L"main_word_custom_hover.png"));
        root->AddChild(buttons, 2);

        auto* row = AddResource(new CLayoutResource(LAYOUT_HORIZONTAL, 4));
        row->SetSpacing(10);
        m_pCheckbox =
            AddResource(new CCheckboxResource(L"同意协议", resMgr->GetImage(L"main_checkbox_select.png"),
                                              resMgr->GetImage(L"main_checkbox_deselect.png"), 5, nullptr));
        m_pProgress = AddResource(new CProgressResource(6, nullptr));
        m_pProgress->SetInflate(0, -8);
        m_pProgress->SetPercent(50);
        m_pEdit = AddResource(new CEditResource(L"C:\\Program Files\\Kelvora", hwnd, 7, nullptr));
        row->AddChild(m_pCheckbox, 1);
        row->AddChild(m_pProgress, 1);
        row->AddChild(m_pEdit, 1);
        root->AddChild(row, 1);

        auto* media = AddResource(new CLayoutResource(LAYOUT_HORIZONTAL, 8));
        media->SetSpacing(10);
        m_pMovie = AddResource(new CMovieResource(hwnd, resMgr->GetImage(L"install_banner.png"), 9, nullptr));
        m_pMovie->SetAspect(1200, 600);
        m_pIcon = AddResource(new CImageResource(20, RES_ICON, nullptr));
        m_pIcon->SetImage(resMgr->GetImage(L"logo.png"));
        m_pIcon->SetAspect(1, 1);
        auto* spacer = AddResource(new CSpacerResource(21));
        media->AddChild(m_pMovie, 3);
        media->AddChild(m_pIcon, 1);
        media->AddChild(spacer, 1);
        root->AddChild(media, 4);

        RECT client;
        GetClientRect(hwnd, &client);
        m_bLaidOut = root->SetRect(0, 0, client.right, client.bottom);
    }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        return HandleStandardMessage(message, wParam, lParam, kStandardPage);
    }
    using IBaseView::UpdateButtonStates;

    bool m_bLaidOut = false;
    CTextResource* m_pText;
    CButtonResource* m_pButtons[kStateCount];
    CCheckboxResource* m_pCheckbox;
    CProgressResource* m_pProgress;
    CEditResource* m_pEdit;
    CMovieResource* m_pMovie;
    CImageResource* m_pIcon;
};

class TestPageWindow : public IBaseWindow {
public:
    TestPageWindow(IResourceMgr* resMgr) : IBaseWindow(L"KelvoraToolkitTestPage", 600, 400, nullptr) {
        m_pView = std::make_unique<TestPageView>(m_hWnd, resMgr);
    }
    ~TestPageWindow() override { m_pView.reset(); }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_ERASEBKGND) return 1;
        if (!m_pView) return DefWindowProcW(m_hWnd, message, wParam, lParam);
        return m_pView->HandleMessage(message, wParam, lParam);
    }
    TestPageView& View() { return *m_pView; }

private:
    std::unique_ptr<TestPageView> m_pView;
};

LPARAM PointIn(const UiRect& rc) {
    return MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
}

class ToolkitWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!GetCommonIntf()) CreateCommonIntf();
        s_pResMgr = CreateResourceMgr(MAKEINTRESOURCEW(kSkinResourceId), kSkinResourceType);
    }
    static void TearDownTestSuite() {
        if (s_pResMgr) s_pResMgr->Release();
        s_pResMgr = nullptr;
    }
    void SetUp() override { ASSERT_NE(nullptr, s_pResMgr); }
    static IResourceMgr* s_pResMgr;
};
IResourceMgr* ToolkitWindowTest::s_pResMgr = nullptr;

RECT ExpectedCentredRect(uint32_t w, uint32_t h) {
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const WindowSize size = CalcWindowSize(w, h, MakeUiRect(work.left, work.top, work.right, work.bottom),
                                           true, GetCommonIntf()->GetScreenScale());
    int32_t x, y;
    CenterWindowPos(MakeUiRect(work.left, work.top, work.right, work.bottom), size.width, size.height, &x,
                    &y);
    return RECT{x, y, x + static_cast<LONG>(size.width + 0.5), y + static_cast<LONG>(size.height + 0.5)};
}

}  // namespace

TEST_F(ToolkitWindowTest, LayeredDialogHasTransparentCorners) {
    TestPageWindow owner(s_pResMgr);
    TestDialogWindow dialog(L"KelvoraToolkitTestDialog", owner.GetHwnd(), s_pResMgr);
    // A second window of the same class registers nothing new and still works.
    TestDialogWindow second(L"KelvoraToolkitTestDialog", owner.GetHwnd(), s_pResMgr);
    ASSERT_TRUE(second.IsValid());

    HWND hwnd = dialog.GetHwnd();
    EXPECT_EQ(WS_EX_TOOLWINDOW, GetWindowLongW(hwnd, GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_APPWINDOW));
    EXPECT_EQ(0, GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    RECT rc;
    GetWindowRect(hwnd, &rc);
    const RECT expected = ExpectedCentredRect(400, 200);
    EXPECT_EQ(expected.left, rc.left);
    EXPECT_EQ(expected.top, rc.top);
    EXPECT_EQ(expected.right, rc.right);
    EXPECT_EQ(expected.bottom, rc.bottom);
    EXPECT_EQ(0, SendMessageW(hwnd, WM_ERASEBKGND, 0, 0));

    ASSERT_TRUE(dialog.Show());
    PumpMessages();
    EXPECT_NE(0, GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) << "the first paint makes it layered";

    // What PaintLayered hands the system, drawn again into the same kind of bitmap.
    const int32_t w = rc.right - rc.left, h = rc.bottom - rc.top;
    HDC screen = GetDC(nullptr);
    CDibSurface surface(screen, w, h);
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(surface.IsValid());
    dialog.GetView()->DrawResources(surface.GetDC());
    EXPECT_TRUE(SaveSurfacePng(surface, L"toolkit_dialog.png", true));

    for (const POINT& corner :
         {POINT{0, 0}, POINT{w - 1, 0}, POINT{0, h - 1}, POINT{w - 1, h - 1}, POINT{2, 2}}) {
        EXPECT_EQ(0, Alpha(surface.GetPixel(corner.x, corner.y)))
            << corner.x << "," << corner.y << " " << DescribePixel(surface.GetPixel(corner.x, corner.y));
    }
    const uint32_t middle = surface.GetPixel(w / 2, h / 2 - 10);
    EXPECT_EQ(255, Alpha(middle)) << DescribePixel(middle);
    EXPECT_GT(Alpha(surface.GetPixel(0, h / 2)), 0) << "the panel reaches the window's edge";
    const UiRect button = dialog.GetDialogView()->m_pButton->GetRect();
    const uint32_t face = surface.GetPixel(button.left + 6, (button.top + button.bottom) / 2);
    EXPECT_EQ(255, Alpha(face));
    EXPECT_TRUE(ColourNear(face, kButtonFaces[STATE_NORMAL], 3)) << DescribePixel(face);

    // Pressing outside a button in a dialog changes nothing and starts no drag.
    EXPECT_EQ(0, SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 100)));
    EXPECT_EQ(STATE_NORMAL, dialog.GetDialogView()->m_pButton->GetState());
}

TEST_F(ToolkitWindowTest, OpaquePageDrawsEveryWidgetKind) {
    TestPageWindow page(s_pResMgr);
    HWND hwnd = page.GetHwnd();
    TestPageView& view = page.View();
    ASSERT_TRUE(view.m_bLaidOut);
    EXPECT_EQ(WS_EX_APPWINDOW, GetWindowLongW(hwnd, GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_APPWINDOW));
    RECT rc;
    GetWindowRect(hwnd, &rc);
    const RECT expected = ExpectedCentredRect(600, 400);
    EXPECT_EQ(expected.left, rc.left);
    EXPECT_EQ(expected.right, rc.right);

    ASSERT_TRUE(page.Show());
    PumpMessages();
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpMessages();
    Sleep(100);
    PumpMessages();

    RECT client;
    GetClientRect(hwnd, &client);
    CDibSurface shot(nullptr, client.right, client.bottom);
    CaptureClient(hwnd, shot);
    EXPECT_TRUE(SaveSurfacePng(shot, L"toolkit_page.png", false));

    for (int32_t i = 0; i < kStateCount; ++i) {
        const UiRect rect = view.m_pButtons[i]->GetRect();
        // Near the far edge from the icon, clear of the centred text.
        const uint32_t pixel = shot.GetPixel(rect.right - 6, rect.top + 4);
        EXPECT_TRUE(ColourNear(pixel, kButtonFaces[i], 3)) << "state " << i << ": " << DescribePixel(pixel);
    }
    // White button text, vertically centred: some near-white pixels on the middle row.
    const UiRect face = view.m_pButtons[STATE_NORMAL]->GetRect();
    int white = 0;
    for (int32_t y = face.top + face.Height() / 3; y < face.bottom - face.Height() / 3; ++y) {
        for (int32_t x = face.left; x < face.right; ++x)
            white += Blue(shot.GetPixel(x, y)) > 240 && Red(shot.GetPixel(x, y)) > 200 ? 1 : 0;
    }
    EXPECT_GT(white, 20) << "button text";

    const UiRect track = view.m_pProgress->GetRect();
    const int32_t midY = (track.top + track.bottom) / 2;
    const uint32_t filled = shot.GetPixel(track.left + track.Width() / 4, midY);
    const uint32_t empty = shot.GetPixel(track.left + track.Width() * 3 / 4, midY);
    EXPECT_TRUE(ColourNear(filled, MakeRgb(65, 151, 255), 3)) << DescribePixel(filled);
    EXPECT_TRUE(ColourNear(empty, MakeRgb(238, 238, 238), 3)) << DescribePixel(empty);

    const UiRect text = view.m_pText->GetRect();
    int dark = 0;
    for (int32_t y = text.top; y < text.bottom; ++y) {
        for (int32_t x = text.left; x < text.right; ++x) dark += Red(shot.GetPixel(x, y)) < 110 ? 1 : 0;
    }
    EXPECT_GT(dark, 100) << "text filled as outlines";
    // The text widget's own white background is under the text.
    EXPECT_TRUE(ColourNear(shot.GetPixel(text.right - 2, text.bottom - 2), 0xFFFFFFFF, 1));

    const UiRect movie = view.m_pMovie->GetMovieRect();
    const uint32_t banner = shot.GetPixel(movie.left + movie.Width() / 20, (movie.top + movie.bottom) / 2);
    EXPECT_GT(int(Green(banner)) - int(Red(banner)), 80) << "teal banner: " << DescribePixel(banner);
    const UiRect logo = view.m_pIcon->GetImageRect();
    const uint32_t tile = shot.GetPixel(logo.left + logo.Width() * 15 / 100, (logo.top + logo.bottom) / 2);
    EXPECT_TRUE(ColourNear(tile, 0xFF29C3B4, 6)) << DescribePixel(tile);
    const UiRect box = view.m_pCheckbox->GetIconRect();
    const uint32_t tick = shot.GetPixel(box.left + box.Width() / 5, box.top + box.Height() / 5);
    EXPECT_TRUE(ColourNear(tick, 0xFF29C3B4, 6)) << DescribePixel(tick);

    // The edit field: a real control, flat (its frame is never painted), readable and writable.
    HWND edit = view.m_pEdit->GetEditHwnd();
    ASSERT_TRUE(IsWindow(edit));
    EXPECT_EQ(L"C:\\Program Files\\Kelvora", view.m_pEdit->GetEditText());
    EXPECT_TRUE(view.m_pEdit->SetEditText(L"D:\\Apps\\Kelvora"));
    wchar_t buffer[64];
    EXPECT_TRUE(view.m_pEdit->GetEditText(buffer, 64));
    EXPECT_STREQ(L"D:\\Apps\\Kelvora", buffer);
    EXPECT_EQ(0, SendMessageW(edit, WM_NCPAINT, 1, 0));
    RECT editRect;
    GetWindowRect(edit, &editRect);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&editRect), 2);
    const UiRect placed = view.m_pEdit->GetRect();
    EXPECT_EQ(placed.left, editRect.left);
    EXPECT_EQ(placed.Width(), editRect.right - editRect.left);
    view.m_pEdit->ShowEdit(false);
    EXPECT_FALSE(IsWindowVisible(edit));
    view.m_pEdit->ShowEdit(true);
    EXPECT_TRUE(IsWindowVisible(edit));
}

TEST_F(ToolkitWindowTest, MouseDrivesTheButtonStates) {
    TestPageWindow page(s_pResMgr);
    HWND hwnd = page.GetHwnd();
    TestPageView& view = page.View();
    page.Show();
    PumpMessages();
    CButtonResource** buttons = view.m_pButtons;
    const int32_t first = view.HitTest(PointIn(buttons[0]->GetRect()));
    const int32_t second = view.HitTest(PointIn(buttons[2]->GetRect()));
    ASSERT_EQ(buttons[0], view.GetResource(first));
    ASSERT_EQ(buttons[2], view.GetResource(second));

    SendMessageW(hwnd, WM_MOUSEMOVE, 0, PointIn(buttons[0]->GetRect()));
    EXPECT_EQ(STATE_HOVER, buttons[0]->GetState());
    for (int32_t i = 1; i < kStateCount; ++i) EXPECT_EQ(STATE_NORMAL, buttons[i]->GetState()) << i;

    // Moving within the same widget repaints nothing.
    ValidateRect(hwnd, nullptr);
    const UiRect r0 = buttons[0]->GetRect();
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(r0.left + 2, r0.top + 2));
    EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));

    // Straight onto another button: the first returns to normal, the second hovers, one repaint.
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, PointIn(buttons[2]->GetRect()));
    EXPECT_EQ(STATE_NORMAL, buttons[0]->GetState());
    EXPECT_EQ(STATE_HOVER, buttons[2]->GetState());
    EXPECT_TRUE(GetUpdateRect(hwnd, nullptr, FALSE));

    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PointIn(buttons[2]->GetRect()));
    EXPECT_EQ(STATE_PRESSED, buttons[2]->GetState());
    // Released over another button: that one is clicked.
    const LPARAM release = PointIn(buttons[0]->GetRect());
    SendMessageW(hwnd, WM_LBUTTONUP, 0, release);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, hwnd, WM_RESOURCE_CLICKED, WM_RESOURCE_CLICKED, PM_REMOVE));
    EXPECT_EQ(static_cast<WPARAM>(first), msg.wParam);
    EXPECT_EQ(release, msg.lParam);

    // Onto the background: every button back to normal.
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    for (int32_t i = 0; i < kStateCount; ++i) EXPECT_EQ(STATE_NORMAL, buttons[i]->GetState()) << i;
    EXPECT_EQ(1, view.GetHoverIndex()) << "the background picture";
    EXPECT_EQ(view.FindById(9), view.m_pMovie);
    EXPECT_EQ(nullptr, view.FindById(999));

    // A hidden widget is still found by the hit test.
    view.m_pIcon->SetVisible(false);
    EXPECT_EQ(view.m_pIcon, view.GetResource(view.HitTest(PointIn(view.m_pIcon->GetRect()))));

    // Pages that disable buttons keep them disabled.
    buttons[3]->SetState(STATE_DISABLED);
    EXPECT_FALSE(view.UpdateButtonStates(0, WM_MOUSEMOVE, true));
    EXPECT_EQ(STATE_DISABLED, buttons[3]->GetState());
}

TEST_F(ToolkitWindowTest, ResizeRescalesAndRecentres) {
    TestPageWindow page(s_pResMgr);
    ASSERT_TRUE(page.Resize(400, 200));
    RECT rc;
    GetWindowRect(page.GetHwnd(), &rc);
    const RECT expected = ExpectedCentredRect(400, 200);
    EXPECT_EQ(expected.left, rc.left);
    EXPECT_EQ(expected.top, rc.top);
    EXPECT_EQ(expected.right, rc.right);
    EXPECT_EQ(expected.bottom, rc.bottom);
    EXPECT_TRUE(page.MoveTo(10, 20));
    EXPECT_TRUE(page.SetSize(300, 150));
    GetWindowRect(page.GetHwnd(), &rc);
    EXPECT_EQ(10, rc.left);
    EXPECT_EQ(170, rc.bottom);
}

// A window whose handler throws: the message comes back to the sender and the dispatcher, the
// program is told to end through its loop, and nothing is left half dead.
class ThrowingWindow : public IBaseWindow {
public:
    static constexpr UINT kThrow = WM_APP + 1;
    ThrowingWindow() : IBaseWindow(L"KelvoraToolkitThrowingWindow", 200, 100, nullptr) {}
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kThrow) throw "create window error";
        return DefWindowProcW(m_hWnd, message, wParam, lParam);
    }
};

TEST_F(ToolkitWindowTest, AHandlerThatThrowsReturnsAndEndsTheLoop) {
    ThrowingWindow window;
    PumpMessages();
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    ResetWindowHandlerFailure();
    for (bool sent : {true, false}) {
        SCOPED_TRACE(sent ? "sent" : "posted and dispatched");
        if (sent) {
            EXPECT_EQ(0, SendMessageW(window.GetHwnd(), ThrowingWindow::kThrow, 0, 0));
        } else {
            PostMessageW(window.GetHwnd(), ThrowingWindow::kThrow, 0, 0);
            ASSERT_TRUE(PeekMessageW(&message, window.GetHwnd(), ThrowingWindow::kThrow,
                                     ThrowingWindow::kThrow, PM_REMOVE));
            EXPECT_EQ(0, DispatchMessageW(&message));
        }
        EXPECT_TRUE(WindowHandlerFailed());
        EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
            << "the program's loop ends";
        EXPECT_TRUE(IsWindow(window.GetHwnd()));
        ResetWindowHandlerFailure();
    }
}
