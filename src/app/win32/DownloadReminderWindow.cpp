#include "app/win32/DownloadReminderWindow.h"

#include "platform/Strings.h"

namespace {

const DialogContent kDownloadReminderContent = {
    L"error_icon.png",
    DIALOG_ID_ERROR_ICON,
    L"网络异常",
    L"您的网络环境存在网络异常，需要手动下载软件必要组件，请点击“确认”开始下载。",
    L"确认",
    BUTTON_GREY,
    L"取消",
    BUTTON_TEAL,
    false,
    1,
};

}  // namespace

DownloadReminderView::DownloadReminderView(HWND hWnd, IResourceMgr* resMgr)
    : CDialogTemplateView(hWnd, resMgr, kDownloadReminderContent) {}

LRESULT DownloadReminderView::OnResourceClicked(WPARAM wParam, LPARAM) {
    const int32_t id = ButtonIdAt(wParam);
    if (id < 0) return 0;
    // The address is the downloader's, which keeps it as UTF-8 text.
    if (id == DIALOG_ID_FIRST_BUTTON && !m_downloadUrl.empty()) AddressOpen(Utf8ToWide(m_downloadUrl));
    PostQuitMessage(0);
    return 0;
}
