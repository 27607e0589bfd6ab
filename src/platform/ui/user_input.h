// For tests and tools: a key pressed as the user presses it, on the control that has the focus,
// and the message boxes open on the screen as the user sees and answers them.
#pragma once

#include <optional>
#include <string>

#include "platform/ui/wnd.h"

namespace tarvex::platform {

// Gives `window` the keyboard focus.
void SetFocus(CWnd& window);
// Presses and lets go of the key `virtualKey` (VK_RETURN, VK_ESCAPE...) on the control with the
// focus, as the keyboard does: the window system's own handling of the key follows.
void PressKey(UINT virtualKey);

// What the user sees of an open message box.
struct OpenMessageBox {
    bool owned = false;          // it has an owner window
    bool blocksWindows = false;  // while it is open, another window of the program takes no input
};

// On the window thread: the open box captioned `caption`, if one is on the screen.
std::optional<OpenMessageBox> FindOpenMessageBox(const std::wstring& caption);
// On the window thread: answers the open box captioned `caption` with OK, as the user does;
// false when none is open.
bool AnswerOpenMessageBox(const std::wstring& caption);

}  // namespace tarvex::platform
