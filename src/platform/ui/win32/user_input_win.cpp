#include "platform/ui/user_input.h"
#include "platform/ui/win32/window_ref.h"

namespace tarvex::platform {

// In a dialog the focus moves as Tab moves it, so that a push button given it becomes the
// default one, as the dialog manager does.
void SetFocus(CWnd& window) {
    if (window.Window() == nullptr) return;
    window.Window()->With([&] {
        HWND control = window.Window()->hwnd;
        HWND dialog = ::GetParent(control);
        if (dialog != nullptr) {
            ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
        } else {
            ::SetFocus(control);
        }
    });
}

// The key goes into the window thread's queue, where the dialog's loop takes it as typed.
void PressKey(UINT virtualKey) {
    HWND target = ::GetFocus();
    if (target == nullptr) target = ::GetActiveWindow();
    if (target == nullptr) return;
    const UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    PostMessageW(target, WM_KEYDOWN, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16));
    PostMessageW(target, WM_KEYUP, virtualKey,
                 1 | (static_cast<LPARAM>(scan) << 16) | (LPARAM{3} << 30));
}

}  // namespace tarvex::platform
