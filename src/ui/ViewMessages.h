// Window messages that the toolkit's views send; the application's other messages live with
// the application and must not reuse these values.
#pragma once

#include <cstdint>

// Posted by a view to its own window when the left button is released over a button:
// wParam = the button's index in the view's list, lParam = the cursor position.
constexpr uint32_t WM_RESOURCE_CLICKED = 0x806B;
// Bring the window to the front (sent by a second copy of the program).
constexpr uint32_t WM_RAISE_WINDOW = 0x80FF;
