// The progress page on a real window with a scripted downloader and a stand-in product
// installer: the bar through both phases, the exact installer command line, the finish, the
// failure counters with their retry and manual paths, the tray and the ignored close.
#include <atomic>
#include <cstdio>
#include <deque>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "AppTestWindows.h"
#include "TestSigning.h"
#include "app/AppMessages.h"
#include "app/InstallProgress.h"
#include "app/win32/CProgressView.h"
#include "app/win32/DialogTemplate.h"
#include "app/win32/MainWindow.h"
#include "download/Downloader.h"
#include "platform/Strings.h"
#include "ui/ButtonResource.h"
#include "ui/DialogWindow.h"
#include "ui/ProgressResource.h"
#include "ui/TextResource.h"

#define KELVORA_WIDEN2(x) L##x
#define KELVORA_WIDEN(x) KELVORA_WIDEN2(x)
#define KELVORA_FAKE_INSTALLER_W KELVORA_WIDEN(KELVORA_FAKE_INSTALLER)

namespace {

constexpr const char* kUrl = "http://127.0.0.1:18481/kelvora/Kelvora_install.exe";

class FakeDownloader : public IDownloader {
public:
    bool Start() override {
        ++m_starts;
        return m_startResult;
    }
    bool Reserved1() override { return false; }
    bool Reserved2() override { return false; }
    bool Reserved3() override { return false; }
    int32_t GetProgress() override { return m_progress; }
    DownloadState GetState() override { return static_cast<DownloadState>(m_state.load()); }
    void Release() override { m_released = true; }
    const wchar_t* GetFilePath() override { return m_path.c_str(); }
    std::string GetUrl() override { return kUrl; }

