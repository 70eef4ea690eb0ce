// The form the installer's four small dialogs share: a white rounded panel with a grey title
// bar reading "Kelvora", an icon with a heading and a message, and two buttons at the bottom
// right. Each dialog fills in its texts and reacts to its buttons; the mouse handling is the
// toolkit's standard dialog form (no dragging). Windows only.
#pragma once

#include <windows.h>

#include <string>

#include "ui/BaseView.h"
#include "ui/ResourceStyle.h"

class CButtonResource;

// Ids of the template's widgets; texts and panels share the others.
enum : int32_t {
    DIALOG_ID_PANEL = 0,
    DIALOG_ID_FIRST_BUTTON = 1,
    DIALOG_ID_SECOND_BUTTON = 2,
    DIALOG_ID_CLOSE_BUTTON = 3,
    DIALOG_ID_TEXT = 4,
    DIALOG_ID_ERROR_ICON = 3,
    DIALOG_ID_INQUIRE_ICON = 5,
};

// The three button looks: light grey with a border, grey text on light grey, white on teal.
enum DialogButtonLook : int32_t {
    BUTTON_LIGHT = 0,
    BUTTON_GREY = 1,
    BUTTON_TEAL = 2,
};
// Fills the normal, hover and pressed entries (the disabled one keeps the common fields).
void MakeDialogButtonStyles(DialogButtonLook look, ResourceStyle styles[kStateCount]);

struct DialogContent {
    const wchar_t* iconName;
    int32_t iconId;
    const wchar_t* heading;
    const wchar_t* message;
    const wchar_t* firstText;
    DialogButtonLook firstLook;
    const wchar_t* secondText;
    DialogButtonLook secondLook;
    bool closeButton;
    // 1 draws a transparent one-pixel border around the title panel, 0 none.
    uint32_t titleBorderWidth;
};

class CDialogTemplateView : public IBaseView {
public:
    CDialogTemplateView(HWND hWnd, IResourceMgr* resMgr, const DialogContent& content);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Widget id of the button at a list index, -1 for anything that is not a button.
    int32_t ButtonIdAt(WPARAM index) const;
    CButtonResource* GetButton(int32_t id) const;

protected:
    // Enter's button is the second one, the one the dialog suggests. Esc's is the close cross;
    // without one, the second button, which is the dismissing choice in every such dialog and,
    // unlike a bare close request, always ends the loop that shows the dialog.
    int32_t DefaultButtonId() const override { return DIALOG_ID_SECOND_BUTTON; }
    int32_t CancelButtonId() const override {
        return GetButton(DIALOG_ID_CLOSE_BUTTON) ? DIALOG_ID_CLOSE_BUTTON : DIALOG_ID_SECOND_BUTTON;
    }
    // How the dialogs that close themselves leave: hidden at once, destroyed by the close
    // request, and the quit message ends the loop of the page that showed them.
    void HideCloseAndEndLoop();

private:
    // A close request that the dialog did not post itself (Alt+F4, another program) is the
    // click of the dialog's close button, or of its second button when it has none; its own
    // request, after a button, destroys the window.
    LRESULT OnCloseRequest();
    // The window went away without a button ending the page's loop (its owner was destroyed):
    // the loop is ended so the page does not wait for a dialog that no longer exists.
    void OnDestroyed();

    int32_t m_closeButtonId;
    bool m_bClosing = false;
    bool m_bCloseHandled = false;
};

// Opens a document or address with the shell's "open" verb, the way the user's double click
// would. Tests replace the opener so nothing is started; null restores the shell.
using ShellOpener = void (*)(const std::wstring& target);
void ShellOpen(const std::wstring& target);
void SetShellOpener(ShellOpener opener);
// Opens a web address in the desktop user's browser (OpenAddressForDesktopUser); tests replace
// it the same way.
void AddressOpen(const std::wstring& address);
void SetAddressOpener(ShellOpener opener);
