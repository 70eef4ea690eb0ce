#include "app/win32/CCustomeView.h"

#include <ole2.h>
#include <shlobj.h>

#include "app/AppMessages.h"
#include "app/InstallFolder.h"
#include "app/SizeText.h"
#include "app/win32/PageCommon.h"
#include "app/win32/WarnWindow.h"
#include "pkginfo/PkgInfo.h"
#include "platform/Strings.h"
#include "platform/SystemInfo.h"
#include "resources/ResourceMgr.h"
#include "ui/EditResource.h"
#include "ui/LayoutResource.h"
#include "ui/SpacerResource.h"
#include "ui/TextResource.h"

namespace {

// Transparent face, dark text of size 14: the captions and values of the folder rows.
void MakeCaptionStyles(ResourceStyle styles[kStateCount]) {
    SetAllStates(styles, kTextDark, 14, ALIGN_NEAR);
    for (int32_t i = 0; i < kStateCount; ++i) styles[i].m_backColor = 0x00FFFFFF;
}

uint64_t RequiredSpace() {
    IPkgInfo* info = GetPkgInfo();
    return info ? static_cast<uint64_t>(info->GetRequiredSpace()) : 0;
}

}  // namespace

CCustomeView::CCustomeView(HWND hWnd, IResourceMgr* resMgr) : IBaseView(hWnd, resMgr) {
    auto* root = AddResource(new CLayoutResource(LAYOUT_VERTICAL, ID_LAYOUT));
    root->SetMargins(20, 24, 20, 0);
    root->SetBound(AddPageBackground(*this, resMgr, ID_BACKGROUND));

    auto* topRow = AddResource(new CLayoutResource(LAYOUT_HORIZONTAL, ID_LAYOUT));
    root->AddChild(topRow, 4);
    ResourceStyle backStyle[kStateCount];
    MakeLinkStyles(backStyle, false);
    for (ResourceStyle& style : backStyle) style.m_iconPos = ICON_LEFT;
    for (int32_t state : {STATE_NORMAL, STATE_HOVER, STATE_PRESSED, STATE_DISABLED}) {
        backStyle[state].m_fontSize = ResourceStyle().m_fontSize;
    }
    auto* back = AddResource(new CButtonResource(L"返回", ID_BACK, backStyle));
    back->SetNormalImage(resMgr->GetImage(L"custom_btn_back_normal.png"));
    back->SetHoverImage(resMgr->GetImage(L"custom_btn_back_hover.png"));
    back->SetPressedImage(resMgr->GetImage(L"custom_btn_back_press.png"));
    topRow->AddChild(back, 5);
    topRow->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 23);

    auto* body = AddResource(new CLayoutResource(LAYOUT_VERTICAL, ID_LAYOUT));
    body->SetMargins(24, 30, 24, 30);
    root->AddChild(body, 88);

    ResourceStyle headingStyle[kStateCount];
    MakeCaptionStyles(headingStyle);
    for (ResourceStyle& style : headingStyle) style.m_fontSize = 24;
    body->AddChild(AddResource(new CTextResource(L"自定义安装", ID_TEXT, headingStyle)), 8);
    body->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 3);

    ResourceStyle caption[kStateCount];
    MakeCaptionStyles(caption);

    auto* pathRow = AddResource(new CLayoutResource(LAYOUT_HORIZONTAL, ID_LAYOUT));
    body->AddChild(pathRow, 4);
    pathRow->AddChild(AddResource(new CTextResource(L"安装路径: ", ID_TEXT, caption)), 8);
    auto* edit = AddResource(new CEditResource(L"C:/", hWnd, ID_EDIT, caption));
    edit->SetInflate(0, 0);
    pathRow->AddChild(edit, 38);
    ResourceStyle browseStyle[kStateCount];
    MakeLinkStyles(browseStyle, true);
    pathRow->AddChild(AddResource(new CButtonResource(L"浏览", ID_BROWSE, browseStyle)), 4);

    body->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 3);

    auto* spaceRow = AddResource(new CLayoutResource(LAYOUT_HORIZONTAL, ID_LAYOUT));
    body->AddChild(spaceRow, 4);
    spaceRow->AddChild(AddResource(new CTextResource(L"所需空间: ", ID_TEXT, caption)), 8);
    spaceRow->AddChild(AddResource(new CTextResource(L"", ID_REQUIRED, caption)), 8);
    spaceRow->AddChild(AddResource(new CTextResource(L"可用空间: ", ID_TEXT, caption)), 8);
    spaceRow->AddChild(AddResource(new CTextResource(L"", ID_FREE, caption)), 8);
    ResourceStyle hintStyle[kStateCount];
    SetAllStates(hintStyle, kHintRed, 12, ALIGN_NEAR);
    auto* hint = AddResource(new CTextResource(L"（该磁盘分区可用空间不足）", ID_HINT, hintStyle));
    hint->SetVisible(false);
    spaceRow->AddChild(hint, 18);

    body->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 3);
    body->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 2);

    auto* installRow = AddResource(new CLayoutResource(LAYOUT_HORIZONTAL, ID_LAYOUT));
    body->AddChild(installRow, 18);
    installRow->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 24);
    installRow->AddChild(AddTealButton(*this, L"立即安装", ID_INSTALL), 23);
    installRow->AddChild(AddResource(new CSpacerResource(ID_SPACER)), 24);

    ResourceStyle statusStyle[kStateCount];
    SetAllStates(statusStyle, kHintRed, 13, ALIGN_CENTER);
    body->AddChild(AddResource(new CTextResource(L"", ID_TEXT, statusStyle)), 1);

    RECT client;
    GetClientRect(hWnd, &client);
    root->SetRect(client.left, client.top, client.right, client.bottom);
}