    std::atomic<int32_t> m_state{DS_RUNNING};
    std::atomic<int32_t> m_progress{0};
    std::atomic<bool> m_startResult{true};
    std::atomic<int> m_starts{0};
    bool m_released = false;
    std::wstring m_path;
};

FakeDownloader* g_fake = nullptr;
IDownloader* MakeFake() {
    return g_fake;
}

std::vector<std::wstring> g_opened;
void RecordOpen(const std::wstring& target) {
    g_opened.push_back(target);
}

// Which button to press in which dialog, in order; a thread timer presses them as the
// dialogs appear (the private loops dispatch timer messages).
std::deque<std::pair<std::wstring, int32_t>> g_clicks;
void CALLBACK PressNext(HWND, UINT, UINT_PTR, DWORD) {
    if (g_clicks.empty()) return;
    HWND dialog = FindThreadWindow(g_clicks.front().first.c_str());
    if (!dialog || !IsWindowVisible(dialog)) return;
    auto* window = static_cast<CDialogWindow*>(WindowObject(dialog));
    auto* view = static_cast<CDialogTemplateView*>(window->GetView());
    PostClick(dialog, view->GetButton(g_clicks.front().second)->GetRect());
    g_clicks.pop_front();
}

std::wstring ModuleDir() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

std::vector<std::string> ReadRuns(const std::wstring& folder) {
    std::ifstream in(WideToAnsi(folder + L"\\runs.txt"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

void RemoveFolder(const std::wstring& folder) {
    DeleteFileW((folder + L"\\runs.txt").c_str());
    RemoveDirectoryW(folder.c_str());
}

class ProgressViewTest : public AppWindowTest {
protected:
    void SetUp() override {
        AppWindowTest::SetUp();
        ASSERT_TRUE(TrustTestRoot());
        g_downloadFailures = 0;
        g_installFailures = 0;
        m_fake = std::make_unique<FakeDownloader>();
        m_fake->m_path = ModuleDir() + KELVORA_FAKE_INSTALLER_W;
        g_fake = m_fake.get();
        CProgressView::SetDownloaderFactory(&MakeFake);
        g_opened.clear();
        g_clicks.clear();
        SetShellOpener(&RecordOpen);
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_base = std::wstring(temp) + L"kelvora progress " + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(m_base.c_str(), nullptr);
        m_timer = SetTimer(nullptr, 0, 40, &PressNext);
        m_page.Show();
    }
    void TearDown() override {
        KillTimer(nullptr, m_timer);
        m_page.SetView(nullptr);
        SetShellOpener(nullptr);
        CProgressView::SetDownloaderFactory(nullptr);
        RemoveFolder(m_base + L"\\ok");
        RemoveFolder(m_base + L"\\fail");
        RemoveDirectoryW(m_base.c_str());
    }
    std::wstring Status(CProgressView& view) {
        return static_cast<CTextResource*>(view.FindById(CProgressView::ID_STATUS))->GetText();
    }
    uint32_t Bar(CProgressView& view) {
        return static_cast<CProgressResource*>(view.FindById(CProgressView::ID_PROGRESS))->GetPercent();
    }
    bool Switched(WPARAM flag) {
        for (WPARAM seen : m_page.m_switches) {
            if (seen == flag) return true;
        }
        return false;
    }
    TestMainWindow m_page;
    std::unique_ptr<FakeDownloader> m_fake;
    std::wstring m_base;
    UINT_PTR m_timer = 0;
};

TEST_F(ProgressViewTest, DownloadThenHiddenInstallerWithTheExactCommandLineThenFinishPage) {
    CProgressView view(m_page.GetHwnd(), s_pResMgr);
    m_page.SetView(&view);
    EXPECT_EQ(L"正在安装，请不要关闭：0%", Status(view));
    const std::wstring folder = m_base + L"\\ok";
    m_fake->m_progress = 50;
    view.StartInstall(folder);
    EXPECT_TRUE(PumpUntil([&] { return Status(view) == L"正在安装，请不要关闭：40%"; }, 3000, "status 40%"));
    EXPECT_EQ(40u, Bar(view));
    m_fake->m_progress = 100;
    EXPECT_TRUE(PumpUntil([&] { return Bar(view) == 80; }, 3000, "bar at 80"));

    m_fake->m_state = DS_FINISHED;
    EXPECT_TRUE(
        PumpUntil([&] { return Switched(VIEW_FLAG_FOURTH); }, 15000, "the switch to the finish page"));
    EXPECT_GE(Bar(view), 80u);
    const std::vector<std::string> runs = ReadRuns(folder);
    ASSERT_EQ(1u, runs.size());
    EXPECT_EQ(WideToUtf8(InstallerCommandLine(m_fake->m_path, folder)), runs[0]);
    EXPECT_TRUE(IsWindowVisible(m_page.GetHwnd()));
    EXPECT_EQ(0, g_installFailures);
    EXPECT_EQ(1, m_fake->m_starts);
}

// Ticks arrive every 50 ms; a page that repaints on each of them keeps the main thread busy for
// the whole download (and, where a repaint is slower than a tick, never lets it idle).
TEST_F(ProgressViewTest, AnUnchangedPercentPaintsNothing) {
    CProgressView view(m_page.GetHwnd(), s_pResMgr);
    m_page.SetView(&view);
    int paints = 0;
    m_page.m_onMessage = [&](UINT message, WPARAM, LPARAM) { paints += message == WM_PAINT; };
    m_fake->m_progress = 50;
    view.StartInstall(m_base + L"\\ok");
    ASSERT_TRUE(PumpUntil([&] { return Bar(view) == 40; }, 3000, "bar at 40"));
    PumpFor(200);
    paints = 0;
    PumpFor(600);
    EXPECT_EQ(0, paints) << "about 12 ticks at an unchanged 40 %";
    m_fake->m_progress = 60;
    EXPECT_TRUE(PumpUntil([&] { return paints > 0; }, 3000, "a repaint for 48 %"));
    EXPECT_EQ(48u, Bar(view));
    m_page.m_onMessage = nullptr;
}

TEST_F(ProgressViewTest, InstallerFailuresOfferRetryTwiceThenTheManualInstall) {
    CProgressView view(m_page.GetHwnd(), s_pResMgr);
    m_page.SetView(&view);
    const std::wstring folder = m_base + L"\\fail";
    m_fake->m_state = DS_FINISHED;

    // First failure: "稍后重试" goes back to the welcome page.
    g_clicks = {{L"ProgressChildCloseWnd", DIALOG_ID_SECOND_BUTTON}};
    view.StartInstall(folder);
    EXPECT_TRUE(
        PumpUntil([&] { return Switched(VIEW_FLAG_FIRST); }, 15000, "the switch to the welcome page"));
    EXPECT_EQ(1, g_installFailures);
    EXPECT_EQ(1u, ReadRuns(folder).size());

    // Started again from the welcome page: "立即重试" runs the installer again at once, and
    // that third failure brings the manual-install dialog; "确认" opens the installer.
    g_clicks = {{L"ProgressChildCloseWnd", DIALOG_ID_FIRST_BUTTON},
                {L"ProgressIReminderWnd", DIALOG_ID_FIRST_BUTTON}};
    m_page.m_switches.clear();
    view.StartInstall(folder);
    EXPECT_TRUE(PumpUntilQuit(20000));
    EXPECT_TRUE(g_clicks.empty());
    EXPECT_EQ(3, g_installFailures);
    EXPECT_EQ(3u, ReadRuns(folder).size());
    EXPECT_FALSE(Switched(VIEW_FLAG_FIRST));
    ASSERT_EQ(1u, g_opened.size());
    EXPECT_EQ(m_fake->m_path, g_opened[0]);
    EXPECT_EQ(0, CountThreadWindows(L"ProgressIReminderWnd"));
}

TEST_F(ProgressViewTest, DownloadFailuresCountAcrossStartsThenTheManualDownload) {
    CProgressView view(m_page.GetHwnd(), s_pResMgr);
    m_page.SetView(&view);
    const std::wstring folder = m_base + L"\\ok";
    struct Attempt {
        bool startResult;
        int32_t state;
    } attempts[] = {{false, DS_RUNNING}, {true, DS_FAILED}};
    for (const Attempt& attempt : attempts) {
        m_fake->m_startResult = attempt.startResult;
        m_fake->m_state = attempt.state;
        m_page.m_switches.clear();
        g_clicks = {{L"ProgressChildCloseWnd", DIALOG_ID_SECOND_BUTTON}};
        view.StartInstall(folder);
        EXPECT_TRUE(
            PumpUntil([&] { return Switched(VIEW_FLAG_FIRST); }, 10000, "the switch to the welcome page"));
    }
    EXPECT_EQ(2, g_downloadFailures);
    // The third failure (a cancelled download) sends the user to the browser; "取消" ends the
    // installer without opening anything.
    m_fake->m_startResult = true;
    m_fake->m_state = DS_CANCELLED;
    g_clicks = {{L"ProgressDReminderWnd", DIALOG_ID_SECOND_BUTTON}};
    view.StartInstall(folder);
    EXPECT_TRUE(PumpUntilQuit(10000));
    EXPECT_EQ(3, g_downloadFailures);
    EXPECT_TRUE(g_opened.empty());
    EXPECT_EQ(0, g_installFailures);
    EXPECT_TRUE(ReadRuns(folder).empty());
}

// The downloaded file is checked right before it would start: whatever is not the pinned
// publisher's untouched installer is deleted and counts as a failed download, and the next start
// fetches afresh. The good file is held while it runs.
TEST_F(ProgressViewTest, OnlyTheCheckedInstallerStartsAndStaysUnchangeableWhileItRuns) {
    CProgressView view(m_page.GetHwnd(), s_pResMgr);
    m_page.SetView(&view);
    const std::wstring folder = m_base + L"\\ok";
    const std::wstring file = m_base + L"\\install_zozavi00.exe";
    const std::wstring dir = TestModuleDir();
    struct Case {
        const char* what;
        std::wstring source;
        int flipAt;  // a byte of the copy to change, -1 for none
    } cases[] = {
        {"unsigned", dir + L"app_fake_installer_unsigned.exe", -1},
        {"changed after signing", dir + KELVORA_FAKE_INSTALLER_W, 0x480},
        {"signed by another publisher", dir + L"app_fake_installer_other.exe", -1},
    };
    m_fake->m_path = file;
    m_fake->m_state = DS_FINISHED;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_downloadFailures = 0;
        m_fake->m_released = false;
        m_page.m_switches.clear();
        ASSERT_TRUE(CopyFileW(c.source.c_str(), file.c_str(), FALSE));
        if (c.flipAt >= 0) {
            std::fstream bytes(WideToAnsi(file), std::ios::in | std::ios::out | std::ios::binary);
            bytes.seekg(c.flipAt);
            const char was = static_cast<char>(bytes.get());
            bytes.seekp(c.flipAt);
            bytes.put(static_cast<char>(was ^ 0x5a));
        }
        g_clicks = {{L"ProgressChildCloseWnd", DIALOG_ID_SECOND_BUTTON}};
        const int startsBefore = m_fake->m_starts;
        view.StartInstall(folder);
        EXPECT_TRUE(
            PumpUntil([&] { return Switched(VIEW_FLAG_FIRST); }, 10000, "the switch to the welcome page"));
        EXPECT_EQ(1, g_downloadFailures);
        EXPECT_EQ(0, g_installFailures);
        EXPECT_TRUE(m_fake->m_released) << "a failed file must not be resumed";
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(file.c_str()));
        EXPECT_EQ(startsBefore + 1, m_fake->m_starts);
    }
    EXPECT_TRUE(ReadRuns(folder).empty());

    ASSERT_TRUE(CopyFileW((dir + KELVORA_FAKE_INSTALLER_W).c_str(), file.c_str(), FALSE));
    m_page.m_switches.clear();
    view.StartInstall(folder);
    ASSERT_TRUE(PumpUntil([&] { return !ReadRuns(folder).empty(); }, 10000, "the installer's first record"));
    // It sleeps 400 ms after writing its record: the file is still held.
    HANDLE writer =
        CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, writer) << "the running installer's file opened for writing";
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    EXPECT_TRUE(
        PumpUntil([&] { return Switched(VIEW_FLAG_FOURTH); }, 15000, "the switch to the finish page"));
    EXPECT_EQ(1u, ReadRuns(folder).size());
    // Ended: the file is free again.
    EXPECT_TRUE(DeleteFileW(file.c_str()));
}

TEST_F(ProgressViewTest, HideToTrayAndBackAndCloseIsIgnored) {
    CProgressView view(m_page.GetHwnd(), s_pResMgr);
    m_page.SetView(&view);
    PumpFor(100);
    auto* hide = static_cast<CButtonResource*>(view.FindById(CProgressView::ID_HIDE_BUTTON));
    ASSERT_NE(nullptr, hide);
    EXPECT_EQ(L"隐藏窗口", hide->GetText());
    const UiRect rc = hide->GetRect();
    std::printf("hide button %d,%d-%d,%d\n", rc.left, rc.top, rc.right, rc.bottom);
    PostClick(m_page.GetHwnd(), rc);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(m_page.GetHwnd()); }, 3000));
    EXPECT_EQ(STATE_NORMAL, hide->GetState());

    PostMessageW(m_page.GetHwnd(), WM_TRAY_ICON, 0, WM_MOUSEMOVE);
    PostMessageW(m_page.GetHwnd(), WM_TRAY_ICON, 1, WM_LBUTTONUP);
    PumpFor(150);
    EXPECT_FALSE(IsWindowVisible(m_page.GetHwnd()));
    PostMessageW(m_page.GetHwnd(), WM_TRAY_ICON, 0, WM_RBUTTONUP);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(m_page.GetHwnd()) != FALSE; }, 3000));

    // The page itself refuses to close too, whoever forwards the request.
    EXPECT_EQ(0, view.HandleMessage(WM_CLOSE, 0, 0));
    PostMessageW(m_page.GetHwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpFor(150);
    EXPECT_TRUE(IsWindow(m_page.GetHwnd()));
    EXPECT_TRUE(IsWindowVisible(m_page.GetHwnd()));
}

// Together with the main window: on the progress page neither the system's close command
// (what Alt+F4 sends) nor a close request ends anything.
TEST_F(ProgressViewTest, MainWindowOnTheProgressPageIgnoresAltF4) {
    ShowWindow(m_page.GetHwnd(), SW_HIDE);
    MainWindow window(L"KelvoraProgressTestMainWindow");
    window.Show();
    ASSERT_TRUE(window.SwitchView(VIEW_FLAG_THIRD));
    ASSERT_EQ(VIEW_FLAG_THIRD, window.GetCurView());
    PostMessageW(window.GetHwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageW(window.GetHwnd(), WM_CLOSE, 0, 0);
    SendMessageW(window.GetHwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(PumpUntilQuit(500));
    EXPECT_TRUE(IsWindow(window.GetHwnd()));
    EXPECT_TRUE(IsWindowVisible(window.GetHwnd()));
    EXPECT_EQ(VIEW_FLAG_THIRD, window.GetCurView());
    EXPECT_GE(m_fake->m_starts, 1);
}

}  // namespace
