// The latest-version page: the installed product is current; "打开" starts it as the desktop
// user and ends the installer, "安装" goes to the welcome page to install again. Windows only.
#pragma once

#include <windows.h>

#include <string>

#include "ui/BaseView.h"

class CReminderView : public IBaseView {
public:
    CReminderView(HWND hWnd, IResourceMgr* resMgr);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    void SetInstalledPath(const std::wstring& path) { m_installedPath = path; }
    const std::wstring& GetInstalledPath() const { return m_installedPath; }

    enum : int32_t {
        ID_PANEL = 0,
        ID_OPEN = 1,
        ID_INSTALL = 2,
        ID_CLOSE = 3,
        ID_ICON = 4,
        ID_TEXT = 5,
        ID_LAYOUT = 6,
        ID_SPACER = 7,
    };

private:
    LRESULT OnResourceClicked(WPARAM wParam, LPARAM lParam) override;
    int32_t DefaultButtonId() const override { return ID_INSTALL; }
    int32_t CancelButtonId() const override { return ID_CLOSE; }
    void Quit();

    std::wstring m_installedPath;
};
