#include "app/win32/WarnWindow.h"

#include "app/AppMessages.h"
#include "app/win32/DialogProtocol.h"

namespace {

const DialogContent kWarnContent = {
    L"inquire_icon.png",
    DIALOG_ID_INQUIRE_ICON,
    L"确定要取消安装吗？",
    L"安装尚未开始，关闭窗口会取消安装，点击“取消”后继续安装。",
    L"确认",
    BUTTON_LIGHT,
    L"取消",
    BUTTON_TEAL,
    true,
    1,
};

}  // namespace

WarnView::WarnView(HWND hWnd, IResourceMgr* resMgr) : CDialogTemplateView(hWnd, resMgr, kWarnContent) {}

LRESULT WarnView::OnResourceClicked(WPARAM wParam, LPARAM) {
    const int32_t id = ButtonIdAt(wParam);
    if (id < 0) return 0;
    if (id == DIALOG_ID_FIRST_BUTTON) PostMessageW(m_hWnd, WM_CHILD_CONFIRM_EXIT, 0, 0);
    HideCloseAndEndLoop();
    return 0;
}

LRESULT ShowCancelConfirmation(IBaseView& page, IResourceMgr* resMgr, const wchar_t* className,
                               HWND& childWnd) {
    const HWND pageWindow = page.GetHwnd();
    if (childWnd) {
        page.ShowOnTop(childWnd, true);
        SetWindowPos(childWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        return 0;
    }
    bool confirmed = false;
    {
        WarnWindow dialog(pageWindow, resMgr, className);
        childWnd = dialog.GetHwnd();
        // The handle is cleared however the showing ends, a throw included.
        struct ClearOnExit {
            HWND& slot;
            ~ClearOnExit() { slot = nullptr; }
        } clear{childWnd};
        confirmed = ShowDialogModal(pageWindow, dialog, WM_CHILD_CONFIRM_EXIT);
    }
    if (confirmed) {
        ShowWindow(pageWindow, SW_HIDE);
        PostQuitMessage(0);
    }
    return 0;
}
