// The contents of one top-level window: an owned, ordered list of widgets that the view paints
// (opaque for pages, per-pixel alpha for dialogs), hit-tests and drives with the mouse and the
// keyboard, and describes to screen readers. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "ui/BaseResource.h"

class IResourceMgr;
class CViewAccessible;

class IBaseView {
public:
    IBaseView(HWND hWnd, IResourceMgr* resMgr) : m_hWnd(hWnd), m_pResMgr(resMgr) {}
    IBaseView(const IBaseView&) = delete;
    IBaseView& operator=(const IBaseView&) = delete;
    // Deletes every widget in list order.
    virtual ~IBaseView();

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // What a window hands its messages to: the keyboard and the screen readers' questions are
    // answered here the same way for every view, everything else goes to HandleMessage.
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    // WM_PAINT of a dialog: makes the window layered on first use and hands the system one
    // 32-bit bitmap with per-pixel alpha. Returns 0.
    virtual LRESULT PaintLayered();
    // WM_PAINT of a page: draws off-screen and copies the result onto the window.
    virtual LRESULT PaintOpaque(UINT message, WPARAM wParam, LPARAM lParam);
    // Shows, raises and focuses `window`; `topmost` keeps it above others until reset.
    virtual LRESULT ShowOnTop(HWND window, bool topmost);

    // Index of the widget under the point in a mouse message's lParam (0 when over nothing).
    int32_t HitTest(LPARAM lParam) const;
    // The first widget with this id, or null.
    IBaseResource* FindById(int32_t id) const;
    // Repaints the whole client area.
    void Invalidate();
    // Only the widget's own rectangle needs painting again (null: nothing).
    void InvalidateResource(const IBaseResource* resource);
    // Every widget draws itself into `hdc`, in list order.
    void DrawResources(HDC hdc);

    // Takes ownership; the widget is drawn and hit-tested in the order it was added.
    template <class T>
    T* AddResource(T* resource) {
        m_resources.push_back(resource);
        return resource;
    }
    IBaseResource* GetResource(int32_t index) const;
    int32_t GetResourceCount() const { return static_cast<int32_t>(m_resources.size()); }
    HWND GetHwnd() const { return m_hWnd; }
    int32_t GetHoverIndex() const { return m_hoverIndex; }

    // The widget the keyboard acts on (-1: none). Setting it repaints the focus mark, tells
    // screen readers and, for the edit field, hands it the keyboard.
    int32_t GetFocusIndex() const { return m_focusIndex; }
    void SetFocusIndex(int32_t index);
    // Buttons (links included), check boxes and edit fields that are shown and not disabled.
    bool IsFocusable(int32_t index) const;
    // The focusable widgets in reading order.
    std::vector<int32_t> FocusOrder() const;
    // Posts the click a mouse release would; false (and nothing posted) for anything but a
    // shown button or check box, and for a disabled button.
    bool Activate(int32_t index);

protected:
    // The standard mouse handling. `alsoCheckbox`: moving onto a check box also returns the
    // buttons to normal (the pages with a check box); `drag`: a press outside a button drags the
    // window (pages, not dialogs).
    LRESULT OnMouseMove(UINT message, WPARAM wParam, LPARAM lParam, bool alsoCheckbox = false);
    LRESULT OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, bool drag);
    LRESULT OnLButtonUp(UINT message, WPARAM wParam, LPARAM lParam);
    // Hover or press for the button at `index`, normal for every other button; whether any
    // changed. `skipDisabled` leaves disabled buttons alone (pages that disable buttons).
    bool UpdateButtonStates(int32_t index, UINT message, bool skipDisabled = false);
    // The state rule the mouse handlers apply; pages with their own enabling rules override it.
    virtual bool UpdateStates(int32_t index, UINT message) { return UpdateButtonStates(index, message); }

    enum StandardKind { kStandardDialog, kStandardPage };
    // The whole standard message set: paint, mouse, WM_RESOURCE_CLICKED to OnResourceClicked,
    // WM_RAISE_WINDOW for pages, everything else to DefWindowProcW.
    LRESULT HandleStandardMessage(UINT message, WPARAM wParam, LPARAM lParam, StandardKind kind);
    // The view's own action for the button at index wParam.
    virtual LRESULT OnResourceClicked(WPARAM wParam, LPARAM lParam) { return 0; }

    // Ids of the button Enter presses when no button has the focus and of the button Esc
    // presses (-1: none; Esc then asks the window to close, as Alt+F4 does).
    virtual int32_t DefaultButtonId() const { return -1; }
    virtual int32_t CancelButtonId() const { return -1; }

    HWND m_hWnd;
    IResourceMgr* m_pResMgr;
    std::vector<IBaseResource*> m_resources;
    int32_t m_hoverIndex = -1;

private:
    // Tab, Shift+Tab, Enter, Space and Esc; whether the key was one of them.
    bool OnKeyDown(WPARAM key);
    int32_t IndexOfButton(int32_t id) const;
    void DrawFocusMark(HDC hdc);

    int32_t m_focusIndex = -1;
    // Made when a screen reader first asks; cut off from the view when the view goes.
    CViewAccessible* m_pAccessible = nullptr;
};
