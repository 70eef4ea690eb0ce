// The cancel confirmation of the welcome and custom-install pages. "确认" posts
// WM_CHILD_CONFIRM_EXIT to the dialog itself; every button then closes it. Windows only.
#pragma once

#include "app/win32/DialogTemplate.h"
#include "ui/DialogWindow.h"

class WarnView : public CDialogTemplateView {
public:
    WarnView(HWND hWnd, IResourceMgr* resMgr);

protected:
    LRESULT OnResourceClicked(WPARAM wParam, LPARAM lParam) override;
};

class WarnWindow : public TDialogWindow<WarnView> {
public:
    WarnWindow(HWND owner, IResourceMgr* resMgr, const wchar_t* className)
        : TDialogWindow(className, owner, resMgr) {}
};

// The whole cancel-confirmation showing for a page (`page` draws into the main window):
// a dialog already open (its handle in `childWnd`) is only brought forward; otherwise a new
// one is centred over the page, kept on the work area and run in the private loop. When the
// user confirms, the main window is hidden and the program's loop is told to end. `className`
// is "BeginChildCloseWnd" or "CustomeChildCloseWnd". Returns 0.
LRESULT ShowCancelConfirmation(IBaseView& page, IResourceMgr* resMgr, const wchar_t* className,
                               HWND& childWnd);
