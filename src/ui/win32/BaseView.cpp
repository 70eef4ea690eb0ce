#include "ui/BaseView.h"

#include <cassert>

#include "ui/AccessibleView.h"
#include "ui/DibSurface.h"
#include "ui/ImageResource.h"
#include "ui/ViewMessages.h"

IBaseView::~IBaseView() {
    DisconnectAccessible(m_pAccessible);
    for (IBaseResource* resource : m_resources) delete resource;
    m_resources.clear();
}

IBaseResource* IBaseView::GetResource(int32_t index) const {
    if (index < 0 || index >= GetResourceCount()) return nullptr;
    return m_resources[static_cast<size_t>(index)];
}

void IBaseView::DrawResources(HDC hdc) {
    for (IBaseResource* resource : m_resources) {
        if (resource) resource->Draw(hdc);
    }
    DrawFocusMark(hdc);
}

LRESULT IBaseView::PaintLayered() {
    PAINTSTRUCT ps;
    HDC paintDC = BeginPaint(m_hWnd, &ps);
    const LONG exStyle = GetWindowLongW(m_hWnd, GWL_EXSTYLE);
    if (!(exStyle & WS_EX_LAYERED)) SetWindowLongW(m_hWnd, GWL_EXSTYLE, exStyle ^ WS_EX_LAYERED);

    RECT rc;
    GetWindowRect(m_hWnd, &rc);
    const int32_t w = rc.right - rc.left, h = rc.bottom - rc.top;
    {
        CDibSurface surface(paintDC, w, h);
        DrawResources(surface.GetDC());
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        POINT destination = {rc.left, rc.top};
        SIZE size = {w, h};
        POINT source = {0, 0};
        HDC screen = ::GetDC(nullptr);
        UpdateLayeredWindow(m_hWnd, screen, &destination, &size, surface.GetDC(), &source, 0, &blend,
                            ULW_ALPHA);
        ReleaseDC(nullptr, screen);
    }
    EndPaint(m_hWnd, &ps);
    return 0;
}

