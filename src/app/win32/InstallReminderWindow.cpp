#include "app/win32/InstallReminderWindow.h"

#include <memory>

#include "app/win32/InstallerTrust.h"

namespace {

const DialogContent kInstallReminderContent = {
    L"error_icon.png",
    DIALOG_ID_ERROR_ICON,
    L"配置环境异常",
    L"检测到配置环境存在一些问题，不过不用担心，已为您准备好安装包可供安装，是否确认手动安装？",
    L"确认",
    BUTTON_LIGHT,
    L"取消",
    BUTTON_TEAL,
    false,
    1,
};

// The installer handed to the shell stays held until this program ends: by then the shell has
// started it, and the system refuses writes to an image that a process runs.
std::unique_ptr<CCheckedInstaller> g_openedInstaller;

}  // namespace

InstallReminderView::InstallReminderView(HWND hWnd, IResourceMgr* resMgr)
    : CDialogTemplateView(hWnd, resMgr, kInstallReminderContent) {}

LRESULT InstallReminderView::OnResourceClicked(WPARAM wParam, LPARAM) {
    const int32_t id = ButtonIdAt(wParam);
    if (id < 0) return 0;
    if (id == DIALOG_ID_FIRST_BUTTON && !m_installerPath.empty()) {
        std::unique_ptr<CCheckedInstaller> checked = CheckInstaller(m_installerPath);
        if (checked->IsTrusted()) {
            ShellOpen(m_installerPath);
            g_openedInstaller = std::move(checked);
        } else {
            checked->Discard();
        }
    }
    PostQuitMessage(0);
    return 0;
}
