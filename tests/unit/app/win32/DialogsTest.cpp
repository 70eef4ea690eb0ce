// The four dialogs on a real window: their contents, what each button posts, the private loop
// that keeps input away from the page, and where the dialog lands on the work area.
#include <cstdio>
#include <memory>
#include <string>

#include "AppTestWindows.h"
#include "TestSigning.h"
#include "app/AppMessages.h"
#include "app/win32/DialogProtocol.h"
#include "app/win32/DownloadReminderWindow.h"
#include "app/win32/ErrorWindow.h"
#include "app/win32/InstallReminderWindow.h"
#include "app/win32/WarnWindow.h"
#include "ui/ButtonResource.h"
#include "ui/DibSurface.h"
#include "ui/Drawing.h"
#include "ui/TextResource.h"
#include "ui/UiScale.h"

namespace {

enum Kind { kDownloadReminder, kError, kInstallReminder, kUnsignedInstallReminder, kWarn };

// The downloaded installer the manual-install dialog offers: the signed stand-in, or its unsigned
// copy, placed fresh for each dialog in a folder with a Chinese name.
std::wstring InstallerFolder() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"下载 " + std::to_wstring(GetCurrentProcessId()) + L"\\";
}
// The dialog keeps what it handed to the shell held until the process ends: each kind has its own
// file.
std::wstring InstallerName(bool sign) {
    return sign ? L"install_zozavi00.exe" : L"install_unsigned.exe";
}
std::wstring PlaceInstaller(bool sign) {
    const std::wstring path = InstallerFolder() + InstallerName(sign);
    CreateDirectoryW(InstallerFolder().c_str(), nullptr);
    const wchar_t* source = sign ? L"app_fake_installer.exe" : L"app_fake_installer_unsigned.exe";
    CopyFileW((TestModuleDir() + source).c_str(), path.c_str(), FALSE);
    return path;
}

std::vector<std::wstring> g_opened;
void RecordOpen(const std::wstring& target) {
    g_opened.push_back(target);
}

std::unique_ptr<CDialogWindow> MakeDialog(Kind kind, HWND owner, IResourceMgr* resMgr) {
    switch (kind) {
        case kDownloadReminder: {
            auto dialog = std::make_unique<DownloadReminderWindow>(owner, resMgr, L"ProgressDReminderWnd");
            dialog->SetUrl("http://127.0.0.1:18481/kelvora/Kelvora_install.exe");
            return dialog;
        }
        case kError: {
            auto dialog = std::make_unique<ErrorWindow>(owner, resMgr, L"ProgressChildCloseWnd");
            dialog->SetMode(2);
            return dialog;
        }
        case kInstallReminder:
        case kUnsignedInstallReminder: {
            auto dialog = std::make_unique<InstallReminderWindow>(owner, resMgr, L"ProgressIReminderWnd");
            dialog->SetFilePath(PlaceInstaller(kind == kInstallReminder));
            return dialog;
        }
        case kWarn:
            return std::make_unique<WarnWindow>(owner, resMgr, L"BeginChildCloseWnd");
    }
    return nullptr;
}

CDialogTemplateView* TemplateView(CDialogWindow& dialog) {
    return static_cast<CDialogTemplateView*>(dialog.GetView());
}

std::vector<std::wstring> Texts(const IBaseView& view) {
    std::vector<std::wstring> texts;
    for (int32_t i = 0; i < view.GetResourceCount(); ++i) {
        if (view.GetResource(i)->GetType() == RES_TEXT) {
            texts.push_back(static_cast<CTextResource*>(view.GetResource(i))->GetText());
        }
    }
    return texts;
}

class DialogsTest : public AppWindowTest {
protected:
    void SetUp() override {
        AppWindowTest::SetUp();
        ASSERT_TRUE(TrustTestRoot());
        g_opened.clear();
        SetShellOpener(&RecordOpen);
        SetAddressOpener(&RecordOpen);
    }
    void TearDown() override {
        SetShellOpener(nullptr);
        SetAddressOpener(nullptr);
        DeleteFileW((InstallerFolder() + InstallerName(false)).c_str());
        RemoveDirectoryW(InstallerFolder().c_str());
    }
};

