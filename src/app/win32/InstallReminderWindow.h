// After the third failed installer run: the user is offered the downloaded installer with its
// normal interface. "确认" starts it, but only when it passes the publisher check (a file that
// fails is deleted instead); either button ends this program. Windows only.
#pragma once

#include <string>

#include "app/win32/DialogTemplate.h"
#include "ui/DialogWindow.h"

class InstallReminderView : public CDialogTemplateView {
public:
    InstallReminderView(HWND hWnd, IResourceMgr* resMgr);

    void SetFilePath(const std::wstring& path) { m_installerPath = path; }
    const std::wstring& GetFilePath() const { return m_installerPath; }

protected:
    LRESULT OnResourceClicked(WPARAM wParam, LPARAM lParam) override;

private:
    std::wstring m_installerPath;
};

class InstallReminderWindow : public TDialogWindow<InstallReminderView> {
public:
    InstallReminderWindow(HWND owner, IResourceMgr* resMgr, const wchar_t* className)
        : TDialogWindow(className, owner, resMgr) {}

    // The full path of the downloaded product installer.
    void SetFilePath(const std::wstring& path) { GetDialogView()->SetFilePath(path); }
};
