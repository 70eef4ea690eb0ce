#include "app/win32/CProgressView.h"

#include <cwchar>
#include <memory>

#include "app/AppMessages.h"
#include "app/InstallProgress.h"
#include "app/win32/DialogProtocol.h"
#include "app/win32/DownloadReminderWindow.h"
#include "app/win32/ErrorWindow.h"
#include "app/win32/InstallReminderWindow.h"
#include "app/win32/InstallerTrust.h"
#include "download/Downloader.h"
#include "platform/Process.h"
#include "platform/Timer.h"
#include "resources/ResourceMgr.h"
#include "ui/ButtonResource.h"
#include "ui/LayoutResource.h"
#include "ui/MovieResource.h"
#include "ui/ProgressResource.h"
#include "ui/SpacerResource.h"
#include "ui/TextResource.h"

int32_t g_downloadFailures = 0;
int32_t g_installFailures = 0;

namespace {

constexpr uint32_t kTimerPeriodMs = 50;
// The shell reads the tray record by its size: the 32-bit product hands over the full 956-byte
// record of its headers (976 bytes in a 64-bit build).
static_assert(sizeof(NOTIFYICONDATAW) == (sizeof(void*) == 4 ? 956 : 976), "tray record size");
constexpr int kTrayIconResource = 102;
constexpr const wchar_t* kTrayTip = L"软件已最小化，点击弹出";

IDownloader* CreateDefaultDownloader() {
    return CreateDownloader(nullptr, nullptr, nullptr);
}

CProgressView::DownloaderFactory g_downloaderFactory = &CreateDefaultDownloader;

void PostToWindow(HWND hWnd, UINT message) {
    PostMessageW(hWnd, message, 0, 0);
}

}  // namespace

void CProgressView::SetDownloaderFactory(DownloaderFactory factory) {
    g_downloaderFactory = factory ? factory : &CreateDefaultDownloader;
}

CProgressView::CProgressView(HWND hWnd, IResourceMgr* resMgr) : IBaseView(hWnd, resMgr) {
    auto* root = AddResource(new CLayoutResource(LAYOUT_VERTICAL, ID_LAYOUT));
    ResourceStyle background[kStateCount];
    background[STATE_NORMAL].m_backColor = 0xFFFFFFFF;
    background[STATE_NORMAL].m_borderWidth = 1;
    background[STATE_NORMAL].m_borderColor = 0xFFCCCCCC;
    root->SetBound(AddResource(new CImageResource(ID_BACKGROUND, RES_IMAGE, background)));

    auto* top = AddResource(new CLayoutResource(LAYOUT_VERTICAL, ID_LAYOUT));
    top->SetMargins(20, 24, 20, 0);
    auto* banner = AddResource(new CMovieResource(
        hWnd, resMgr ? resMgr->GetImage(L"install_banner.png") : nullptr, ID_BANNER, nullptr));
    banner->SetAspect(1200, 600);
    top->SetBound(banner);
    auto* hideRow = AddResource(new CLayoutResource(LAYOUT_HORIZONTAL, ID_LAYOUT));
    hideRow->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 5);
    ResourceStyle hide[kStateCount];
    for (ResourceStyle& style : hide) {
        style.m_backColor = 0x00FFFFFF;
        style.m_hAlign = ALIGN_FAR;
        style.m_fontSize = 14;
        style.m_textColor = 0xFF1A1A1A;
    }
    hide[STATE_HOVER].m_textColor = 0xCC1A1A1A;
    hideRow->AddChild(AddResource(new CButtonResource(L"隐藏窗口", ID_HIDE_BUTTON, hide)), 1);
    top->AddChild(hideRow, 1);
    top->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 10);
    root->AddChild(top, 3);

    auto* bottom = AddResource(new CLayoutResource(LAYOUT_VERTICAL, ID_LAYOUT));
    bottom->SetMargins(48, 0, 48, 24);
    bottom->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 6);
    ResourceStyle status[kStateCount];
    for (ResourceStyle& style : status) {
        style.m_backColor = 0x00FFFFFF;
        style.m_textColor = 0xFF1A1A1A;
        style.m_fontSize = 14;
    }
    bottom->AddChild(AddResource(new CTextResource(ProgressStatusText(0), ID_STATUS, status)), 6);
    bottom->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 3);
    ResourceStyle bar[kStateCount];
    for (ResourceStyle& style : bar) {
        style.m_textColor = 0xFF29C3B4;
        style.m_backColor = 0xFFEEEEEE;
        style.m_radius = 100;
    }
    bottom->AddChild(AddResource(new CProgressResource(ID_PROGRESS, bar)), 2);
    bottom->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 3);
    root->AddChild(bottom, 1);

    RECT client;
    GetClientRect(hWnd, &client);
    root->SetRect(0, 0, client.right, client.bottom);

    // Filled once, so the timer thread, which removes the icon when it stops, only reads it.
    ZeroMemory(&m_trayIcon, sizeof(m_trayIcon));
    m_trayIcon.cbSize = sizeof(m_trayIcon);
    m_trayIcon.hWnd = hWnd;
    m_trayIcon.uID = 0;
    m_trayIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_trayIcon.uCallbackMessage = WM_TRAY_ICON;
    auto* module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hWnd, GWLP_HINSTANCE));
    m_trayIcon.hIcon = LoadIconW(module, MAKEINTRESOURCEW(kTrayIconResource));
    wcsncpy(m_trayIcon.szTip, kTrayTip, sizeof(m_trayIcon.szTip) / sizeof(wchar_t) - 1);
}