TEST_F(DialogsTest, EachDialogShowsItsTextsButtonsAndIcon) {
    struct Case {
        Kind kind;
        const wchar_t* className;
        const wchar_t* heading;
        const wchar_t* message;
        const wchar_t* first;
        uint32_t firstFace;
        uint32_t firstText;
        const wchar_t* second;
        int32_t iconId;
        bool close;
        uint32_t titleBorder;
    } cases[] = {
        {kDownloadReminder, L"ProgressDReminderWnd", L"网络异常",
         L"您的网络环境存在网络异常，需要手动下载软件必要组件，请点击“确认”开始下载。", L"确认", 0xFFF2F2F2,
         MakeRgb(102, 102, 102), L"取消", 3, false, 1},
        {kError, L"ProgressChildCloseWnd", L"网络异常",
         L"检测到网络异常，必要组件无法加载，请检查网络后重试。", L"立即重试", 0xFFF2F2F2, 0xFF3F3F3F,
         L"稍后重试", 3, false, 0},
        {kInstallReminder, L"ProgressIReminderWnd", L"配置环境异常",
         L"检测到配置环境存在一些问题，不过不用担心，已为您准备好安装包可供安装，是否确认手动安装？", L"确认",
         0xFFF2F2F2, 0xFF3F3F3F, L"取消", 3, false, 1},
        {kWarn, L"BeginChildCloseWnd", L"确定要取消安装吗？",
         L"安装尚未开始，关闭窗口会取消安装，点击“取消”后继续安装。", L"确认", 0xFFF2F2F2, 0xFF3F3F3F,
         L"取消", 5, true, 1},
    };
    TestMainWindow page;
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        auto dialog = MakeDialog(c.kind, page.GetHwnd(), s_pResMgr);
        wchar_t className[64] = {};
        GetClassNameW(dialog->GetHwnd(), className, 63);
        EXPECT_STREQ(c.className, className);
        EXPECT_EQ(page.GetHwnd(), GetWindow(dialog->GetHwnd(), GW_OWNER));
        RECT rc;
        GetWindowRect(dialog->GetHwnd(), &rc);
        EXPECT_EQ(static_cast<LONG>(400 * GetUiScale() + 0.5), rc.right - rc.left);
        EXPECT_EQ(static_cast<LONG>(200 * GetUiScale() + 0.5), rc.bottom - rc.top);

        CDialogTemplateView* view = TemplateView(*dialog);
        const std::vector<std::wstring> expected = {L"Kelvora", c.heading, c.message};
        EXPECT_EQ(expected, Texts(*view));
        CButtonResource* first = view->GetButton(DIALOG_ID_FIRST_BUTTON);
        CButtonResource* second = view->GetButton(DIALOG_ID_SECOND_BUTTON);
        ASSERT_TRUE(first && second);
        EXPECT_EQ(c.first, first->GetText());
        EXPECT_EQ(c.second, second->GetText());
        EXPECT_EQ(c.firstFace, first->GetStyle(STATE_NORMAL).m_backColor);
        EXPECT_EQ(c.firstText, first->GetStyle(STATE_NORMAL).m_textColor);
        EXPECT_EQ(0xFF29C3B4u, second->GetStyle(STATE_NORMAL).m_backColor);
        EXPECT_EQ(0xFF10B3A3u, second->GetStyle(STATE_HOVER).m_backColor);
        EXPECT_EQ(0xFF089F90u, second->GetStyle(STATE_PRESSED).m_backColor);
        EXPECT_EQ(c.close, view->GetButton(DIALOG_ID_CLOSE_BUTTON) != nullptr);

        auto* icon = static_cast<CImageResource*>(view->FindById(c.iconId));
        ASSERT_NE(nullptr, icon);
        EXPECT_EQ(RES_ICON, icon->GetType());
        EXPECT_NE(nullptr, icon->GetImage());
        // The title panel is the second image after the background.
        auto* titlePanel = static_cast<CImageResource*>(view->GetResource(3));
        EXPECT_EQ(0xFFF9F9F9u, titlePanel->GetStyle(STATE_NORMAL).m_backColor);
        EXPECT_EQ(c.titleBorder, titlePanel->GetStyle(STATE_NORMAL).m_borderWidth);

        // Buttons sit in the lower right quarter and do not overlap.
        EXPECT_GT(first->GetRect().left, 150);
        EXPECT_GT(first->GetRect().top, 130);
        EXPECT_LE(first->GetRect().right, second->GetRect().left);
        EXPECT_LT(second->GetRect().right, 400);
        std::printf("%d: button1 %d,%d-%d,%d button2 %d,%d-%d,%d", static_cast<int>(c.kind),
                    first->GetRect().left, first->GetRect().top, first->GetRect().right,
                    first->GetRect().bottom, second->GetRect().left, second->GetRect().top,
                    second->GetRect().right, second->GetRect().bottom);
        if (CButtonResource* close = view->GetButton(DIALOG_ID_CLOSE_BUTTON)) {
            std::printf(" close %d,%d-%d,%d", close->GetRect().left, close->GetRect().top,
                        close->GetRect().right, close->GetRect().bottom);
        }
        std::printf("\n");
    }
}

