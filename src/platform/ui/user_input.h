// For tests and tools: a key pressed as the user presses it, on the control that has the focus.
#pragma once

#include "platform/ui/wnd.h"

namespace tarvex::platform {

// Gives `window` the keyboard focus.
void SetFocus(CWnd& window);
// Presses and lets go of the key `virtualKey` (VK_RETURN, VK_ESCAPE...) on the control with the
// focus, as the keyboard does: the window system's own handling of the key follows.
void PressKey(UINT virtualKey);

}  // namespace tarvex::platform
