// Looks and small rules shared by the main window's pages. Windows only.
#pragma once

#include <windows.h>

#include "ui/ButtonResource.h"
#include "ui/ImageResource.h"
#include "ui/ResourceStyle.h"

class IBaseView;
class IResourceMgr;

// The red of the hints and status lines.
constexpr uint32_t kHintRed = MakeRgb(255, 77, 79);
constexpr uint32_t kTextDark = 0xFF1A1A1A;

// Every state entry gets the same text colour, size and alignment.
void SetAllStates(ResourceStyle styles[kStateCount], uint32_t textColor, uint32_t fontSize, int32_t hAlign);

// The white panel with a grey frame behind a whole page.
CImageResource* AddPageBackground(IBaseView& view, IResourceMgr* resMgr, int32_t id);
// The title bar's close cross.
CButtonResource* AddCloseButton(IBaseView& view, IResourceMgr* resMgr, int32_t id);
// The big teal "立即安装" / "立即导出" button (168:48).
CButtonResource* AddTealButton(IBaseView& view, const wchar_t* text, int32_t id);
// A text or link button style: transparent face, dark text that lightens on hover.
void MakeLinkStyles(ResourceStyle styles[kStateCount], bool underline);

// The usual rule for one button as the walk over a page reaches it: the target hovers on a
// mouse move, is pressed on a button press and returns to normal when clicked; every other
// button returns to normal. Whether its state changed.
bool ApplyButtonRule(CImageResource* button, bool isTarget, UINT event);

// Hands the press to the system's caption drag, so the borderless window moves with the mouse.
void DragWindow(HWND window);
// Keeps the window above others until the user presses on it.
void DropTopmost(HWND window);