TEST_F(DialogsTest, ButtonsPostTheirMessageAndEndTheLoop) {
    struct Case {
        Kind kind;
        int32_t button;
        UINT watched;
        bool seen;
        bool windowGone;
        const wchar_t* opened;
    } cases[] = {
        {kError, DIALOG_ID_FIRST_BUTTON, WM_CHILD_RETRY, true, true, nullptr},
        {kError, DIALOG_ID_SECOND_BUTTON, WM_CHILD_RETRY, false, true, nullptr},
        {kWarn, DIALOG_ID_FIRST_BUTTON, WM_CHILD_CONFIRM_EXIT, true, true, nullptr},
        {kWarn, DIALOG_ID_SECOND_BUTTON, WM_CHILD_CONFIRM_EXIT, false, true, nullptr},
        {kWarn, DIALOG_ID_CLOSE_BUTTON, WM_CHILD_CONFIRM_EXIT, false, true, nullptr},
        {kDownloadReminder, DIALOG_ID_FIRST_BUTTON, 0, false, false,
         L"http://127.0.0.1:18481/kelvora/Kelvora_install.exe"},
        {kDownloadReminder, DIALOG_ID_SECOND_BUTTON, 0, false, false, nullptr},
        {kInstallReminder, DIALOG_ID_FIRST_BUTTON, 0, false, false, L"install_zozavi00.exe"},
        {kInstallReminder, DIALOG_ID_SECOND_BUTTON, 0, false, false, nullptr},
        // The shell never gets a file that fails the publisher check; the file is gone instead.
        {kUnsignedInstallReminder, DIALOG_ID_FIRST_BUTTON, 0, false, false, nullptr},
    };
    TestMainWindow page;
    page.Show();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + " button " + std::to_string(c.button));
        g_opened.clear();
        auto dialog = MakeDialog(c.kind, page.GetHwnd(), s_pResMgr);
        const HWND hwnd = dialog->GetHwnd();
        PlaceAndShowDialog(page.GetHwnd(), *dialog);
        EXPECT_TRUE(IsWindowVisible(hwnd));
        PostClick(hwnd, TemplateView(*dialog)->GetButton(c.button)->GetRect());
        EXPECT_EQ(c.seen, RunDialogLoop(hwnd, c.watched));
        EXPECT_EQ(c.windowGone, !IsWindow(hwnd));
        if (c.opened && c.kind == kInstallReminder) {
            ASSERT_EQ(1u, g_opened.size());
            EXPECT_EQ(InstallerFolder() + c.opened, g_opened[0]);
        } else if (c.opened) {
            ASSERT_EQ(1u, g_opened.size());
            EXPECT_EQ(c.opened, g_opened[0]);
        } else {
            EXPECT_TRUE(g_opened.empty());
        }
        if (c.kind == kUnsignedInstallReminder) {
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES,
                      GetFileAttributesW((InstallerFolder() + InstallerName(false)).c_str()));
        }
    }
}

