// How a page shows one of its dialogs: centred over the page and kept on the work area, then
// run in a private message loop until the dialog ends it with a quit message. While the loop
// runs the page gets no input; its paint and timer messages are still dispatched so it does
// not turn into a blank rectangle. Windows only.
#pragma once

#include <windows.h>

#include "ui/BaseWindow.h"

// Centres the dialog over `page`, keeps it on the dialog's work area (moving the page along
// when the dialog had to move), moves and shows it.
void PlaceAndShowDialog(HWND page, IBaseWindow& dialog);

// Moves `page` to (x, y) when the rectangle from the dialog's corner (x, y) to the page's
// bottom-right corner reaches past the work area's left, right or bottom edge; x and y become
// the dialog's place. True when they changed.
bool KeepOnWorkArea(HWND page, int32_t* x, int32_t* y, const RECT& pageRect, const RECT& workArea);

// Pumps the thread's messages until WM_QUIT. Messages for the dialog are dispatched; for other
// windows only paint and timer messages are, everything else is dropped. Returns whether a
// `watched` message (0 for none) reached the dialog. The quit message is consumed, unless a
// window's handler failed meanwhile: then a new one is posted for the program's loop.
bool RunDialogLoop(HWND dialog, UINT watched);

// PlaceAndShowDialog, then RunDialogLoop.
bool ShowDialogModal(HWND page, IBaseWindow& dialog, UINT watched);
