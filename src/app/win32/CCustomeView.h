// The custom-install page: the installation folder typed into an edit field or picked with the
// shell's folder picker, the space the product needs and the space free on that drive. A picked
// parent folder gets the product's own sub-folder. Windows only.
#pragma once

#include <windows.h>

#include <string>

#include "ui/BaseView.h"

class CCustomeView : public IBaseView {
public:
    // `hWnd` is the main window; the edit field becomes its child.
    CCustomeView(HWND hWnd, IResourceMgr* resMgr);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Takes a folder from the main window, the picker or the edit field. An invalid one puts the
    // last valid folder back into the field.
    void SetInstallDir(const std::wstring& path);
    const std::wstring& GetInstallDir() const { return m_installDir; }
    // The next folder given is the installed product's own and is taken as it is.
    void SetDirLocked() { m_bAppendDir = false; }

    bool IsSpaceEnough() const { return m_bSpaceEnough; }
    HWND GetChildWnd() const { return m_hChildWnd; }

    enum : int32_t {
        ID_BACKGROUND = 0,
        ID_BACK = 1,
        ID_BROWSE = 2,
        ID_INSTALL = 3,
        ID_EDIT = 5,
        ID_REQUIRED = 6,
        ID_FREE = 7,
        ID_HINT = 8,
        ID_TEXT = 10,
        ID_LAYOUT = 11,
        ID_SPACER = 12,
    };

private:
    LRESULT OnClose();
    LRESULT OnLButtonDownHere(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonUpHere(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnResourceClicked(WPARAM wParam, LPARAM lParam) override;
    int32_t DefaultButtonId() const override { return ID_INSTALL; }
    bool UpdateStates(int32_t index, UINT event) override;
    bool UpdateSpaceHint();
    void BrowseForFolder();
    void ShowEditField(bool show);

    std::wstring m_installDir;
    // The main window hands over a folder right after creating the page; until then the main
    // window's own space test is the one that counts.
    bool m_bSpaceEnough = true;
    HWND m_hChildWnd = nullptr;
    bool m_bAppendDir = true;
};