CProgressView::~CProgressView() {
    StopAll();
    // A tick that was already running when the timer stopped holds the lock until it ends.
    { CXMutexGuard wait(m_lock); }
    if (m_pDownloader) m_pDownloader->Release();
    m_pDownloader = nullptr;
}

void CProgressView::StartInstall(const std::wstring& folder) {
    StopAll();
    m_installDir = folder;
    CXMutexGuard guard(m_lock);
    // Whatever the last attempt reached, a new start begins with the download (which reports
    // an already complete file at once).
    m_bInstalling = false;
    m_bFinished = false;
    if (!m_pDownloader) m_pDownloader = g_downloaderFactory();
    if (!m_pDownloader || !m_pDownloader->Start()) {
        PostToWindow(m_hWnd, WM_DOWNLOAD_FAILED);
        return;
    }
    // Held while the record is stored, so the first tick cannot see the timer missing.
    m_pTimer = StartPeriodicTimer(kTimerPeriodMs, &CProgressView::TimerThunk, this);
    // Without a timer nothing would ever move on: count it as a failed attempt.
    if (!m_pTimer) PostToWindow(m_hWnd, WM_DOWNLOAD_FAILED);
}

void CProgressView::StopAll() {
    TimerRecord* timer = nullptr;
    {
        CXMutexGuard guard(m_lock);
        timer = m_pTimer;
        m_pTimer = nullptr;
    }
    // Outside the lock: stopping may wait for a tick that is waiting for the lock. From inside
    // a tick it returns at once.
    StopTimer(timer);
    {
        CXMutexGuard guard(m_lock);
        ForgetInstaller();
    }
    RemoveTrayIcon();
}

void CProgressView::ForgetInstaller() {
    delete m_pInstaller;
    m_pInstaller = nullptr;
    delete m_pCheckedInstaller;
    m_pCheckedInstaller = nullptr;
}

void CProgressView::TimerThunk(void* self) {
    static_cast<CProgressView*>(self)->OnTimer();
}

