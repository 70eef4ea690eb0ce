#include "app/win32/CReminderView.h"

#include "app/AppMessages.h"
#include "app/win32/DesktopLaunch.h"
#include "app/win32/PageCommon.h"
#include "resources/ResourceMgr.h"
#include "ui/LayoutResource.h"
#include "ui/SpacerResource.h"
#include "ui/TextResource.h"

namespace {

void MakeTextStyles(ResourceStyle styles[kStateCount], uint32_t colour) {
    styles[STATE_NORMAL].m_textColor = colour;
    styles[STATE_NORMAL].m_fontSize = 14;
}

}  // namespace

CReminderView::CReminderView(HWND hWnd, IResourceMgr* resMgr) : IBaseView(hWnd, resMgr) {
    auto* root = AddResource(new CLayoutResource(LAYOUT_VERTICAL, ID_LAYOUT));
    ResourceStyle panel[kStateCount];
    panel[STATE_NORMAL].m_backColor = 0xFFFFFFFF;
    panel[STATE_NORMAL].m_borderWidth = 1;
    panel[STATE_NORMAL].m_borderColor = 0xFFCCCCCC;
    root->SetBound(AddResource(new CImageResource(ID_PANEL, RES_IMAGE, panel)));

    auto* titleBar = AddResource(new CLayoutResource(LAYOUT_HORIZONTAL, ID_LAYOUT));
    titleBar->SetMargins(10, 5, 10, 5);
    root->AddChild(titleBar, 3);
    ResourceStyle titlePanel[kStateCount];
    titlePanel[STATE_NORMAL].m_backColor = 0xFFF9F9F9;
    titlePanel[STATE_NORMAL].m_borderWidth = 1;
    titlePanel[STATE_NORMAL].m_borderColor = 0x00FFFFFF;
    auto* titleBack = AddResource(new CImageResource(ID_PANEL, RES_IMAGE, titlePanel));
    titleBack->SetInflate(-1, -2);
    titleBar->SetBound(titleBack);
    ResourceStyle titleStyle[kStateCount];
    MakeTextStyles(titleStyle, 0xFF666666);
    titleBar->AddChild(AddResource(new CTextResource(L"Kelvora", ID_TEXT, titleStyle)), 27);
    titleBar->AddChild(AddCloseButton(*this, resMgr, ID_CLOSE), 1);

    auto* body = AddResource(new CLayoutResource(LAYOUT_VERTICAL, ID_LAYOUT));
    body->SetMargins(24, 16, 24, 16);
    root->AddChild(body, 17);

    auto* texts = AddResource(new CLayoutResource(LAYOUT_VERTICAL, ID_LAYOUT));
    body->AddChild(texts, 5);
    auto* headingRow = AddResource(new CLayoutResource(LAYOUT_HORIZONTAL, ID_LAYOUT));
    texts->AddChild(headingRow, 40);
    auto* icon = AddResource(new CImageResource(ID_ICON, RES_ICON, nullptr));
    icon->SetImage(resMgr->GetImage(L"inquire_icon.png"));
    headingRow->AddChild(icon, 30);
    headingRow->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 16);
    ResourceStyle headingStyle[kStateCount];
    MakeTextStyles(headingStyle, kTextDark);
    headingRow->AddChild(AddResource(new CTextResource(L"您已安装最新版本", ID_TEXT, headingStyle)), 300);

    auto* messageRow = AddResource(new CLayoutResource(LAYOUT_HORIZONTAL, ID_LAYOUT));
    texts->AddChild(messageRow, 60);
    messageRow->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 30);
    messageRow->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 16);
    ResourceStyle messageStyle[kStateCount];
    MakeTextStyles(messageStyle, 0xFF666666);
    messageStyle[STATE_NORMAL].m_vAlign = ALIGN_NEAR;
    messageRow->AddChild(AddResource(new CTextResource(L"点击“打开”运行软件，或点击“安装”重新安装软件。",
                                                       ID_TEXT, messageStyle)),
                         300);

    auto* buttons = AddResource(new CLayoutResource(LAYOUT_HORIZONTAL, ID_LAYOUT));
    body->AddChild(buttons, 2);
    buttons->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 15);

    ResourceStyle openStyle[kStateCount];
    const uint32_t openFaces[3] = {0xFFF2F2F2, 0xCCF2F2F2, 0xFFF2F2F2};
    for (int32_t state : {STATE_NORMAL, STATE_HOVER, STATE_PRESSED}) {
        openStyle[state].m_textColor = 0xFF3F3F3F;
        openStyle[state].m_backColor = openFaces[state];
        openStyle[state].m_borderWidth = 1;
        openStyle[state].m_borderColor = openFaces[state];
        openStyle[state].m_radius = 2;
        openStyle[state].m_fontSize = 14;
        openStyle[state].m_hAlign = ALIGN_CENTER;
    }
    auto* open = AddResource(new CButtonResource(L"打开", ID_OPEN, openStyle));
    open->SetAspect(76, 30);
    buttons->AddChild(open, 6);
    buttons->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 1);

    ResourceStyle installStyle[kStateCount];
    const uint32_t installFaces[3] = {0xFF29C3B4, 0xFF089F90, 0xFF089F90};
    for (int32_t state : {STATE_NORMAL, STATE_HOVER, STATE_PRESSED}) {
        installStyle[state].m_textColor = 0xFFFFFFFF;
        installStyle[state].m_backColor = installFaces[state];
        installStyle[state].m_radius = 2;
        installStyle[state].m_fontSize = 14;
        installStyle[state].m_hAlign = ALIGN_CENTER;
        installStyle[state].m_vAlign = ALIGN_CENTER;
    }
    auto* install = AddResource(new CButtonResource(L"安装", ID_INSTALL, installStyle));
    install->SetAspect(76, 30);
    buttons->AddChild(install, 6);

    RECT client;
    GetClientRect(hWnd, &client);
    root->SetRect(client.left, client.top, client.right, client.bottom);
}

LRESULT CReminderView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Closing by the system ends the installer as the close button does; letting the window be
    // destroyed instead would leave the process running without any window.
    if (message == WM_CLOSE) {
        Quit();
        return 0;
    }
    return HandleStandardMessage(message, wParam, lParam, kStandardPage);
}

void CReminderView::Quit() {
    ShowWindow(m_hWnd, SW_HIDE);
    PostQuitMessage(0);
}

LRESULT CReminderView::OnResourceClicked(WPARAM wParam, LPARAM) {
    IBaseResource* resource = GetResource(static_cast<int32_t>(wParam));
    if (!resource) return 0;
    switch (resource->GetId()) {
        case ID_OPEN: {
            PROCESS_INFORMATION info = {};
            if (!m_installedPath.empty() &&
                LaunchAsDesktopUser(m_installedPath.c_str(), nullptr, nullptr, &info) == 0) {
                CloseHandle(info.hThread);
                CloseHandle(info.hProcess);
            }
            Quit();
            break;
        }
        case ID_INSTALL:
            PostMessageW(m_hWnd, WM_SWITCH_VIEW, VIEW_FLAG_FIRST, 0);
            Invalidate();
            break;
        case ID_CLOSE:
            Quit();
            break;
        default:
            break;
    }
    return 0;
}
