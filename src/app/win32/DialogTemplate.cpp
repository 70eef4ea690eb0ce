#include "app/win32/DialogTemplate.h"

#include <shellapi.h>

#include "app/win32/DesktopLaunch.h"
#include "resources/ResourceMgr.h"
#include "ui/ButtonResource.h"
#include "ui/LayoutResource.h"
#include "ui/SpacerResource.h"
#include "ui/TextResource.h"

namespace {

constexpr int32_t kLayoutId = 6;
constexpr int32_t kSpacerId = 7;
constexpr int32_t kInteractive = 3;  // normal, hover, pressed

void ShellExecuteOpen(const std::wstring& target) {
    ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

ShellOpener g_shellOpener = &ShellExecuteOpen;
ShellOpener g_addressOpener = &OpenAddressForDesktopUser;

void TextStyle(ResourceStyle styles[kStateCount], uint32_t colour, int32_t vAlign) {
    for (int32_t i = 0; i < kStateCount; ++i) {
        styles[i].m_textColor = colour;
        styles[i].m_fontSize = 14;
        styles[i].m_vAlign = vAlign;
    }
}

}  // namespace

void ShellOpen(const std::wstring& target) {
    g_shellOpener(target);
}

void SetShellOpener(ShellOpener opener) {
    g_shellOpener = opener ? opener : &ShellExecuteOpen;
}

void AddressOpen(const std::wstring& address) {
    g_addressOpener(address);
}

void SetAddressOpener(ShellOpener opener) {
    g_addressOpener = opener ? opener : &OpenAddressForDesktopUser;
}

void MakeDialogButtonStyles(DialogButtonLook look, ResourceStyle styles[kStateCount]) {
    static const uint32_t kLightFaces[kInteractive] = {0xFFF2F2F2, 0xCCF2F2F2, 0xFFF2F2F2};
    static const uint32_t kTealFaces[kInteractive] = {0xFF29C3B4, 0xFF10B3A3, 0xFF089F90};
    static const uint32_t kGreyTexts[kInteractive] = {MakeRgb(102, 102, 102), MakeRgb(153, 153, 153),
                                                      MakeRgb(102, 102, 102)};
    for (int32_t i = 0; i < kStateCount; ++i) {
        styles[i].m_radius = 2;
        styles[i].m_fontSize = 14;
        styles[i].m_hAlign = ALIGN_CENTER;
    }
    for (int32_t i = 0; i < kInteractive; ++i) {
        ResourceStyle& style = styles[i];
        switch (look) {
            case BUTTON_LIGHT:
                style.m_textColor = 0xFF3F3F3F;
                style.m_backColor = kLightFaces[i];
                style.m_borderWidth = 1;
                style.m_borderColor = kLightFaces[i];
                break;
            case BUTTON_GREY:
                style.m_textColor = kGreyTexts[i];
                style.m_backColor = kLightFaces[i];
                style.m_borderWidth = 0;
                break;
            case BUTTON_TEAL:
                style.m_textColor = 0xFFFFFFFF;
                style.m_backColor = kTealFaces[i];
                style.m_borderWidth = 0;
                break;
        }
    }
}

CDialogTemplateView::CDialogTemplateView(HWND hWnd, IResourceMgr* resMgr, const DialogContent& content)
    : IBaseView(hWnd, resMgr),
      m_closeButtonId(content.closeButton ? DIALOG_ID_CLOSE_BUTTON : DIALOG_ID_SECOND_BUTTON) {
    auto* root = AddResource(new CLayoutResource(LAYOUT_VERTICAL, kLayoutId));
    ResourceStyle panel[kStateCount];
    panel[STATE_NORMAL].m_backColor = 0xFFFFFFFF;
    panel[STATE_NORMAL].m_borderWidth = 1;
    panel[STATE_NORMAL].m_borderColor = 0xFFCCCCCC;
    panel[STATE_NORMAL].m_radius = 4;
    root->SetBound(AddResource(new CImageResource(DIALOG_ID_PANEL, RES_IMAGE, panel)));

    auto* titleBar = AddResource(new CLayoutResource(LAYOUT_HORIZONTAL, kLayoutId));
    titleBar->SetMargins(10, 5, 10, 5);
    ResourceStyle titlePanel[kStateCount];
    titlePanel[STATE_NORMAL].m_backColor = 0xFFF9F9F9;
    titlePanel[STATE_NORMAL].m_radius = 4;
    titlePanel[STATE_NORMAL].m_borderWidth = content.titleBorderWidth;
    titlePanel[STATE_NORMAL].m_borderColor = 0x00FFFFFF;
    auto* titleBack = AddResource(new CImageResource(DIALOG_ID_PANEL, RES_IMAGE, titlePanel));
    titleBack->SetInflate(-1, -2);
    titleBar->SetBound(titleBack);
    ResourceStyle titleText[kStateCount];
    TextStyle(titleText, 0xFF666666, ALIGN_CENTER);
    titleBar->AddChild(AddResource(new CTextResource(L"Kelvora", DIALOG_ID_TEXT, titleText)), 27);
    if (content.closeButton) {
        ResourceStyle closeStyle[kStateCount];
        for (int32_t i = 0; i < kInteractive; ++i) {
            closeStyle[i].m_backColor = 0x00FFFFFF;
            closeStyle[i].m_borderColor = 0x00FFFFFF;
        }
        auto* close = AddResource(new CButtonResource(L"", DIALOG_ID_CLOSE_BUTTON, closeStyle));
        close->SetAspect(16, 16);
        close->SetNormalImage(resMgr->GetImage(L"global_btn_close_normal.png"));
        close->SetHoverImage(resMgr->GetImage(L"global_btn_close_hover.png"));
        close->SetPressedImage(resMgr->GetImage(L"global_btn_close_hover.png"));
        titleBar->AddChild(close, 1);
    }
    root->AddChild(titleBar, 3);

    auto* body = AddResource(new CLayoutResource(LAYOUT_VERTICAL, kLayoutId));
    body->SetMargins(24, 16, 24, 16);
    auto* texts = AddResource(new CLayoutResource(LAYOUT_VERTICAL, kLayoutId));

    auto* headingRow = AddResource(new CLayoutResource(LAYOUT_HORIZONTAL, kLayoutId));
    auto* icon = AddResource(new CImageResource(content.iconId, RES_ICON, nullptr));
    icon->SetImage(resMgr->GetImage(content.iconName));
    headingRow->AddChild(icon, 30);
    headingRow->AddChild(AddResource(new CSpacerResource(kSpacerId)), 16);
    ResourceStyle headingText[kStateCount];
    TextStyle(headingText, 0xFF1A1A1A, ALIGN_CENTER);
    headingRow->AddChild(AddResource(new CTextResource(content.heading, DIALOG_ID_TEXT, headingText)), 300);
    texts->AddChild(headingRow, 40);

    auto* messageRow = AddResource(new CLayoutResource(LAYOUT_HORIZONTAL, kLayoutId));
    messageRow->AddChild(AddResource(new CSpacerResource(kSpacerId)), 30);
    messageRow->AddChild(AddResource(new CSpacerResource(kSpacerId)), 16);
    ResourceStyle messageText[kStateCount];
    TextStyle(messageText, 0xFF666666, ALIGN_NEAR);
    messageRow->AddChild(AddResource(new CTextResource(content.message, DIALOG_ID_TEXT, messageText)), 300);
    texts->AddChild(messageRow, 60);
    body->AddChild(texts, 5);

    auto* buttons = AddResource(new CLayoutResource(LAYOUT_HORIZONTAL, kLayoutId));
    buttons->AddChild(AddResource(new CSpacerResource(kSpacerId)), 15);
    ResourceStyle styles[kStateCount];
    MakeDialogButtonStyles(content.firstLook, styles);
    auto* first = AddResource(new CButtonResource(content.firstText, DIALOG_ID_FIRST_BUTTON, styles));
    first->SetAspect(76, 30);
    buttons->AddChild(first, 6);
    buttons->AddChild(AddResource(new CSpacerResource(kSpacerId)), 1);
    ResourceStyle secondStyles[kStateCount];
    MakeDialogButtonStyles(content.secondLook, secondStyles);
    auto* second =
        AddResource(new CButtonResource(content.secondText, DIALOG_ID_SECOND_BUTTON, secondStyles));
    second->SetAspect(76, 30);
    buttons->AddChild(second, 6);
    body->AddChild(buttons, 2);
    root->AddChild(body, 17);

    RECT client;
    GetClientRect(hWnd, &client);
    root->SetRect(0, 0, client.right, client.bottom);
}

LRESULT CDialogTemplateView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE && !m_bClosing) return OnCloseRequest();
    if (message == WM_DESTROY) OnDestroyed();
    return HandleStandardMessage(message, wParam, lParam, kStandardDialog);
}

