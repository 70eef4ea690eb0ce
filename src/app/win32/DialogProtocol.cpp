#include "app/win32/DialogProtocol.h"

#include "app/DialogPlacement.h"

namespace {

UiRect ToUiRect(const RECT& rc) {
    return MakeUiRect(static_cast<int32_t>(rc.left), static_cast<int32_t>(rc.top),
                      static_cast<int32_t>(rc.right), static_cast<int32_t>(rc.bottom));
}

bool IsDialogMessage(HWND dialog, const MSG& message) {
    return message.hwnd && (message.hwnd == dialog || IsChild(dialog, message.hwnd));
}

}  // namespace

bool KeepOnWorkArea(HWND page, int32_t* x, int32_t* y, const RECT& pageRect, const RECT& workArea) {
    UiRect rect =
        MakeUiRect(*x, *y, static_cast<int32_t>(pageRect.right), static_cast<int32_t>(pageRect.bottom));
    if (!KeepOnWorkArea(&rect, ToUiRect(workArea))) return false;
    SetWindowPos(page, nullptr, rect.left, rect.top, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    *x = rect.left;
    *y = rect.top;
    return true;
}

void PlaceAndShowDialog(HWND page, IBaseWindow& dialog) {
    RECT pageRect = {0, 0, 0, 0};
    GetWindowRect(page, &pageRect);
    RECT dialogRect = {0, 0, 0, 0};
    GetWindowRect(dialog.GetHwnd(), &dialogRect);
    int32_t x = 0, y = 0;
    CenterOver(ToUiRect(pageRect), static_cast<int32_t>(dialogRect.right - dialogRect.left),
               static_cast<int32_t>(dialogRect.bottom - dialogRect.top), &x, &y);
    KeepOnWorkArea(page, &x, &y, pageRect, dialog.GetWorkArea());
    dialog.MoveTo(x, y);
    dialog.Show();
}

bool RunDialogLoop(HWND dialog, UINT watched) {
    bool seen = false;
    MSG message;
    // GetMessageW gives -1 on failure; only a real message keeps the loop going.
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessage(dialog, message)) {
            if (watched != 0 && message.message == watched) seen = true;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        } else if (message.message == WM_PAINT || message.message == WM_TIMER) {
            DispatchMessageW(&message);
        }
    }
    // A handler failed while the dialog was open: the quit that ended this loop was meant for
    // the program.
    if (WindowHandlerFailed()) PostQuitMessage(0);
    return seen;
}

bool ShowDialogModal(HWND page, IBaseWindow& dialog, UINT watched) {
    PlaceAndShowDialog(page, dialog);
    return RunDialogLoop(dialog.GetHwnd(), watched);
}
