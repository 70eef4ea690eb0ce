#include "app/win32/PageCommon.h"

#include "app/AppMessages.h"
#include "resources/ResourceMgr.h"
#include "ui/BaseView.h"

void SetAllStates(ResourceStyle styles[kStateCount], uint32_t textColor, uint32_t fontSize, int32_t hAlign) {
    for (int32_t i = 0; i < kStateCount; ++i) {
        styles[i].m_textColor = textColor;
        styles[i].m_fontSize = fontSize;
        styles[i].m_hAlign = hAlign;
    }
}

CImageResource* AddPageBackground(IBaseView& view, IResourceMgr* resMgr, int32_t id) {
    ResourceStyle styles[kStateCount];
    styles[STATE_NORMAL].m_backColor = 0xFFFFFFFF;
    styles[STATE_NORMAL].m_borderWidth = 1;
    styles[STATE_NORMAL].m_borderColor = 0xFFCCCCCC;
    auto* background = view.AddResource(new CImageResource(id, RES_IMAGE, styles));
    background->SetImage(resMgr->GetImage(L"main_bg.png"));
    return background;
}

CButtonResource* AddCloseButton(IBaseView& view, IResourceMgr* resMgr, int32_t id) {
    ResourceStyle styles[kStateCount];
    for (int32_t state : {STATE_NORMAL, STATE_HOVER, STATE_PRESSED}) {
        styles[state].m_backColor = 0x00FFFFFF;
        styles[state].m_borderColor = 0x00FFFFFF;
    }
    auto* close = view.AddResource(new CButtonResource(L"", id, styles));
    close->SetAspect(16, 16);
    close->SetNormalImage(resMgr->GetImage(L"global_btn_close_normal.png"));
    close->SetHoverImage(resMgr->GetImage(L"global_btn_close_hover.png"));
    close->SetPressedImage(resMgr->GetImage(L"global_btn_close_hover.png"));
    return close;
}

CButtonResource* AddTealButton(IBaseView& view, const wchar_t* text, int32_t id) {
    ResourceStyle styles[kStateCount];
    const uint32_t faces[kStateCount] = {0xFF29C3B4, 0xFF10B3A3, 0xFF089F90, 0x8029C3B4};
    for (int32_t i = 0; i < kStateCount; ++i) {
        styles[i].m_backColor = faces[i];
        styles[i].m_textColor = 0xFFFFFFFF;
        styles[i].m_radius = 2;
        styles[i].m_hAlign = ALIGN_CENTER;
        styles[i].m_vAlign = ALIGN_CENTER;
    }
    auto* button = view.AddResource(new CButtonResource(text, id, styles));
    button->SetAspect(168, 48);
    return button;
}

void MakeLinkStyles(ResourceStyle styles[kStateCount], bool underline) {
    const uint32_t colours[kStateCount] = {kTextDark, 0xCC1A1A1A, 0x0CC4197F, kTextDark};
    for (int32_t i = 0; i < kStateCount; ++i) {
        styles[i].m_backColor = 0x00FFFFFF;
        styles[i].m_textColor = colours[i];
        styles[i].m_fontSize = 14;
        styles[i].m_underline = underline && i != STATE_DISABLED;
    }
}

bool ApplyButtonRule(CImageResource* button, bool isTarget, UINT event) {
    ResourceState wanted = STATE_NORMAL;
    if (isTarget && event == WM_MOUSEMOVE) wanted = STATE_HOVER;
    if (isTarget && event == WM_LBUTTONDOWN) wanted = STATE_PRESSED;
    if (button->GetState() == wanted) return false;
    button->SetState(wanted);
    return true;
}

void DragWindow(HWND window) {
    ReleaseCapture();
    SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void DropTopmost(HWND window) {
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}
