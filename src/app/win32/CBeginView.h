// The welcome page: logo and name, the big install button, the terms box with its link and the
// custom-install button. Unticking the terms disables both install buttons and shows a red
// hint; closing asks for confirmation first. Windows only.
#pragma once

#include <windows.h>

#include "ui/BaseView.h"

class CBeginView : public IBaseView {
public:
    // `hWnd` is the main window, which the page draws into and whose messages it handles.
    CBeginView(HWND hWnd, IResourceMgr* resMgr);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Whether the installation drive has room; the install button follows it.
    void SetSpaceEnough(bool enough);

    bool IsAgreed() const { return m_bAgreed; }
    bool IsSpaceEnough() const { return m_bSpaceEnough; }
    HWND GetChildWnd() const { return m_hChildWnd; }

    enum : int32_t {
        ID_BACKGROUND = 0,
        ID_LOGO = 1,
        ID_CLOSE = 2,
        ID_INSTALL = 3,
        ID_CUSTOM = 4,
        ID_TERMS_LINK = 5,
        ID_TERMS_BOX = 6,
        ID_HINT = 7,
        ID_TEXT = 8,
        ID_LAYOUT = 9,
        ID_SPACER = 10,
    };

private:
    LRESULT OnClose();
    LRESULT OnLButtonDownHere(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonUpHere(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnResourceClicked(WPARAM wParam, LPARAM lParam) override;
    int32_t DefaultButtonId() const override { return ID_INSTALL; }
    int32_t CancelButtonId() const override { return ID_CLOSE; }
    bool UpdateStates(int32_t index, UINT event) override;
    void ToggleTerms();
    void SetButtonState(int32_t id, int32_t state);

    bool m_bAgreed = true;
    HWND m_hChildWnd = nullptr;
    bool m_bSpaceEnough = true;
};
