#include "app/win32/CFinishedView.h"

#include "app/AppMessages.h"
#include "app/win32/DesktopLaunch.h"
#include "app/win32/PageCommon.h"
#include "resources/ResourceMgr.h"
#include "ui/LayoutResource.h"
#include "ui/SpacerResource.h"
#include "ui/TextResource.h"

CFinishedView::CFinishedView(HWND hWnd, IResourceMgr* resMgr) : IBaseView(hWnd, resMgr) {
    auto* root = AddResource(new CLayoutResource(LAYOUT_VERTICAL, ID_LAYOUT));
    root->SetMargins(20, 24, 20, 24);
    root->SetBound(AddPageBackground(*this, resMgr, ID_BACKGROUND));

    auto* titleBar = AddResource(new CLayoutResource(LAYOUT_HORIZONTAL, ID_LAYOUT));
    root->AddChild(titleBar, 4);
    titleBar->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 27);
    titleBar->AddChild(AddCloseButton(*this, resMgr, ID_CLOSE), 1);

    root->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 3);

    auto* brand = AddResource(new CLayoutResource(LAYOUT_VERTICAL, ID_LAYOUT));
    root->AddChild(brand, 42);
    auto* logo = AddResource(new CImageResource(ID_LOGO, RES_ICON, nullptr));
    logo->SetImage(resMgr->GetImage(L"logo.png"));
    brand->AddChild(logo, 15);
    ResourceStyle titleStyle[kStateCount];
    SetAllStates(titleStyle, kTextDark, 24, ALIGN_CENTER);
    brand->AddChild(AddResource(new CTextResource(L"欢迎使用Kelvora", ID_TEXT, titleStyle)), 4);

    root->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 2);
    // The grey line enters the list after the spacer above, though it sits under the title.
    ResourceStyle greyStyle[kStateCount];
    SetAllStates(greyStyle, 0xFF666666, 16, ALIGN_CENTER);
    brand->AddChild(AddResource(new CTextResource(L"", ID_TEXT, greyStyle)), 4);

    root->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 6);

    auto* launchRow = AddResource(new CLayoutResource(LAYOUT_HORIZONTAL, ID_LAYOUT));
    root->AddChild(launchRow, 24);
    launchRow->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 25);
    launchRow->AddChild(AddTealButton(*this, L"立即导出", ID_LAUNCH), 21);
    launchRow->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 25);

    RECT client;
    GetClientRect(hWnd, &client);
    root->SetRect(client.left, client.top, client.right, client.bottom);
}

LRESULT CFinishedView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            return PaintOpaque(message, wParam, lParam);
        case WM_CLOSE:
            PostQuitMessage(0);
            return DefWindowProcW(m_hWnd, message, wParam, lParam);
        case WM_MOUSEMOVE:
            return OnMouseMove(message, wParam, lParam, false);
        case WM_LBUTTONDOWN:
            return OnLButtonDownHere(message, wParam, lParam);
        case WM_LBUTTONUP: {
            const LRESULT result = DefWindowProcW(m_hWnd, message, wParam, lParam);
            const int32_t index = HitTest(lParam);
            IBaseResource* resource = GetResource(index);
            if (resource && resource->GetType() == RES_BUTTON) {
                PostMessageW(m_hWnd, WM_RESOURCE_CLICKED, static_cast<WPARAM>(index), lParam);
            }
            return result;
        }
        default:
            break;
    }
    if (message == WM_RESOURCE_CLICKED) return OnResourceClicked(wParam, lParam);
    if (message == WM_RAISE_WINDOW) return ShowOnTop(m_hWnd, true);
    return DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CFinishedView::OnLButtonDownHere(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefWindowProcW(m_hWnd, message, wParam, lParam);
    DropTopmost(m_hWnd);
    const int32_t index = HitTest(lParam);
    auto* resource = static_cast<CImageResource*>(GetResource(index));
    if (resource && resource->GetType() == RES_BUTTON && resource->GetState() != STATE_DISABLED) {
        if (UpdateStates(index, WM_LBUTTONDOWN)) Invalidate();
        return result;
    }
    DragWindow(m_hWnd);
    return result;
}

bool CFinishedView::UpdateStates(int32_t index, UINT event) {
    bool changed = false;
    for (int32_t i = 0; i < GetResourceCount(); ++i) {
        auto* widget = static_cast<CImageResource*>(GetResource(i));
        if (widget->GetId() == ID_CLOSE || widget->GetId() == ID_LAUNCH) {
            changed |= ApplyButtonRule(widget, i == index, event);
        }
    }
    return changed;
}

LRESULT CFinishedView::OnResourceClicked(WPARAM wParam, LPARAM) {
    IBaseResource* resource = GetResource(static_cast<int32_t>(wParam));
    if (!resource || resource->GetType() != RES_BUTTON) return 0;
    // A missing product is not reported: the installer ends either way.
    if (resource->GetId() == ID_LAUNCH && !m_installedPath.empty()) {
        StartForDesktopUser(m_installedPath);
    }
    ShowWindow(m_hWnd, SW_HIDE);
    PostQuitMessage(0);
    return 0;
}