void CProgressView::OnTimer() {
    CXMutexGuard guard(m_lock);
    // A tick that fired while the timer was being stopped.
    if (!m_pTimer) return;
    if (!m_bInstalling && m_pDownloader) {
        const DownloadState state = m_pDownloader->GetState();
        if (state == DS_CANCELLED || state == DS_FAILED) {
            m_bInstalling = false;
            StopAll();
            PostToWindow(m_hWnd, WM_DOWNLOAD_FAILED);
        } else if (state == DS_FINISHED) {
            const wchar_t* file = m_pDownloader->GetFilePath();
            const std::wstring path = file ? file : L"";
            std::unique_ptr<CCheckedInstaller> checked = CheckInstaller(path);
            if (!checked->IsTrusted()) {
                // Not the publisher's file, or not the bytes it signed: nothing of it is run or
                // resumed; the next start asks the server again and fetches the whole file.
                checked->Discard();
                m_pDownloader->Release();
                m_pDownloader = nullptr;
                StopAll();
                PostToWindow(m_hWnd, WM_DOWNLOAD_FAILED);
                return;
            }
            // Held until the installer has ended, so the file that runs is the file checked.
            m_pCheckedInstaller = checked.release();
            m_pInstaller = new CSarnovikBasedProcess(InstallerCommandLine(path, m_installDir));
            // A start failure shows up at the next tick: the process "ends" without an exit code.
            m_pInstaller->StartHidden(false);
            m_installStart = GetTickMs();
            m_bInstalling = true;
            PostToWindow(m_hWnd, WM_PROGRESS_UPDATE);
        } else if (state >= DS_IDLE && state <= 2) {
            PostToWindow(m_hWnd, WM_PROGRESS_UPDATE);
        }
        return;
    }
    if (!m_bInstalling || !m_pInstaller) return;
    if (!m_pInstaller->WaitFor(1)) {
        PostToWindow(m_hWnd, WM_PROGRESS_UPDATE);
        return;
    }
    uint32_t exitCode = 1;
    const bool haveCode = m_pInstaller->GetExitCode(&exitCode);
    ForgetInstaller();
    if (haveCode && exitCode == 0) {
        m_bFinished = true;
        PostToWindow(m_hWnd, WM_PROGRESS_UPDATE);
        return;
    }
    m_bInstalling = false;
    StopAll();
    PostToWindow(m_hWnd, WM_INSTALL_FAILED);
}

void CProgressView::RefreshProgress() {
    uint32_t percent = 0;
    {
        CXMutexGuard guard(m_lock);
        if (!m_bInstalling && m_pDownloader) {
            percent = DownloadDisplayPercent(m_pDownloader->GetProgress());
        } else if (m_bInstalling && m_pInstaller) {
            percent = InstallDisplayPercent(GetTickMs() - m_installStart);
        } else if (m_bInstalling && m_bFinished) {
            percent = 100;
        }
    }
    // Ticks come every 50 ms but the percent moves far less often; a whole-page repaint per tick
    // keeps the main thread busy (slower than the tick on some machines, so it never idles).
    auto* bar = static_cast<CProgressResource*>(FindById(ID_PROGRESS));
    auto* text = static_cast<CTextResource*>(FindById(ID_STATUS));
    if (bar && bar->GetPercent() != percent) {
        bar->SetPercent(percent);
        InvalidateResource(bar);
    }
    const std::wstring status = ProgressStatusText(percent);
    if (text && text->GetText() != status) {
        text->SetText(status);
        InvalidateResource(text);
    }
}

LRESULT CProgressView::OnProgressUpdate() {
    bool finished = false;
    {
        CXMutexGuard guard(m_lock);
        finished = m_bFinished;
        m_bFinished = false;
    }
    if (!finished) {
        RefreshProgress();
        return 0;
    }
    StopAll();
    ShowWindow(m_hWnd, SW_SHOW);
    PostMessageW(m_hWnd, WM_SWITCH_VIEW, VIEW_FLAG_FOURTH, 0);
    Invalidate();
    return 0;
}

void CProgressView::RemoveTrayIcon() {
    Shell_NotifyIconW(NIM_DELETE, &m_trayIcon);
}

void CProgressView::HideToTray() {
    ShowWindow(m_hWnd, SW_HIDE);
    Shell_NotifyIconW(NIM_ADD, &m_trayIcon);
}

bool CProgressView::UpdateStates(int32_t index, UINT message) {
    bool changed = false;
    for (int32_t i = 0; i < GetResourceCount(); ++i) {
        IBaseResource* resource = GetResource(i);
        if (resource->GetId() != ID_HIDE_BUTTON || resource->GetType() != RES_BUTTON) continue;
        auto* button = static_cast<CImageResource*>(resource);
        ResourceState wanted = STATE_NORMAL;
        if (i == index && message == WM_MOUSEMOVE) wanted = STATE_HOVER;
        if (i == index && message == WM_LBUTTONDOWN) wanted = STATE_PRESSED;
        if (button->GetState() != wanted) {
            button->SetState(wanted);
            changed = true;
        }
    }
    return changed;
}