// How a dialog is closed from outside while its loop runs, driven from a thread timer.
enum CloseBy { kCloseMessage, kAltF4, kDestroyed };
struct OutsideClose {
    HWND dialog = nullptr;
    CloseBy how = kCloseMessage;
    bool acted = false;
    bool stuck = false;
};
OutsideClose g_close;

void CALLBACK CloseFromOutside(HWND, UINT, UINT_PTR id, DWORD) {
    if (!g_close.acted) {
        g_close.acted = true;
        if (g_close.how == kCloseMessage) PostMessageW(g_close.dialog, WM_CLOSE, 0, 0);
        // The key as the system delivers Alt+F4: a system key with the Alt flag set.
        if (g_close.how == kAltF4) PostMessageW(g_close.dialog, WM_SYSKEYDOWN, VK_F4, (1 << 29) | 1);
        if (g_close.how == kDestroyed) DestroyWindow(g_close.dialog);
        return;
    }
    // Still running long after: give up on the loop, so the case fails instead of hanging.
    KillTimer(nullptr, id);
    g_close.stuck = true;
    PostQuitMessage(0);
}

TEST_F(DialogsTest, CloseFromOutsideEndsTheLoopLikeTheCloseButtonAndThePageAnswersAgain) {
    // Every dialog gets a close request; the key and the vanished window are the same path
    // into it, so one dialog each is enough for those.
    struct Case {
        Kind kind;
        CloseBy how;
        UINT watched;
        bool windowGone;
    } cases[] = {
        {kDownloadReminder, kCloseMessage, 0, false}, {kError, kCloseMessage, WM_CHILD_RETRY, true},
        {kInstallReminder, kCloseMessage, 0, false},  {kWarn, kCloseMessage, WM_CHILD_CONFIRM_EXIT, true},
        {kWarn, kAltF4, WM_CHILD_CONFIRM_EXIT, true}, {kDownloadReminder, kAltF4, 0, false},
        {kError, kDestroyed, WM_CHILD_RETRY, true},
    };
    TestMainWindow page;
    page.Show();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + " closed by " + std::to_string(c.how));
        g_opened.clear();
        auto dialog = MakeDialog(c.kind, page.GetHwnd(), s_pResMgr);
        const HWND hwnd = dialog->GetHwnd();
        g_close = OutsideClose{hwnd, c.how};
        const UINT_PTR timer = SetTimer(nullptr, 0, 100, &CloseFromOutside);
        // The close must look like the "no" answer: nothing watched, nothing opened.
        EXPECT_FALSE(ShowDialogModal(page.GetHwnd(), *dialog, c.watched));
        KillTimer(nullptr, timer);
        EXPECT_TRUE(g_close.acted);
        EXPECT_FALSE(g_close.stuck);
        EXPECT_TRUE(g_opened.empty());
        EXPECT_EQ(c.windowGone, !IsWindow(hwnd));
        // No second quit is left over for the page's own loop.
        MSG quit;
        EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        dialog.reset();

        page.m_seen.clear();
        PostMessageW(page.GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 200));
        EXPECT_TRUE(PumpUntil([&] { return page.Saw(WM_LBUTTONDOWN); }, 2000, "the page's click"));
    }
}

CTextResource* MessageText(const IBaseView& view) {
    // The template's third text: title, heading, message.
    int seen = 0;
    for (int32_t i = 0; i < view.GetResourceCount(); ++i) {
        if (view.GetResource(i)->GetType() == RES_TEXT && ++seen == 3)
            return static_cast<CTextResource*>(view.GetResource(i));
    }
    return nullptr;
}

