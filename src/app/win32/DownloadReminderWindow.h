// After the third failed download: the user is asked to fetch the installer by hand. "确认"
// opens the download address in the browser; either button ends the installer. Windows only.
#pragma once

#include <string>

#include "app/win32/DialogTemplate.h"
#include "ui/DialogWindow.h"

class DownloadReminderView : public CDialogTemplateView {
public:
    DownloadReminderView(HWND hWnd, IResourceMgr* resMgr);

    void SetUrl(const std::string& url) { m_downloadUrl = url; }
    const std::string& GetUrl() const { return m_downloadUrl; }

protected:
    LRESULT OnResourceClicked(WPARAM wParam, LPARAM lParam) override;

private:
    std::string m_downloadUrl;
};

class DownloadReminderWindow : public TDialogWindow<DownloadReminderView> {
public:
    DownloadReminderWindow(HWND owner, IResourceMgr* resMgr, const wchar_t* className)
        : TDialogWindow(className, owner, resMgr) {}

    // The downloader's current address (UTF-8).
    void SetUrl(const std::string& url) { GetDialogView()->SetUrl(url); }
};