LRESULT CDialogTemplateView::OnCloseRequest() {
    // Alt+F4 pressed twice before the loop ended must not act twice.
    if (m_bCloseHandled) return 0;
    m_bCloseHandled = true;
    for (int32_t i = 0; i < GetResourceCount(); ++i) {
        if (ButtonIdAt(static_cast<WPARAM>(i)) == m_closeButtonId) return OnResourceClicked(i, 0);
    }
    return 0;
}

void CDialogTemplateView::OnDestroyed() {
    if (m_bClosing) return;
    m_bClosing = true;
    PostQuitMessage(0);
}

int32_t CDialogTemplateView::ButtonIdAt(WPARAM index) const {
    IBaseResource* resource = GetResource(static_cast<int32_t>(index));
    return resource && resource->GetType() == RES_BUTTON ? resource->GetId() : -1;
}

CButtonResource* CDialogTemplateView::GetButton(int32_t id) const {
    for (int32_t i = 0; i < GetResourceCount(); ++i) {
        IBaseResource* resource = GetResource(i);
        if (resource->GetType() == RES_BUTTON && resource->GetId() == id) {
            return static_cast<CButtonResource*>(resource);
        }
    }
    return nullptr;
}

void CDialogTemplateView::HideCloseAndEndLoop() {
    m_bClosing = true;
    ShowWindow(m_hWnd, SW_HIDE);
    PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    PostMessageW(m_hWnd, WM_QUIT, 0, 0);
}