void CCustomeView::ShowEditField(bool show) {
    if (auto* edit = static_cast<CEditResource*>(FindById(ID_EDIT))) edit->ShowEdit(show);
}

void CCustomeView::SetInstallDir(const std::wstring& path) {
    auto* edit = static_cast<CEditResource*>(FindById(ID_EDIT));
    if (path == m_installDir) {
        // The same folder given again while locked is the one already shown; what the user
        // picks next still gets the sub-folder.
        m_bAppendDir = true;
        return;
    }
    if (!IsValidInstallPath(path)) {
        if (edit) edit->SetEditText(m_installDir);
        return;
    }
    const uint64_t required = RequiredSpace();
    const uint64_t freeBytes = GetDriveFreeSpace(path);
    m_bSpaceEnough = HasRoomFor(required, freeBytes);
    if (m_bAppendDir) {
        m_installDir = WithProductSubfolder(path);
    } else {
        m_bAppendDir = true;
        m_installDir = path;
    }
    if (auto* value = static_cast<CTextResource*>(FindById(ID_REQUIRED))) {
        value->SetText(FormatSize(static_cast<double>(required)));
    }
    if (auto* value = static_cast<CTextResource*>(FindById(ID_FREE))) {
        value->SetText(FormatSize(static_cast<double>(freeBytes)));
    }
    if (edit) edit->SetEditText(m_installDir);
    // The button and the hint follow the new drive at once rather than at the next mouse move.
    UpdateSpaceHint();
    Invalidate();
}

LRESULT CCustomeView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            return PaintOpaque(message, wParam, lParam);
        case WM_CLOSE:
            return OnClose();
        case WM_COMMAND:
            if (LOWORD(wParam) == ID_EDIT && HIWORD(wParam) == EN_KILLFOCUS) {
                if (auto* edit = static_cast<CEditResource*>(FindById(ID_EDIT))) {
                    wchar_t text[260] = {};
                    edit->GetEditText(text, 260);
                    SetInstallDir(text);
                }
                return 0;
            }
            break;
        case WM_CTLCOLOREDIT: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(0x1A, 0x1A, 0x1A));
            SetBkColor(dc, RGB(0xFF, 0xFF, 0xFF));
            return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        }
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

LRESULT CCustomeView::OnClose() {
    return ShowCancelConfirmation(*this, m_pResMgr, L"CustomeChildCloseWnd", m_hChildWnd);
}

