// The keyboard side of IBaseView: a focus that Tab walks over the controls in reading order,
// Enter, Space and Esc turned into the clicks a mouse would make, and the mark that shows
// where the focus is; the screen readers' question goes to the accessible object. Kept apart
// from the painting and the mouse handling.
#include <oleacc.h>

#include <cmath>

#include "ui/AccessibleView.h"
#include "ui/BaseView.h"
#include "ui/Drawing.h"
#include "ui/EditResource.h"
#include "ui/FocusOrder.h"
#include "ui/UiScale.h"
#include "ui/ViewMessages.h"

namespace {

constexpr uint32_t kFocusTeal = 0xFF29C3B4;

// Base pixels between a control and its mark, and the mark's width.
constexpr double kMarkGap = 2;
constexpr double kMarkWidth = 1;

int32_t Scaled(double base) {
    const double value = std::lround(base * GetUiScale());
    return value < 1 ? 1 : static_cast<int32_t>(value);
}

}  // namespace

LRESULT IBaseView::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && OnKeyDown(wParam)) return 0;
    // The id arrives as a 32-bit value in a pointer-sized parameter.
    if (message == WM_GETOBJECT && static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT)) {
        LRESULT answer = 0;
        if (AnswerClientObject(*this, m_pAccessible, wParam, &answer)) return answer;
    }
    return HandleMessage(message, wParam, lParam);
}

bool IBaseView::IsFocusable(int32_t index) const {
    IBaseResource* resource = GetResource(index);
    if (!resource || resource->GetRect().Width() <= 0 || resource->GetRect().Height() <= 0) return false;
    switch (resource->GetType()) {
        case RES_BUTTON:
            return resource->IsVisible() &&
                   static_cast<CImageResource*>(resource)->GetState() != STATE_DISABLED;
        case RES_CHECKBOX:
            return resource->IsVisible();
        case RES_EDIT: {
            // The field shows and hides its own window; the widget's flag does not follow it.
            HWND edit = static_cast<CEditResource*>(resource)->GetEditHwnd();
            return IsWindowVisible(edit) && IsWindowEnabled(edit);
        }
        default:
            return false;
    }
}

std::vector<int32_t> IBaseView::FocusOrder() const {
    std::vector<FocusCandidate> candidates;
    for (int32_t i = 0; i < GetResourceCount(); ++i) {
        if (IsFocusable(i)) candidates.push_back(FocusCandidate{i, GetResource(i)->GetRect()});
    }
    return ReadingOrder(candidates);
}

void IBaseView::SetFocusIndex(int32_t index) {
    if (!GetResource(index)) index = -1;
    IBaseResource* resource = GetResource(index);
    HWND keyboard = GetFocus();
    if (resource && resource->GetType() == RES_EDIT) {
        SetFocus(static_cast<CEditResource*>(resource)->GetEditHwnd());
    } else if (keyboard && keyboard != m_hWnd && IsChild(m_hWnd, keyboard)) {
        // Leaving the edit field: its lost focus is what takes the typed text.
        SetFocus(m_hWnd);
    }
    if (index == m_focusIndex) return;
    m_focusIndex = index;
    Invalidate();
    if (const LONG child = AccessibleChildId(*this, index)) {
        NotifyWinEvent(EVENT_OBJECT_FOCUS, m_hWnd, OBJID_CLIENT, child);
    }
}

int32_t IBaseView::IndexOfButton(int32_t id) const {
    if (id < 0) return -1;
    for (int32_t i = 0; i < GetResourceCount(); ++i) {
        IBaseResource* resource = GetResource(i);
        if (resource && resource->GetType() == RES_BUTTON && resource->GetId() == id) return i;
    }
    return -1;
}

bool IBaseView::Activate(int32_t index) {
    IBaseResource* resource = GetResource(index);
    if (!resource || !resource->IsVisible()) return false;
    const ResourceType type = resource->GetType();
    if (type != RES_BUTTON && type != RES_CHECKBOX) return false;
    if (type == RES_BUTTON && static_cast<CImageResource*>(resource)->GetState() == STATE_DISABLED)
        return false;
    const UiRect& rc = resource->GetRect();
    const LPARAM centre = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    return PostMessageW(m_hWnd, WM_RESOURCE_CLICKED, static_cast<WPARAM>(index), centre) != FALSE;
}

bool IBaseView::OnKeyDown(WPARAM key) {
    IBaseResource* focused = GetResource(m_focusIndex);
    const ResourceType focusedType = focused ? focused->GetType() : RES_LAYOUT;
    switch (key) {
        case VK_TAB: {
            int32_t current = m_focusIndex;
            // The edit field may have been reached with the mouse.
            HWND keyboard = GetFocus();
            for (int32_t i = 0; keyboard && i < GetResourceCount(); ++i) {
                IBaseResource* resource = GetResource(i);
                if (resource && resource->GetType() == RES_EDIT &&
                    static_cast<CEditResource*>(resource)->GetEditHwnd() == keyboard) {
                    current = i;
                }
            }
            SetFocusIndex(NextInOrder(FocusOrder(), current, GetKeyState(VK_SHIFT) < 0));
            return true;
        }
        case VK_RETURN:
            // A check box or the edit field leaves Enter to the page's main button, as in a
            // standard dialog.
            Activate(focusedType == RES_BUTTON ? m_focusIndex : IndexOfButton(DefaultButtonId()));
            return true;
        case VK_SPACE:
            Activate(m_focusIndex);
            return true;
        case VK_ESCAPE: {
            const int32_t cancel = IndexOfButton(CancelButtonId());
            if (cancel >= 0) {
                Activate(cancel);
            } else {
                PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
            }
            return true;
        }
        default:
            return false;
    }
}

void IBaseView::DrawFocusMark(HDC hdc) {
    IBaseResource* resource = GetResource(m_focusIndex);
    if (!resource || !IsFocusable(m_focusIndex)) return;
    const int32_t width = Scaled(kMarkWidth);
    const int32_t outset = Scaled(kMarkGap) + width;
    const UiRect& rc = resource->GetRect();
    std::unique_ptr<Gdiplus::Graphics> graphics = MakeGraphics(hdc);
    graphics->SetSmoothingMode(Gdiplus::SmoothingModeNone);
    DrawBorder(*graphics, rc.left - outset, rc.top - outset, rc.Width() + 2 * outset,
               rc.Height() + 2 * outset, kFocusTeal, 0, width);
}
