// The error dialog after a failed download or installer run: retry now, or later from the
// welcome page. It posts WM_CHILD_RETRY to itself when the user retries. Windows only.
#pragma once

#include "app/win32/DialogTemplate.h"
#include "ui/DialogWindow.h"

class ErrorView : public CDialogTemplateView {
public:
    ErrorView(HWND hWnd, IResourceMgr* resMgr);

    // 1 after a failed download, 2 after a failed installer run; both look and act alike.
    void SetMode(int32_t mode) { m_mode = mode; }
    int32_t GetMode() const { return m_mode; }

protected:
    LRESULT OnResourceClicked(WPARAM wParam, LPARAM lParam) override;

private:
    int32_t m_mode = 0;
};

class ErrorWindow : public TDialogWindow<ErrorView> {
public:
    ErrorWindow(HWND owner, IResourceMgr* resMgr, const wchar_t* className)
        : TDialogWindow(className, owner, resMgr) {}

    void SetMode(int32_t mode) { GetDialogView()->SetMode(mode); }
};
