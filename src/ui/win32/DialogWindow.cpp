#include "ui/DialogWindow.h"

CDialogWindow::~CDialogWindow() {
    IBaseView* view = m_pView;
    // Cleared first: destroying the window later must not reach a half-deleted view.
    m_pView = nullptr;
    delete view;
}

LRESULT CDialogWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) return 0;
    if (!m_pView) return DefWindowProcW(m_hWnd, message, wParam, lParam);
    return m_pView->Dispatch(message, wParam, lParam);
}
