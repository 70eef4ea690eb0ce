#include "app/win32/ErrorWindow.h"

#include "app/AppMessages.h"

namespace {

const DialogContent kErrorContent = {
    L"error_icon.png",
    DIALOG_ID_ERROR_ICON,
    L"网络异常",
    L"检测到网络异常，必要组件无法加载，请检查网络后重试。",
    L"立即重试",
    BUTTON_LIGHT,
    L"稍后重试",
    BUTTON_TEAL,
    false,
    0,
};

}  // namespace

ErrorView::ErrorView(HWND hWnd, IResourceMgr* resMgr) : CDialogTemplateView(hWnd, resMgr, kErrorContent) {}

LRESULT ErrorView::OnResourceClicked(WPARAM wParam, LPARAM) {
    const int32_t id = ButtonIdAt(wParam);
    if (id < 0) return 0;
    if (id == DIALOG_ID_FIRST_BUTTON) PostMessageW(m_hWnd, WM_CHILD_RETRY, 0, 0);
    HideCloseAndEndLoop();
    return 0;
}