// Pixels in the box that are clearly not the white panel.
int InkIn(const CDibSurface& surface, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    int ink = 0;
    for (int32_t y = top; y < bottom; ++y) {
        for (int32_t x = left; x < right; ++x) {
            const uint32_t p = surface.GetPixel(x, y);
            if ((p >> 24) > 0x80 && ((p >> 16) & 0xFF) < 0xC0) ++ink;
        }
    }
    return ink;
}

// Every dialog drawn at scale 1.0: the message is set in lines that fit its box, and the last
// character of the last line is on the picture, where a rendering of that line alone puts ink.
// At scale 1.5 the lines still fit the box.
TEST_F(DialogsTest, EveryMessageIsDrawnWholeInsideItsBox) {
    TestMainWindow page;
    for (Kind kind : {kDownloadReminder, kError, kInstallReminder, kWarn}) {
        SCOPED_TRACE(static_cast<int>(kind));
        auto dialog = MakeDialog(kind, page.GetHwnd(), s_pResMgr);
        CTextResource* message = MessageText(*dialog->GetView());
        ASSERT_NE(nullptr, message);
        const std::wstring& text = message->GetText();
        const UiRect rc = message->GetRect();
        const ResourceStyle& style = message->GetStyle(STATE_NORMAL);
        Gdiplus::StringFormat format(0, 0);
        ApplyStyleFormat(format, style);

        for (double scale : {1.0, 1.5}) {
            CDibSurface scratch(nullptr, 8, 8);
            Gdiplus::Graphics graphics(scratch.GetDC());
            auto font = MakeStyleFont(style, scale * GetUiScale());
            const double width = rc.Width() * scale, height = rc.Height() * scale;
            const std::vector<TextLine> lines = BreakTextLines(graphics, text, *font, format, width);
            EXPECT_GE(lines.size(), 2u) << "scale " << scale;
            EXPECT_LE(lines.size() * FontLineHeight(*font), height + 0.5) << "scale " << scale;
            std::wstring joined;
            for (const TextLine& line : lines) joined += text.substr(line.start, line.length);
            EXPECT_EQ(text, joined) << "scale " << scale;
        }

        RECT client;
        GetClientRect(dialog->GetHwnd(), &client);
        CDibSurface drawn(nullptr, client.right, client.bottom);
        dialog->GetView()->DrawResources(drawn.GetDC());

        Gdiplus::Graphics graphics(drawn.GetDC());
        auto font = MakeStyleFont(style, GetUiScale());
        const std::vector<TextLine> lines = BreakTextLines(graphics, text, *font, format, rc.Width());
        ASSERT_FALSE(lines.empty());
        const TextLine last = lines.back();
        const double lineHeight = FontLineHeight(*font);
        const int32_t top = rc.top + static_cast<int32_t>((lines.size() - 1) * lineHeight);
        const int32_t bottom = rc.top + static_cast<int32_t>(lines.size() * lineHeight + 0.5);
        Gdiplus::StringFormat oneLine(&format);
        oneLine.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap);
        Gdiplus::RectF upToLast;
        graphics.MeasureString(text.c_str() + last.start, static_cast<INT>(last.length - 1), font.get(),
                               Gdiplus::PointF(0, 0), &oneLine, &upToLast);
        // The measure holds the layout's padding of a sixth of the em on either side; the last
        // character's cell begins one padding before the measured end.
        const int32_t left = rc.left + static_cast<int32_t>(upToLast.Width - font->GetSize() / 6);
        const int32_t right = rc.right;

        // The same line alone, drawn where the message's last line goes.
        CDibSurface alone(nullptr, client.right, client.bottom);
        {
            Gdiplus::Graphics lineGraphics(alone.GetDC());
            Gdiplus::SolidBrush white(Gdiplus::Color(0xFFFFFFFF));
            lineGraphics.FillRectangle(&white, 0, 0, client.right, client.bottom);
            lineGraphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
            PaintText(lineGraphics, text.substr(last.start, last.length), *font,
                      Gdiplus::RectF(static_cast<Gdiplus::REAL>(rc.left), static_cast<Gdiplus::REAL>(top),
                                     static_cast<Gdiplus::REAL>(rc.Width()),
                                     static_cast<Gdiplus::REAL>(lineHeight)),
                      style.m_textColor, oneLine);
        }
        const int expected = InkIn(alone, left, top, right, bottom);
        const int found = InkIn(drawn, left, top, right, bottom);
        EXPECT_GT(expected, 3) << "the last character of the line alone leaves ink";
        EXPECT_GE(found, expected / 2) << "the last character of the message is drawn";
    }
}

