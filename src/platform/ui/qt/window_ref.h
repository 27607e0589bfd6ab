// Private to the window layer: what a CWnd or CMenu object refers to.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "platform/ui/window_link.h"
#include "platform/win32.h"

namespace tarvex::platform {

// A window that takes the messages sent to it (CWnd::SendMessage) as its window procedure would.
class MessageReceiver {
  public:
    virtual LRESULT Receive(UINT message, WPARAM wParam, LPARAM lParam) = 0;

  protected:
    ~MessageReceiver() = default;
};

struct WindowRef {
    std::shared_ptr<WindowLink> link;  // closed when the window's dialog goes
    QPointer<QWidget> widget;          // a control, a dialog, a menu or a menu bar
    HWND hwnd = nullptr;
    int id = 0;                      // control id within its dialog
    std::shared_ptr<QWidget> owned;  // a menu made on its own (CreatePopupMenu) lives as long

    // Runs `use` with the widget on the window thread: false when the window has gone.
    template <typename Widget, typename Use>
    bool With(Use&& use) const {
        bool done = false;
        link->Run([&] {
            if (auto* target = qobject_cast<Widget*>(widget.data())) {
                use(target);
                done = true;
            }
        });
        return done;
    }
};

}  // namespace tarvex::platform
