// The program's own window messages, the page flags and the names that tie running copies
// together. The two messages the toolkit's views send themselves come from the toolkit.
#pragma once

#include "ui/ViewMessages.h"

#define KELVORA_INSTANCE_MUTEX L"SarnovikPkg-Event-5E2A9F14-C7D3-4B8E-A1F6-3D90B27C4E65"
#define KELVORA_MAIN_WINDOW_CLASS L"SarnovikPkg-Window-5E2A9F14-C7D3-4B8E-A1F6-3D90B27C4E65"

enum : unsigned {
    WM_SWITCH_VIEW = 0x806A,
    WM_TRAY_ICON = 0x806E,
    WM_CHILD_CONFIRM_EXIT = 0x8072,
    WM_CHILD_RETRY = 0x8073,
    WM_DOWNLOAD_FAILED = 0x8076,
    WM_INSTALL_FAILED = 0x8077,
    WM_PROGRESS_UPDATE = 0x807B,
};

// The pages of the main window: the wParam of WM_SWITCH_VIEW and the index of each page.
enum : int {
    VIEW_FLAG_REMINDER = 0,
    VIEW_FLAG_FIRST = 1,
    VIEW_FLAG_SECOND = 2,
    VIEW_FLAG_THIRD = 3,
    VIEW_FLAG_FOURTH = 4,
    VIEW_FLAG_COUNT = 5,
};
