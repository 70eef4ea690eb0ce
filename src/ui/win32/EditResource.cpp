#include "ui/EditResource.h"

#include "ui/UiScale.h"

namespace {

constexpr const wchar_t* kEditProp = L"EditClassPtr";
// Every field is of the one system class "Edit", so one saved procedure serves them all.
WNDPROC g_editClassProc = nullptr;

const ResourceStyle* DefaultEditStyles() {
    static ResourceStyle styles[kStateCount];
    static bool ready = false;
    if (!ready) {
        for (ResourceStyle& style : styles) {
            style.m_textColor = MakeRgb(26, 26, 26);
            style.m_backColor = 0x00FFFFFF;
            style.m_borderColor = 0x00FFFFFF;
        }
        ready = true;
    }
    return styles;
}

}  // namespace

CEditResource::CEditResource(const std::wstring& text, HWND parent, int32_t id, const ResourceStyle* styles)
    : CImageResource(id, RES_EDIT, styles ? styles : DefaultEditStyles()), m_text(text) {
    m_hEdit = CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", m_text.c_str(),
                              WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | ES_AUTOHSCROLL, 0, 0, 100, 25,
                              parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    if (!m_hEdit) throw "create widget error";
    if (!g_editClassProc)
        g_editClassProc = reinterpret_cast<WNDPROC>(GetClassLongPtrW(m_hEdit, GCLP_WNDPROC));
    SetWindowLongPtrW(m_hEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CEditResource::EditWndProc));
    SetPropW(m_hEdit, kEditProp, this);

    const ResourceStyle& normal = m_styles[STATE_NORMAL];
    // One font per field for the life of the process: fields are made once per page.
    HFONT font = CreateFontW(-static_cast<int>(normal.m_fontSize * GetUiScale()), 0, 0, 0, FW_DONTCARE, FALSE,
                             FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, normal.m_fontFamily.c_str());
    SendMessageW(m_hEdit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

LRESULT CALLBACK CEditResource::EditWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!GetPropW(hwnd, kEditProp)) return DefWindowProcW(hwnd, message, wParam, lParam);
    // The sunken edge, border and scroll bar would frame the field on the flat skin.
    if (message == WM_NCPAINT && (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)) return 0;
    if (message == WM_NCDESTROY) RemovePropW(hwnd, kEditProp);
    // Tab and Esc belong to the page: they move the focus on or close, as from any control.
    if (message == WM_KEYDOWN && (wParam == VK_TAB || wParam == VK_ESCAPE)) {
        SendMessageW(GetParent(hwnd), message, wParam, lParam);
        return 0;
    }
    if (message == WM_CHAR && (wParam == L'\t' || wParam == 0x1B)) return 0;
    return CallWindowProcW(g_editClassProc, hwnd, message, wParam, lParam);
}

bool CEditResource::Draw(HDC) {
    ShowWindow(m_hEdit, SW_SHOWNORMAL);
    RECT client;
    GetClientRect(m_hEdit, &client);
    InvalidateRect(m_hEdit, &client, TRUE);
    return true;
}

bool CEditResource::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    CImageResource::SetRect(left, top, right, bottom);
    SetWindowPos(m_hEdit, nullptr, m_rect.left, m_rect.top, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    SetWindowPos(m_hEdit, nullptr, 0, 0, m_rect.Width(), m_rect.Height(), SWP_NOZORDER | SWP_NOMOVE);
    return true;
}

bool CEditResource::SetEditText(const std::wstring& text) {
    return SetWindowTextW(m_hEdit, text.c_str()) != FALSE;
}

bool CEditResource::GetEditText(wchar_t* buffer, int32_t capacity) {
    if (!buffer || capacity <= 0) return false;
    return GetWindowTextW(m_hEdit, buffer, capacity) > 0;
}

std::wstring CEditResource::GetEditText() {
    const int length = GetWindowTextLengthW(m_hEdit);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(m_hEdit, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

void CEditResource::ShowEdit(bool show) {
    ShowWindow(m_hEdit, show ? SW_SHOWNORMAL : SW_HIDE);
}
