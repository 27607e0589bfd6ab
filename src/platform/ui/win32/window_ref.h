// Private to the Win32 window backend: what a CWnd or CMenu object refers to, a window or a menu
// of the system's, and the link through which other threads reach it.
#pragma once

#include <memory>

#include "platform/ui/win32_ui.h"
#include "platform/ui/window_link.h"

namespace tarvex::platform {

struct WindowRef {
    std::shared_ptr<WindowLink> link;  // closed when the window's dialog goes
    HWND hwnd = nullptr;               // a control or a dialog; for a menu bar, its window
    HMENU menu = nullptr;              // a menu, when this refers to one
    int id = 0;                        // control id within its dialog
    std::shared_ptr<void> owned;       // a menu made on its own (CreatePopupMenu) lives as long

    // Runs `use` on the window thread while the window (or menu) is there: false otherwise.
    template <typename Use>
    bool With(Use&& use) const {
        bool done = false;
        link->Run([&] {
            if (menu != nullptr ? IsMenu(menu) : IsWindow(hwnd)) {
                use();
                done = true;
            }
        });
        return done;
    }
};

}  // namespace tarvex::platform