LRESULT CCustomeView::OnLButtonDownHere(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefWindowProcW(m_hWnd, message, wParam, lParam);
    DropTopmost(m_hWnd);
    const int32_t index = HitTest(lParam);
    auto* resource = static_cast<CImageResource*>(GetResource(index));
    const ResourceType type = resource ? resource->GetType() : RES_LAYOUT;
    // Taking the focus from the edit field hands a typed folder to the page.
    if (type != RES_EDIT) SetFocus(m_hWnd);
    if (type == RES_BUTTON && resource->GetState() != STATE_DISABLED) {
        if (UpdateStates(index, WM_LBUTTONDOWN)) Invalidate();
        return result;
    }
    if (type == RES_CHECKBOX) return result;
    DragWindow(m_hWnd);
    return result;
}

LRESULT CCustomeView::OnLButtonUpHere(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefWindowProcW(m_hWnd, message, wParam, lParam);
    const int32_t index = HitTest(lParam);
    auto* resource = static_cast<CImageResource*>(GetResource(index));
    if (!resource) return result;
    const bool usableButton = resource->GetType() == RES_BUTTON && resource->GetState() != STATE_DISABLED;
    if (usableButton || resource->GetType() == RES_CHECKBOX) {
        PostMessageW(m_hWnd, WM_RESOURCE_CLICKED, static_cast<WPARAM>(index), lParam);
    }
    return result;
}

LRESULT CCustomeView::OnResourceClicked(WPARAM wParam, LPARAM) {
    const int32_t index = static_cast<int32_t>(wParam);
    IBaseResource* resource = GetResource(index);
    if (!resource) return 0;
    switch (resource->GetId()) {
        case ID_BACK:
            ShowEditField(false);
            PostMessageW(m_hWnd, WM_SWITCH_VIEW, VIEW_FLAG_FIRST, 0);
            break;
        case ID_BROWSE:
            BrowseForFolder();
            break;
        case ID_INSTALL:
            ShowEditField(false);
            PostMessageW(m_hWnd, WM_SWITCH_VIEW, VIEW_FLAG_THIRD, 0);
            break;
        default:
            break;
    }
    if (UpdateStates(index, WM_RESOURCE_CLICKED)) Invalidate();
    return 0;
}

bool CCustomeView::UpdateStates(int32_t index, UINT event) {
    bool changed = false;
    for (int32_t i = 0; i < GetResourceCount(); ++i) {
        auto* widget = static_cast<CImageResource*>(GetResource(i));
        switch (widget->GetId()) {
            case ID_BACK:
            case ID_BROWSE:
                changed |= ApplyButtonRule(widget, i == index, event);
                break;
            case ID_INSTALL:
                if (m_bSpaceEnough) changed |= ApplyButtonRule(widget, i == index, event);
                break;
            default:
                break;
        }
    }
    changed |= UpdateSpaceHint();
    return changed;
}

bool CCustomeView::UpdateSpaceHint() {
    bool changed = false;
    auto* install = static_cast<CImageResource*>(FindById(ID_INSTALL));
    IBaseResource* hint = FindById(ID_HINT);
    if (m_bSpaceEnough) {
        if (install && install->GetState() == STATE_DISABLED) {
            install->SetState(STATE_NORMAL);
            changed = true;
        }
        if (hint && hint->IsVisible()) {
            hint->SetVisible(false);
            changed = true;
        }
    } else {
        if (install && install->GetState() != STATE_DISABLED) {
            install->SetState(STATE_DISABLED);
            changed = true;
        }
        if (hint && !hint->IsVisible()) {
            hint->SetVisible(true);
            changed = true;
        }
    }
    return changed;
}

void CCustomeView::BrowseForFolder() {
    // The picker's new-style dialog is a COM object and needs an apartment on this thread.
    const HRESULT ole = OleInitialize(nullptr);
    BROWSEINFOW info = {};
    info.hwndOwner = m_hWnd;
    info.lpszTitle = L"安装路径选择：";
    info.ulFlags = BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE picked = SHBrowseForFolderW(&info);
    if (!picked) {
        if (SUCCEEDED(ole)) OleUninitialize();
        return;
    }
    wchar_t path[1024] = {};
    if (SHGetPathFromIDListW(picked, path)) {
        SetInstallDir(path);
    } else {
        MessageBoxW(m_hWnd, L"请选择正确的安装路径！", L"路径选择错误", MB_OK);
    }
    CoTaskMemFree(picked);
    if (SUCCEEDED(ole)) OleUninitialize();
}
