// Drives a modal dialog from inside its own message loop through the class library's own
// operations, the same on every window system: steps posted to the window thread, buttons
// clicked and menu commands chosen as messages to the window, texts and states read back through
// the layer.
#pragma once

#include <functional>
#include <string>

#include "platform/ui/dialog.h"
#include "platform/ui/window_system.h"

namespace drive {

// Keeps the window thread's messages flowing until `condition` holds; false after `timeoutMs`.
inline bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000) {
    return tarvex::platform::PumpMessagesUntil(condition, timeoutMs);
}

// Lets the window thread take its messages for `ms`, with nothing to wait for.
inline void Settle(int ms) {
    tarvex::platform::PumpMessagesUntil([] { return false; }, ms);
}

// Shows `dialog` modally, runs `steps` inside its modal loop and ends the dialog with Cancel if
// the steps left it open. Returns DoModal's result.
inline INT_PTR RunModal(CDialog& dialog, const std::function<void()>& steps) {
    tarvex::platform::PostToWindowThread([&] {
        steps();
        if (dialog.IsWindowVisible()) dialog.EndDialog(IDCANCEL);
    });
    return dialog.DoModal();
}

// Clicks the button `controlId` as the user does: a radio button checks itself, then the
// dialog gets the button's command.
inline void Click(CDialog& dialog, int controlId) {
    if (CWnd* button = dialog.GetDlgItem(controlId)) button->SendMessage(BM_CLICK);
}

// Chooses the menu item of command `id` as the user does: a grayed item cannot be chosen.
inline void Choose(CDialog& dialog, UINT id) {
    const UINT state = dialog.GetMenu().GetMenuState(id, MF_BYCOMMAND);
    if (state != tarvex::platform::kMenuItemNotFound && (state & (MF_GRAYED | MF_DISABLED))) return;
    dialog.SendMessage(WM_COMMAND, id);
}

// Opens the popup at `position` of the menu bar, as the user does before choosing an item: the
// dialog hears of it first (WM_INITMENUPOPUP).
inline void OpenMenu(CDialog& dialog, int position) {
    dialog.SendMessage(WM_INITMENUPOPUP, 0, static_cast<LPARAM>(position));
}

// What the window shows of control `id`, read back through the layer.
inline bool Enabled(const CDialog& dialog, int id) {
    return dialog.GetDlgItem(id)->IsWindowEnabled() != FALSE;
}

inline bool Checked(const CDialog& dialog, int id) {
    return dialog.IsDlgButtonChecked(id) == BST_CHECKED;
}

inline std::wstring Text(const CDialog& dialog, int id) {
    return dialog.GetDlgItem(id)->GetWindowText();
}

}  // namespace drive
