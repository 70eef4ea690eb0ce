// The progress page: downloads the product installer, runs it silently into the chosen folder
// and shows both phases on one bar (download 0 to 80 %, installation 80 to 99 %). A 50 ms
// timer on the system's timer thread drives the downloader and the installer; it never touches
// a widget and reports to the main thread only through messages posted to the main window.
// The page can hide the window into the notification area, and a failure offers a retry twice
// per kind before the user is sent to do the step by hand. Windows only.
#pragma once

// shellapi.h needs the types that windows.h declares.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <cstdint>
#include <string>

#include "platform/XMutex.h"
#include "ui/BaseView.h"

class IDownloader;
class CSarnovikBasedProcess;
class CCheckedInstaller;
struct TimerRecord;

// Failures per kind over the whole run; never reset, so giving up and starting again from the
// welcome page does not buy more retries.
extern int32_t g_downloadFailures;
extern int32_t g_installFailures;

class CProgressView : public IBaseView {
public:
    // `hWnd` is the main window, which the page draws into and whose messages it handles.
    CProgressView(HWND hWnd, IResourceMgr* resMgr);
    ~CProgressView() override;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Starts (or, after a failure, resumes) the download into the download folder and the
    // timer; the installer later goes to `folder` (no trailing backslash). Main thread.
    void StartInstall(const std::wstring& folder);

    // Ids of the widgets the page acts on.
    enum : int32_t {
        ID_BACKGROUND = 0,
        ID_HIDE_BUTTON = 1,
        ID_PROGRESS = 2,
        ID_BANNER = 3,
        ID_STATUS = 5,
        ID_LAYOUT = 6,
        ID_SPACER = 7,
    };

    // Where the downloader comes from; tests hand in their own. Null restores the real one.
    using DownloaderFactory = IDownloader* (*)();
    static void SetDownloaderFactory(DownloaderFactory factory);

private:
    static void TimerThunk(void* self);
    // One 50 ms tick on the timer thread, holding m_lock throughout.
    void OnTimer();
    // Stops the timer, forgets the installer process and removes the tray icon.
    void StopAll();
    // Drops the installer process and lets go of its file. Under m_lock.
    void ForgetInstaller();
    void RefreshProgress();
    void HideToTray();
    void RemoveTrayIcon();
    void FillTrayIcon();
    LRESULT OnLButtonDownHere(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonUpHere(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnProgressUpdate();
    // mode 1 after a failed download, 2 after a failed installer run.
    LRESULT OnFailure(int32_t mode);
    LRESULT ShowManualDownload();
    LRESULT ShowManualInstall();
    // Shows the page window again (it may be hidden in the notification area) and lets go of
    // the mouse before a dialog takes over.
    void PrepareForDialog();
    bool UpdateStates(int32_t index, UINT message) override;

    NOTIFYICONDATAW m_trayIcon;
    std::wstring m_installDir;
    TimerRecord* m_pTimer = nullptr;
    IDownloader* m_pDownloader = nullptr;
    CSarnovikBasedProcess* m_pInstaller = nullptr;
    CCheckedInstaller* m_pCheckedInstaller = nullptr;  // the file m_pInstaller runs, held open
    CXMutex m_lock;
    uint32_t m_installStart = 0;
    bool m_bFinished = false;
    bool m_bInstalling = false;
    bool m_bTrayIconShown = false;
};