LRESULT IBaseView::PaintOpaque(UINT message, WPARAM wParam, LPARAM lParam) {
    HDC windowDC = ::GetDC(m_hWnd);
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    const int32_t w = rc.right - rc.left, h = rc.bottom - rc.top;
    HDC memDC = CreateCompatibleDC(windowDC);
    HBITMAP bitmap = CreateCompatibleBitmap(windowDC, w, h);
    HGDIOBJ old = SelectObject(memDC, bitmap);
    DrawResources(memDC);
    BitBlt(windowDC, 0, 0, w, h, memDC, 0, 0, SRCCOPY);
    SelectObject(memDC, old);
    DeleteObject(bitmap);
    DeleteDC(memDC);
    ReleaseDC(m_hWnd, windowDC);
    // For WM_PAINT the default processing validates the update region.
    return DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT IBaseView::ShowOnTop(HWND window, bool topmost) {
    ShowWindow(window, SW_SHOWNORMAL);
    SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(window);
    SetFocus(window);
    return 0;
}

int32_t IBaseView::HitTest(LPARAM lParam) const {
    if (m_resources.empty()) return 0;
    const int32_t x = static_cast<int32_t>(LOWORD(lParam));
    const int32_t y = static_cast<int32_t>(HIWORD(lParam));
    std::vector<HitCandidate> candidates;
    candidates.reserve(m_resources.size());
    for (IBaseResource* resource : m_resources) {
        candidates.push_back(resource ? HitCandidate{resource->GetType(), resource->GetRect()}
                                      : HitCandidate{RES_LAYOUT, UiRect{}});
    }
    return HitTestWidgets(candidates, x, y);
}

IBaseResource* IBaseView::FindById(int32_t id) const {
    for (IBaseResource* resource : m_resources) {
        if (resource && resource->GetId() == id) return resource;
    }
    return nullptr;
}

void IBaseView::Invalidate() {
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    InvalidateRect(m_hWnd, &rc, TRUE);
}

void IBaseView::InvalidateResource(const IBaseResource* resource) {
    if (!resource) return;
    const UiRect& r = resource->GetRect();
    RECT rc = {r.left, r.top, r.right, r.bottom};
    InvalidateRect(m_hWnd, &rc, TRUE);
}

bool IBaseView::UpdateButtonStates(int32_t index, UINT message, bool skipDisabled) {
    bool changed = false;
    for (size_t i = 0; i < m_resources.size(); ++i) {
        IBaseResource* resource = m_resources[i];
        if (!resource || resource->GetType() != RES_BUTTON) continue;
        auto* button = static_cast<CImageResource*>(resource);
        const ResourceState current = button->GetState();
        if (skipDisabled && current == STATE_DISABLED) continue;
        ResourceState wanted = STATE_NORMAL;
        if (static_cast<int32_t>(i) == index && message != WM_RESOURCE_CLICKED) {
            if (message == WM_MOUSEMOVE) {
                wanted = STATE_HOVER;
            } else if (message == WM_LBUTTONDOWN) {
                wanted = STATE_PRESSED;
            } else {
                assert(false && "unexpected message for button states");
                continue;
            }
        }
        if (current != wanted) {
            button->SetState(wanted);
            changed = true;
        }
    }
    return changed;
}

LRESULT IBaseView::OnMouseMove(UINT message, WPARAM wParam, LPARAM lParam, bool alsoCheckbox) {
    const LRESULT result = DefWindowProcW(m_hWnd, message, wParam, lParam);
    const int32_t index = HitTest(lParam);
    if (index == m_hoverIndex) return result;
    bool changed = false;
    if (IBaseResource* resource = GetResource(index)) {
        switch (resource->GetType()) {
            case RES_BUTTON:
                changed = UpdateStates(index, WM_MOUSEMOVE);
                break;
            case RES_CHECKBOX:
                if (!alsoCheckbox) break;
                [[fallthrough]];
            case RES_IMAGE:
            case RES_ICON:
            case RES_TEXT:
            case RES_SPACER:
            case RES_PROGRESS:
                // Index 0 is the root layout, so every button goes back to normal.
                if (m_hoverIndex != -1) changed = UpdateStates(0, WM_MOUSEMOVE);
                break;
            default:
                break;
        }
    }
    if (changed) Invalidate();
    m_hoverIndex = index;
    return result;
}

LRESULT IBaseView::OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, bool drag) {
    const LRESULT result = DefWindowProcW(m_hWnd, message, wParam, lParam);
    const int32_t index = HitTest(lParam);
    IBaseResource* resource = GetResource(index);
    if (resource && resource->GetType() == RES_BUTTON) {
        if (UpdateButtonStates(index, WM_LBUTTONDOWN)) Invalidate();
        return result;
    }
    ReleaseCapture();
    if (drag) SendMessageW(m_hWnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    return result;
}

LRESULT IBaseView::OnLButtonUp(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefWindowProcW(m_hWnd, message, wParam, lParam);
    const int32_t index = HitTest(lParam);
    IBaseResource* resource = GetResource(index);
    if (resource && resource->GetType() == RES_BUTTON) {
        PostMessageW(m_hWnd, WM_RESOURCE_CLICKED, static_cast<WPARAM>(index), lParam);
    }
    return result;
}

LRESULT IBaseView::HandleStandardMessage(UINT message, WPARAM wParam, LPARAM lParam, StandardKind kind) {
    const bool page = kind == kStandardPage;
    switch (message) {
        case WM_PAINT:
            return page ? PaintOpaque(message, wParam, lParam) : PaintLayered();
        case WM_MOUSEMOVE:
            return OnMouseMove(message, wParam, lParam, page);
        case WM_LBUTTONDOWN:
            return OnLButtonDown(message, wParam, lParam, page);
        case WM_LBUTTONUP:
            return OnLButtonUp(message, wParam, lParam);
        default:
            break;
    }
    if (message == WM_RESOURCE_CLICKED) return OnResourceClicked(wParam, lParam);
    if (page && message == WM_RAISE_WINDOW) return ShowOnTop(m_hWnd, true);
    return DefWindowProcW(m_hWnd, message, wParam, lParam);
}
