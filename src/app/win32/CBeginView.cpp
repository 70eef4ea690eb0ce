#include "app/win32/CBeginView.h"

#include "app/AppMessages.h"
#include "app/win32/DesktopLaunch.h"
#include "app/win32/PageCommon.h"
#include "app/win32/WarnWindow.h"
#include "kelvora_config.h"
#include "platform/Strings.h"
#include "resources/ResourceMgr.h"
#include "ui/CheckboxResource.h"
#include "ui/LayoutResource.h"
#include "ui/SpacerResource.h"
#include "ui/TextResource.h"

CBeginView::CBeginView(HWND hWnd, IResourceMgr* resMgr) : IBaseView(hWnd, resMgr) {
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
    brand->AddChild(AddResource(new CTextResource(L"Kelvora", ID_TEXT, titleStyle)), 4);

    ResourceStyle statusStyle[kStateCount];
    SetAllStates(statusStyle, kHintRed, 14, ALIGN_CENTER);
    root->AddChild(AddResource(new CTextResource(L"", ID_TEXT, statusStyle)), 6);

    auto* installRow = AddResource(new CLayoutResource(LAYOUT_HORIZONTAL, ID_LAYOUT));
    root->AddChild(installRow, 16);
    installRow->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 25);
    installRow->AddChild(AddTealButton(*this, L"立即安装", ID_INSTALL), 21);
    installRow->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 25);

    root->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 10);

    auto* termsRow = AddResource(new CLayoutResource(LAYOUT_HORIZONTAL, ID_LAYOUT));
    termsRow->SetMargins(0, 10, 0, 0);
    termsRow->SetSpacing(0);
    root->AddChild(termsRow, 6);

    ResourceStyle boxStyle[kStateCount];
    const uint32_t boxText[3] = {kTextDark, 0xCC1A1A1A, 0x0CC4197F};
    for (int32_t state : {STATE_NORMAL, STATE_HOVER, STATE_PRESSED}) {
        boxStyle[state].m_textColor = boxText[state];
        boxStyle[state].m_backColor = 0x00FFFFFF;
        boxStyle[state].m_borderColor = 0x00FFFFFF;
        boxStyle[state].m_fontSize = 14;
    }
    auto* box = AddResource(
        new CCheckboxResource(L"我已阅读并同意", resMgr->GetImage(L"main_checkbox_select.png"),
                              resMgr->GetImage(L"main_checkbox_deselect.png"), ID_TERMS_BOX, boxStyle));
    box->SetChecked(1);
    termsRow->AddChild(box, 12);

    ResourceStyle linkStyle[kStateCount];
    MakeLinkStyles(linkStyle, true);
    termsRow->AddChild(AddResource(new CButtonResource(L"用户使用协议", ID_TERMS_LINK, linkStyle)), 10);

    ResourceStyle hintStyle[kStateCount];
    SetAllStates(hintStyle, kHintRed, 12, ALIGN_NEAR);
    auto* hint = AddResource(new CTextResource(L"（勾选已阅读用户协议后才能安装）", ID_HINT, hintStyle));
    hint->SetVisible(false);
    termsRow->AddChild(hint, 20);

    ResourceStyle customStyle[kStateCount];
    MakeLinkStyles(customStyle, false);
    for (ResourceStyle& style : customStyle) {
        style.m_hAlign = ALIGN_FAR;
        style.m_iconPos = ICON_RIGHT;
    }
    auto* custom = AddResource(new CButtonResource(L"自定义安装", ID_CUSTOM, customStyle));
    custom->SetNormalImage(resMgr->GetImage(L"main_word_custom_normal.png"));
    custom->SetDisabledImage(resMgr->GetImage(L"main_word_custom_normal.png"));
    custom->SetHoverImage(resMgr->GetImage(L"main_word_custom_hover.png"));
    custom->SetPressedImage(resMgr->GetImage(L"main_word_custom_press.png"));
    termsRow->AddChild(custom, 10);

    RECT client;
    GetClientRect(hWnd, &client);
    root->SetRect(client.left, client.top, client.right, client.bottom);
}

void CBeginView::SetButtonState(int32_t id, int32_t state) {
    if (auto* button = static_cast<CImageResource*>(FindById(id))) button->SetState(state);
}

void CBeginView::SetSpaceEnough(bool enough) {
    if (enough == m_bSpaceEnough) return;
    m_bSpaceEnough = enough;
    // With the terms unticked the button stays disabled whatever the drive offers.
    SetButtonState(ID_INSTALL, enough && m_bAgreed ? STATE_NORMAL : STATE_DISABLED);
}

