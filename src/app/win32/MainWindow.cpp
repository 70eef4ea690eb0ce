#include "app/win32/MainWindow.h"

#include <shlobj.h>

#include "app/AppMessages.h"
#include "app/InstallFolder.h"
#include "app/PageFlow.h"
#include "app/VersionCheck.h"
#include "app/win32/CBeginView.h"
#include "app/win32/CCustomeView.h"
#include "app/win32/CFinishedView.h"
#include "app/win32/CProgressView.h"
#include "app/win32/CReminderView.h"
#include "pkginfo/AppInfo.h"
#include "pkginfo/PkgInfo.h"
#include "platform/Strings.h"
#include "platform/SystemInfo.h"
#include "resources/ResourceMgr.h"

namespace {

constexpr int kPkgInfoPolls = 40;
constexpr DWORD kPkgInfoPollMs = 50;

uint64_t RequiredSpace() {
    IPkgInfo* info = GetPkgInfo();
    return info ? static_cast<uint64_t>(info->GetRequiredSpace()) : 0;
}

bool HasRoomAt(const std::wstring& dir) {
    return HasRoomFor(RequiredSpace(), GetDriveFreeSpace(dir));
}

template <class TView>
TView* PageAt(std::vector<IBaseView*>& views, int flag, HWND hwnd, IResourceMgr* resMgr) {
    if (!views[flag]) views[flag] = new TView(hwnd, resMgr);
    return static_cast<TView*>(views[flag]);
}

}  // namespace

MainWindow::MainWindow(const wchar_t* className) : IBaseWindow(className, 600, 400, nullptr) {
    m_pResMgr = CreateResourceMgr(MAKEINTRESOURCEW(kSkinResourceId), kSkinResourceType);
    if (!m_pResMgr) {
        MessageBoxW(m_hWnd, L"加载组件失败", L"错误", MB_OK);
        throw "CreateResourceMgr error ";
    }
    // A throw from here on skips the destructor, so the skin and any page are freed here.
    try {
        m_views.assign(VIEW_FLAG_COUNT, nullptr);
        IAppInfo* app = GetAppInfo();
        if (app) m_installedPath = app->GetExePath();

        if (m_installedPath.empty()) {
            const std::wstring base = GetDefaultInstallBase();
            if (base.empty()) {
                MessageBoxW(m_hWnd, L"磁盘空间不足，无法创建软件缓存", L"错误", MB_OK);
                throw "disk space not enough";
            }
            m_installDir = DefaultInstallDir(base);
        } else {
            const std::wstring dir = GetPathDir(m_installedPath);
            m_installDir = dir.empty() ? dir : dir.substr(0, dir.size() - 1);
        }

        const bool upToDate = !m_installedPath.empty() && CheckUpToDate();
        SwitchView(upToDate ? VIEW_FLAG_REMINDER : VIEW_FLAG_FIRST);
    } catch (...) {
        DestroyPages();
        throw;
    }
}

MainWindow::~MainWindow() {
    DestroyPages();
}

void MainWindow::DestroyPages() {
    m_pCurView = nullptr;
    for (IBaseView*& view : m_views) {
        delete view;
        view = nullptr;
    }
    if (m_pResMgr) {
        m_pResMgr->Release();
        m_pResMgr = nullptr;
    }
}

IBaseView* MainWindow::GetView(int flag) const {
    return IsViewFlag(flag) ? m_views[flag] : nullptr;
}

std::wstring MainWindow::GetDefaultInstallBase() {
    const uint64_t required = RequiredSpace();
    wchar_t programFiles[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, programFiles)) &&
        HasRoomFor(required, GetDriveFreeSpace(programFiles))) {
        return programFiles;
    }
    const std::wstring drive = GetBestInstallDrive();
    if (!drive.empty() && HasRoomFor(required, GetDriveFreeSpace(drive))) return drive;
    return std::wstring();
}

bool MainWindow::CheckUpToDate() {
    IPkgInfo* pkg = GetPkgInfo();
    IAppInfo* app = GetAppInfo();
    if (!pkg || !app) return false;
    // At most two seconds before the window first shows; a silent server means "install".
    for (int i = 0; i < kPkgInfoPolls; ++i) {
        if (pkg->IsReady() != PKG_PENDING) break;
        Sleep(kPkgInfoPollMs);
    }
    return IsInstalledUpToDate(pkg->GetVersion(), WideToUtf8(app->GetVersion()));
}

bool MainWindow::SwitchView(int flag) {
    if (!IsViewFlag(flag)) return false;
    if (flag == m_curView) return true;

    const PageWindowSize size = WindowSizeForSwitch(flag, m_curView);
    if (size.resize) Resize(size.width, size.height);

    switch (flag) {
        case VIEW_FLAG_REMINDER:
            PageAt<CReminderView>(m_views, flag, m_hWnd, m_pResMgr)->SetInstalledPath(m_installedPath);
            break;
        case VIEW_FLAG_FIRST: {
            auto* page = PageAt<CBeginView>(m_views, flag, m_hWnd, m_pResMgr);
            if (m_curView == VIEW_FLAG_SECOND) {
                m_installDir = static_cast<CCustomeView*>(m_views[VIEW_FLAG_SECOND])->GetInstallDir();
            }
            page->SetSpaceEnough(HasRoomAt(m_installDir));
            break;
        }
        case VIEW_FLAG_SECOND: {
            auto* page = PageAt<CCustomeView>(m_views, flag, m_hWnd, m_pResMgr);
            if (m_curView == VIEW_FLAG_FIRST) {
                if (!m_installedPath.empty()) page->SetDirLocked();
                page->SetInstallDir(m_installDir);
            }
            break;
        }
        case VIEW_FLAG_THIRD:
            if (m_curView == VIEW_FLAG_SECOND) {
                m_installDir = static_cast<CCustomeView*>(m_views[VIEW_FLAG_SECOND])->GetInstallDir();
            }
            if (!HasRoomAt(m_installDir)) {
                MessageBoxW(m_hWnd, L"软件安装路径的磁盘空间不足", L"路径错误", MB_OK);
                return false;
            }
            PageAt<CProgressView>(m_views, flag, m_hWnd, m_pResMgr)->StartInstall(m_installDir);
            break;
        case VIEW_FLAG_FOURTH: {
            auto* page = PageAt<CFinishedView>(m_views, flag, m_hWnd, m_pResMgr);
            if (IAppInfo* app = GetAppInfo()) {
                app->Refresh();
                m_installedPath = app->GetExePath();
            }
            page->SetInstalledPath(m_installedPath);
            break;
        }
        default:
            break;
    }
    m_curView = flag;
    m_pCurView = m_views[flag];
    // The new page paints over the whole window.
    InvalidateRect(m_hWnd, nullptr, FALSE);
    return true;
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SWITCH_VIEW) {
        SwitchView(static_cast<int>(wParam));
        return 0;
    }
    if (message == WM_ERASEBKGND) return 0;
    // No closing while the product is downloaded and installed.
    if (message == WM_CLOSE && m_curView == VIEW_FLAG_THIRD) return 0;
    if (m_pCurView) return m_pCurView->Dispatch(message, wParam, lParam);
    return DefWindowProcW(m_hWnd, message, wParam, lParam);
}
