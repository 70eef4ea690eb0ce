// The finish page: the product is installed; "立即导出" starts it and every button ends the
// installer. Windows only.
#pragma once

#include <windows.h>

#include <string>

#include "ui/BaseView.h"

class CFinishedView : public IBaseView {
public:
    CFinishedView(HWND hWnd, IResourceMgr* resMgr);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    void SetInstalledPath(const std::wstring& path) { m_installedPath = path; }
    const std::wstring& GetInstalledPath() const { return m_installedPath; }

    enum : int32_t {
        ID_BACKGROUND = 0,
        ID_CLOSE = 1,
        ID_LAUNCH = 2,
        ID_LOGO = 3,
        ID_TEXT = 4,
        ID_LAYOUT = 5,
        ID_SPACER = 6,
    };

private:
    LRESULT OnLButtonDownHere(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnResourceClicked(WPARAM wParam, LPARAM lParam) override;
    int32_t DefaultButtonId() const override { return ID_LAUNCH; }
    int32_t CancelButtonId() const override { return ID_CLOSE; }
    bool UpdateStates(int32_t index, UINT event) override;

    std::wstring m_installedPath;
};