LRESULT CProgressView::OnLButtonDownHere(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefWindowProcW(m_hWnd, message, wParam, lParam);
    SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    const int32_t index = HitTest(lParam);
    auto* resource = GetResource(index);
    if (resource && resource->GetId() == ID_HIDE_BUTTON && resource->GetType() == RES_BUTTON &&
        static_cast<CImageResource*>(resource)->GetState() != STATE_PRESSED) {
        if (UpdateStates(index, WM_LBUTTONDOWN)) Invalidate();
        return result;
    }
    ReleaseCapture();
    SendMessageW(m_hWnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    return result;
}

LRESULT CProgressView::OnLButtonUpHere(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefWindowProcW(m_hWnd, message, wParam, lParam);
    const int32_t index = HitTest(lParam);
    IBaseResource* resource = GetResource(index);
    if (resource && resource->GetId() == ID_HIDE_BUTTON && resource->GetType() == RES_BUTTON) {
        PostMessageW(m_hWnd, WM_RESOURCE_CLICKED, static_cast<WPARAM>(index), lParam);
    }
    return result;
}

void CProgressView::PrepareForDialog() {
    ReleaseCapture();
    ShowWindow(m_hWnd, SW_SHOW);
}

LRESULT CProgressView::OnFailure(int32_t mode) {
    PrepareForDialog();
    bool retry = false;
    {
        ErrorWindow dialog(m_hWnd, m_pResMgr, L"ProgressChildCloseWnd");
        dialog.SetMode(mode);
        retry = ShowDialogModal(m_hWnd, dialog, WM_CHILD_RETRY);
    }
    if (retry) {
        StartInstall(m_installDir);
    } else {
        PostMessageW(m_hWnd, WM_SWITCH_VIEW, VIEW_FLAG_FIRST, 0);
        Invalidate();
    }
    return 0;
}

LRESULT CProgressView::ShowManualDownload() {
    PrepareForDialog();
    {
        DownloadReminderWindow dialog(m_hWnd, m_pResMgr, L"ProgressDReminderWnd");
        dialog.SetUrl(m_pDownloader ? m_pDownloader->GetUrl() : kDownloadUrl);
        ShowDialogModal(m_hWnd, dialog, 0);
        PostQuitMessage(0);
    }
    return 0;
}

LRESULT CProgressView::ShowManualInstall() {
    PrepareForDialog();
    {
        InstallReminderWindow dialog(m_hWnd, m_pResMgr, L"ProgressIReminderWnd");
        const wchar_t* file = m_pDownloader ? m_pDownloader->GetFilePath() : nullptr;
        dialog.SetFilePath(file ? file : L"");
        ShowDialogModal(m_hWnd, dialog, 0);
        PostQuitMessage(0);
    }
    return 0;
}

LRESULT CProgressView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            return PaintOpaque(message, wParam, lParam);
        case WM_MOUSEMOVE:
            return OnMouseMove(message, wParam, lParam, false);
        case WM_LBUTTONDOWN:
            return OnLButtonDownHere(message, wParam, lParam);
        case WM_LBUTTONUP:
            return OnLButtonUpHere(message, wParam, lParam);
        case WM_CLOSE:
            // Download and installation cannot be abandoned by closing the window.
            return 0;
        default:
            break;
    }
    switch (message) {
        case WM_RESOURCE_CLICKED: {
            IBaseResource* resource = GetResource(static_cast<int32_t>(wParam));
            if (resource && resource->GetId() == ID_HIDE_BUTTON) {
                // Back to normal, so the window reappears without a stale hover.
                UpdateStates(-1, WM_RESOURCE_CLICKED);
                HideToTray();
            }
            return 0;
        }
        case WM_TRAY_ICON:
            if (wParam == 0 && (lParam == WM_LBUTTONUP || lParam == WM_RBUTTONUP)) {
                ShowWindow(m_hWnd, SW_SHOW);
                RemoveTrayIcon();
            }
            return 0;
        case WM_DOWNLOAD_FAILED:
            return CountFailure(&g_downloadFailures) == FAILURE_OFFER_RETRY ? OnFailure(1)
                                                                            : ShowManualDownload();
        case WM_INSTALL_FAILED:
            return CountFailure(&g_installFailures) == FAILURE_OFFER_RETRY ? OnFailure(2)
                                                                           : ShowManualInstall();
        case WM_PROGRESS_UPDATE:
            return OnProgressUpdate();
        case WM_RAISE_WINDOW:
            ShowWindow(m_hWnd, SW_SHOW);
            RemoveTrayIcon();
            return ShowOnTop(m_hWnd, true);
        default:
            return DefWindowProcW(m_hWnd, message, wParam, lParam);
    }
}