// Enter presses the focused button or the second one, Esc the close cross or, without one, the
// second button; Tab starts at the cross and then walks the buttons from the left.
TEST_F(DialogsTest, KeysPressTheButtonsAMouseWould) {
    struct Case {
        Kind kind;
        std::vector<WPARAM> keys;
        UINT watched;
        bool seen;
        const wchar_t* opened;
    } cases[] = {
        {kWarn, {VK_RETURN}, WM_CHILD_CONFIRM_EXIT, false, nullptr},
        {kWarn, {VK_TAB, VK_TAB, VK_RETURN}, WM_CHILD_CONFIRM_EXIT, true, nullptr},
        {kWarn, {VK_TAB, VK_TAB, VK_SPACE}, WM_CHILD_CONFIRM_EXIT, true, nullptr},
        {kWarn, {VK_TAB, VK_TAB, VK_ESCAPE}, WM_CHILD_CONFIRM_EXIT, false, nullptr},
        {kError, {VK_TAB, VK_RETURN}, WM_CHILD_RETRY, true, nullptr},
        {kError, {VK_ESCAPE}, WM_CHILD_RETRY, false, nullptr},
        {kDownloadReminder,
         {VK_TAB, VK_RETURN},
         0,
         false,
         L"http://127.0.0.1:18481/kelvora/Kelvora_install.exe"},
        {kDownloadReminder, {VK_ESCAPE}, 0, false, nullptr},
        {kInstallReminder, {VK_RETURN}, 0, false, nullptr},
    };
    TestMainWindow page;
    page.Show();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + " keys " + std::to_string(c.keys.size()));
        g_opened.clear();
        auto dialog = MakeDialog(c.kind, page.GetHwnd(), s_pResMgr);
        const HWND hwnd = dialog->GetHwnd();
        PlaceAndShowDialog(page.GetHwnd(), *dialog);
        for (WPARAM key : c.keys) PostMessageW(hwnd, WM_KEYDOWN, key, 1);
        EXPECT_EQ(c.seen, RunDialogLoop(hwnd, c.watched));
        if (c.opened) {
            ASSERT_EQ(1u, g_opened.size());
            EXPECT_EQ(c.opened, g_opened[0]);
        } else {
            EXPECT_TRUE(g_opened.empty());
        }
    }
}

