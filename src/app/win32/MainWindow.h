// The installer's only top-level window. It owns the skin and the five pages, proposes the
// installation folder, picks the first page (the latest-version page for an up-to-date
// installation, the welcome page otherwise), switches pages when a page asks, and hands every
// message it does not handle itself to the page on show. Windows only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/BaseView.h"
#include "ui/BaseWindow.h"

class IResourceMgr;

class MainWindow : public IBaseWindow {
public:
    // Throws a C-string message, after showing its own message box where the user must know,
    // when the skin cannot be loaded or no drive has room for the product.
    explicit MainWindow(const wchar_t* className);
    ~MainWindow() override;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Shows the page of `flag`, creating it on first use; false for an unknown flag or when the
    // chosen drive is too small for the installation (the page on show stays).
    bool SwitchView(int flag);

    int GetCurView() const { return m_curView; }
    IBaseView* GetCurrentView() const { return m_pCurView; }
    IBaseView* GetView(int flag) const;
    const std::wstring& GetInstallDir() const { return m_installDir; }
    const std::wstring& GetInstalledPath() const { return m_installedPath; }

private:
    // A folder for a new installation: Program Files when it has room, else the best drive;
    // empty when nothing has room.
    static std::wstring GetDefaultInstallBase();
    bool CheckUpToDate();
    void DestroyPages();

    std::wstring m_installDir;
    int m_curView = -1;
    IBaseView* m_pCurView = nullptr;
    std::vector<IBaseView*> m_views;
    IResourceMgr* m_pResMgr = nullptr;
    std::wstring m_installedPath;
};
