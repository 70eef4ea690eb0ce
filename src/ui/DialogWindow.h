// The form shared by the dialog windows: a 400 by 200 tool window of its owner whose every
// message goes to its view. Windows only.
#pragma once

#include <cassert>

#include "ui/BaseView.h"
#include "ui/BaseWindow.h"

class IResourceMgr;

class CDialogWindow : public IBaseWindow {
public:
    static constexpr uint32_t kWidth = 400;
    static constexpr uint32_t kHeight = 200;

    // Deletes the view, then the base detaches and destroys the window.
    ~CDialogWindow() override;

    // WM_ERASEBKGND is swallowed (the view paints every pixel); everything else is the view's.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    IBaseView* GetView() const { return m_pView; }

protected:
    CDialogWindow(const wchar_t* className, HWND owner) : IBaseWindow(className, kWidth, kHeight, owner) {}

    IBaseView* m_pView = nullptr;
};

// A dialog window whose view is `TView`, constructed from the new window and the manager:
//   class ErrorWindow : public TDialogWindow<ErrorView> { using TDialogWindow::TDialogWindow; };
template <class TView>
class TDialogWindow : public CDialogWindow {
public:
    TDialogWindow(const wchar_t* className, HWND owner, IResourceMgr* resMgr)
        : CDialogWindow(className, owner) {
        m_pView = new TView(m_hWnd, resMgr);
        assert(m_pView);
    }
    TView* GetDialogView() const { return static_cast<TView*>(m_pView); }
};