TEST_F(DialogsTest, PressOutsideTheButtonsDoesNothing) {
    TestMainWindow page;
    page.Show();
    ErrorWindow dialog(page.GetHwnd(), s_pResMgr, L"ProgressChildCloseWnd");
    PlaceAndShowDialog(page.GetHwnd(), dialog);
    RECT before;
    GetWindowRect(dialog.GetHwnd(), &before);
    PostClick(dialog.GetHwnd(), MakeUiRect(40, 60, 60, 80));
    PumpFor(200);
    RECT after;
    GetWindowRect(dialog.GetHwnd(), &after);
    EXPECT_TRUE(IsWindowVisible(dialog.GetHwnd()));
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(DialogsTest, PrivateLoopKeepsInputFromThePageButLetsItPaint) {
    TestMainWindow page;
    page.Show();
    PumpFor(100);
    WarnWindow dialog(page.GetHwnd(), s_pResMgr, L"CustomeChildCloseWnd");
    const UiRect cancel = dialog.GetDialogView()->GetButton(DIALOG_ID_SECOND_BUTTON)->GetRect();
    const HWND hDialog = dialog.GetHwnd();
    page.m_seen.clear();
    // The page's own timer ends the test: the click reaches the dialog only from there.
    page.m_onMessage = [&](UINT message, WPARAM wParam, LPARAM) {
        if (message == WM_TIMER && wParam == 7) {
            KillTimer(page.GetHwnd(), 7);
            PostClick(hDialog, cancel);
        }
    };
    PostMessageW(page.GetHwnd(), WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(page.GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 200));
    PostMessageW(page.GetHwnd(), WM_PROGRESS_UPDATE, 0, 0);
    InvalidateRect(page.GetHwnd(), nullptr, TRUE);
    SetTimer(page.GetHwnd(), 7, 100, nullptr);
    EXPECT_FALSE(ShowDialogModal(page.GetHwnd(), dialog, WM_CHILD_CONFIRM_EXIT));
    page.m_onMessage = nullptr;
    EXPECT_TRUE(page.Saw(WM_PAINT));
    EXPECT_TRUE(page.Saw(WM_TIMER));
    EXPECT_FALSE(page.Saw(WM_KEYDOWN));
    EXPECT_FALSE(page.Saw(WM_LBUTTONDOWN));
    EXPECT_FALSE(page.Saw(WM_PROGRESS_UPDATE));
    EXPECT_FALSE(IsWindow(hDialog));
}

// A handler of the page throws while the dialog's loop runs (its timer is still dispatched):
// the dialog's loop ends, and the quit goes on to the program's loop, which ends too.
TEST_F(DialogsTest, AHandlerThatThrowsDuringTheDialogEndsTheDialogAndThenTheProgram) {
    TestMainWindow page;
    page.Show();
    ResetWindowHandlerFailure();
    page.m_onMessage = [&](UINT message, WPARAM wParam, LPARAM) {
        if (message == WM_TIMER && wParam == 9) {
            KillTimer(page.GetHwnd(), 9);
            throw "create window error";
        }
    };
    ErrorWindow dialog(page.GetHwnd(), s_pResMgr, L"ProgressChildCloseWnd");
    SetTimer(page.GetHwnd(), 9, 50, nullptr);
    EXPECT_FALSE(ShowDialogModal(page.GetHwnd(), dialog, WM_CHILD_RETRY));
    page.m_onMessage = nullptr;
    EXPECT_TRUE(WindowHandlerFailed());
    EXPECT_TRUE(PumpUntilQuit(1000));
    ResetWindowHandlerFailure();
}

TEST_F(DialogsTest, DialogCentresOverThePageAndStaysOnTheWorkArea) {
    TestMainWindow page;
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT pageRect;
    GetWindowRect(page.GetHwnd(), &pageRect);
    const LONG pw = pageRect.right - pageRect.left, ph = pageRect.bottom - pageRect.top;

    // Inside the work area: centred, the page stays where it is.
    {
        ErrorWindow dialog(page.GetHwnd(), s_pResMgr, L"ProgressChildCloseWnd");
        PlaceAndShowDialog(page.GetHwnd(), dialog);
        RECT d, p;
        GetWindowRect(dialog.GetHwnd(), &d);
        GetWindowRect(page.GetHwnd(), &p);
        EXPECT_TRUE(EqualRect(&pageRect, &p));
        EXPECT_EQ(p.left + (pw - (d.right - d.left)) / 2, d.left);
        EXPECT_EQ(p.top + (ph - (d.bottom - d.top)) / 2, d.top);
    }
    // Dragged 150 pixels past the right edge: the dialog moves left by the overhang and the
    // page is moved to the dialog's corner.
    const LONG overhang = 150;
    const LONG px = work.right - pw + overhang, py = work.top + 10;
    SetWindowPos(page.GetHwnd(), nullptr, px, py, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    ErrorWindow dialog(page.GetHwnd(), s_pResMgr, L"ProgressChildCloseWnd");
    RECT d0;
    GetWindowRect(dialog.GetHwnd(), &d0);
    const LONG centredX = px + (pw - (d0.right - d0.left)) / 2;
    const LONG centredY = py + (ph - (d0.bottom - d0.top)) / 2;
    PlaceAndShowDialog(page.GetHwnd(), dialog);
    RECT d, p;
    GetWindowRect(dialog.GetHwnd(), &d);
    GetWindowRect(page.GetHwnd(), &p);
    EXPECT_EQ(centredX - overhang, d.left);
    EXPECT_EQ(centredY, d.top);
    EXPECT_EQ(d.left, p.left);
    EXPECT_EQ(d.top, p.top);
}

// The cancel confirmation as the welcome and custom pages run it, driven from a thread timer
// (dispatched by the private loop like any timer).
struct CancelScript {
    int32_t button = DIALOG_ID_SECOND_BUTTON;  // 0: a close request from outside
    bool askAgain = false;
    IBaseView* page = nullptr;
    HWND* childSlot = nullptr;
    int dialogsWhileOpen = 0;
    bool done = false;
};
CancelScript g_script;

void CALLBACK DriveCancelDialog(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = FindThreadWindow(L"BeginChildCloseWnd");
    if (!dialog || !IsWindowVisible(dialog) || g_script.done) return;
    KillTimer(nullptr, id);
    g_script.done = true;
    if (g_script.askAgain) {
        // A second close request while the dialog is open only brings it forward.
        ShowCancelConfirmation(*g_script.page, nullptr, L"BeginChildCloseWnd", *g_script.childSlot);
        g_script.dialogsWhileOpen = CountThreadWindows(L"BeginChildCloseWnd");
    }
    if (g_script.button == 0) {
        // Closed by the system (Alt+F4, another program) instead of a button.
        PostMessageW(dialog, WM_CLOSE, 0, 0);
        return;
    }
    auto* window = static_cast<WarnWindow*>(WindowObject(dialog));
    PostClick(dialog, window->GetDialogView()->GetButton(g_script.button)->GetRect());
}

class PageStub : public IBaseView {
public:
    using IBaseView::IBaseView;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        return DefWindowProcW(m_hWnd, message, wParam, lParam);
    }
};

TEST_F(DialogsTest, CancelConfirmationEndsTheProgramOnlyWhenConfirmed) {
    struct Case {
        int32_t button;
        bool askAgain;
        bool quits;
    } cases[] = {
        {DIALOG_ID_SECOND_BUTTON, true, false},
        {DIALOG_ID_CLOSE_BUTTON, false, false},
        {0, false, false},
        {DIALOG_ID_FIRST_BUTTON, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        TestMainWindow page;
        page.Show();
        PageStub view(page.GetHwnd(), s_pResMgr);
        HWND child = nullptr;
        g_script = CancelScript{};
        g_script.button = c.button;
        g_script.askAgain = c.askAgain;
        g_script.page = &view;
        g_script.childSlot = &child;
        SetTimer(nullptr, 0, 50, &DriveCancelDialog);
        EXPECT_EQ(0, ShowCancelConfirmation(view, s_pResMgr, L"BeginChildCloseWnd", child));
        EXPECT_TRUE(g_script.done);
        EXPECT_EQ(nullptr, child);
        if (c.askAgain) {
            EXPECT_EQ(1, g_script.dialogsWhileOpen);
        }
        EXPECT_EQ(0, CountThreadWindows(L"BeginChildCloseWnd"));
        EXPECT_EQ(!c.quits, IsWindowVisible(page.GetHwnd()) != FALSE);
        MSG quit;
        EXPECT_EQ(c.quits, PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE);
    }
}

}  // namespace