LRESULT CBeginView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            return PaintOpaque(message, wParam, lParam);
        case WM_CLOSE:
            return OnClose();
        case WM_MOUSEMOVE:
            return OnMouseMove(message, wParam, lParam, true);
        case WM_LBUTTONDOWN:
            return OnLButtonDownHere(message, wParam, lParam);
        case WM_LBUTTONUP:
            return OnLButtonUpHere(message, wParam, lParam);
        default:
            break;
    }
    if (message == WM_RESOURCE_CLICKED) return OnResourceClicked(wParam, lParam);
    if (message == WM_RAISE_WINDOW) return ShowOnTop(m_hWnd, true);
    return DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CBeginView::OnClose() {
    return ShowCancelConfirmation(*this, m_pResMgr, L"BeginChildCloseWnd", m_hChildWnd);
}

LRESULT CBeginView::OnLButtonDownHere(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefWindowProcW(m_hWnd, message, wParam, lParam);
    DropTopmost(m_hWnd);
    const int32_t index = HitTest(lParam);
    auto* resource = static_cast<CImageResource*>(GetResource(index));
    const ResourceType type = resource ? resource->GetType() : RES_LAYOUT;
    if (type == RES_BUTTON && resource->GetState() != STATE_DISABLED) {
        if (UpdateStates(index, WM_LBUTTONDOWN)) Invalidate();
        return result;
    }
    if (type == RES_CHECKBOX) return result;
    DragWindow(m_hWnd);
    return result;
}

LRESULT CBeginView::OnLButtonUpHere(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefWindowProcW(m_hWnd, message, wParam, lParam);
    const int32_t index = HitTest(lParam);
    auto* resource = static_cast<CImageResource*>(GetResource(index));
    if (!resource || resource->GetType() == RES_ICON) return result;
    if (resource->GetType() == RES_BUTTON && resource->GetState() == STATE_DISABLED) return result;
    PostMessageW(m_hWnd, WM_RESOURCE_CLICKED, static_cast<WPARAM>(index), lParam);
    return result;
}

LRESULT CBeginView::OnResourceClicked(WPARAM wParam, LPARAM) {
    const int32_t index = static_cast<int32_t>(wParam);
    IBaseResource* resource = GetResource(index);
    if (!resource) return 0;
    switch (resource->GetId()) {
        case ID_CLOSE:
            OnClose();
            break;
        case ID_INSTALL:
            PostMessageW(m_hWnd, WM_SWITCH_VIEW, VIEW_FLAG_THIRD, 0);
            break;
        case ID_CUSTOM:
            PostMessageW(m_hWnd, WM_SWITCH_VIEW, VIEW_FLAG_SECOND, 0);
            break;
        case ID_TERMS_LINK:
            OpenAddressForDesktopUser(kelvora_config::kProductWebSite);
            break;
        default:
            break;
    }
    if (UpdateStates(index, WM_RESOURCE_CLICKED)) Invalidate();
    return 0;
}

bool CBeginView::UpdateStates(int32_t index, UINT event) {
    bool changed = false;
    for (int32_t i = 0; i < GetResourceCount(); ++i) {
        auto* widget = static_cast<CImageResource*>(GetResource(i));
        const bool target = i == index;
        switch (widget->GetId()) {
            case ID_INSTALL:
                if (m_bAgreed && m_bSpaceEnough) changed |= ApplyButtonRule(widget, target, event);
                break;
            case ID_CUSTOM:
                if (m_bAgreed) changed |= ApplyButtonRule(widget, target, event);
                break;
            case ID_CLOSE:
            case ID_TERMS_LINK:
                changed |= ApplyButtonRule(widget, target, event);
                break;
            case ID_TERMS_BOX:
                if (target && event == WM_RESOURCE_CLICKED) {
                    ToggleTerms();
                    changed = true;
                }
                break;
            default:
                break;
        }
    }
    return changed;
}

void CBeginView::ToggleTerms() {
    auto* box = static_cast<CCheckboxResource*>(FindById(ID_TERMS_BOX));
    const bool agree = !m_bAgreed;
    if (box) box->SetChecked(agree ? 1 : 0);
    m_bAgreed = agree;
    if (IBaseResource* hint = FindById(ID_HINT)) hint->SetVisible(!agree);
    if (m_bSpaceEnough) SetButtonState(ID_INSTALL, agree ? STATE_NORMAL : STATE_DISABLED);
    SetButtonState(ID_CUSTOM, agree ? STATE_NORMAL : STATE_DISABLED);
}
