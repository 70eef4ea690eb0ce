// What screen readers see of a view: the client area answers WM_GETOBJECT with an accessible
// object whose children are the view's buttons, links, check boxes, texts, progress bars and edit
// fields, each with its role, name, state and place. The system's own object for the window
// serves the client area itself. oleacc is not a KnownDLL, so it is loaded from the system folder
// the first time a screen reader asks, never at start. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

class IBaseView;
class CViewAccessible;

// The widgets that are accessible children, in list order: child id n is entry n - 1.
std::vector<int32_t> AccessibleChildIndexes(const IBaseView& view);
// The child id of the widget at `index`; 0 (the client area itself) when it is not a child.
LONG AccessibleChildId(const IBaseView& view, int32_t index);

// Answers WM_GETOBJECT for OBJID_CLIENT, making the object in `slot` on first use; false when
// the system cannot (oleacc missing, COM unusable), so the default answer is given instead.
bool AnswerClientObject(IBaseView& view, CViewAccessible*& slot, WPARAM wParam, LRESULT* result);
// Cuts the object off its view and drops the view's reference. A screen reader that still holds
// the object gets CO_E_OBJNOTCONNECTED from then on.
void DisconnectAccessible(CViewAccessible*& slot);
